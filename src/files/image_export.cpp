#include "files/image_export.h"

#include "platform/open_stream.h"
#include "platform/paths.h"
#include "platform/png_codec.h"

#include <climits>
#include <cstring>
#include <vector>

namespace dm {

namespace {

constexpr int kGlyphsPerRow = 16;
constexpr int kEntries = 256;
constexpr uint8_t kNoColor = 255;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// For each glyph, its pixels row by row: 1 where the sheet is exactly opaque white.
std::vector<uint8_t> GlyphMasks(const TPixmap& sheet, int glyphWidth, int glyphHeight) {
    std::vector<uint8_t> masks(static_cast<size_t>(kEntries) * glyphWidth * glyphHeight);
    size_t i = 0;
    for (int glyph = 0; glyph < kEntries; ++glyph) {
        const int left = glyph % kGlyphsPerRow * glyphWidth;
        const int top = glyph / kGlyphsPerRow * glyphHeight;
        for (int py = 0; py < glyphHeight; ++py) {
            for (int px = 0; px < glyphWidth; ++px) {
                masks[i++] = sheet.ReadPixel(left + px, top + py) == kOpaqueWhite ? 1 : 0;
            }
        }
    }
    return masks;
}

// Each palette entry as the four RGBA8888 bytes of an opaque pixel.
std::array<std::array<uint8_t, 4>, kEntries> PixelColors(const std::array<uint8_t, 768>& palette) {
    std::array<std::array<uint8_t, 4>, kEntries> colors{};
    for (int i = 0; i < kEntries; ++i) {
        colors[i] = {palette[i], palette[kEntries + i], palette[2 * kEntries + i], 255};
    }
    return colors;
}

std::shared_ptr<TPixmap> CreatePicture(const tilemap& map, const ExportLook& look) {
    const int64_t width = int64_t{map.tmapw} * look.GlyphWidth;
    const int64_t height = int64_t{map.tmaph} * look.GlyphHeight;
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX) {
        return nullptr;
    }
    return TPixmap::Create(static_cast<int>(width), static_cast<int>(height), PF_RGBA8888, 4);
}

// Hands on each rise of the whole job's figure, from the two stages' own counts.
class JobProgress {
  public:
    explicit JobProgress(const ExportProgress& report) : report_(report) {}

    void Rendered(int rows, int rowCount) { Report(Share(rows, rowCount, kExportRenderShare)); }
    // Encoding ends one short of the total, which is kept for the closed file.
    void Encoded(int rows, int rowCount) {
        Report(kExportRenderShare +
               Share(rows, rowCount, kExportProgressTotal - 1 - kExportRenderShare));
    }
    void Written() { Report(kExportProgressTotal); }

  private:
    static int Share(int done, int total, int span) {
        return static_cast<int>(int64_t{done} * span / total);
    }
    void Report(int figure) {
        if (report_ && figure > shown_) {
            shown_ = figure;
            report_(figure);
        }
    }

    const ExportProgress& report_;
    int shown_ = 0;
};

void RenderCells(const tilemap& map, const ExportLook& look, const std::vector<uint8_t>& masks,
                 TPixmap& picture, JobProgress& progress) {
    const int gw = look.GlyphWidth;
    const int gh = look.GlyphHeight;
    const auto colors = PixelColors(look.palette);
    std::vector<uint8_t> glyphs(map.tmapw), fgs(map.tmapw), bgs(map.tmapw);
    for (int y = 0; y < map.tmaph; ++y) {
        for (int x = 0; x < map.tmapw; ++x) {
            map.GrabTile(x, y, glyphs[x], fgs[x], bgs[x]);
        }
        for (int py = 0; py < gh; ++py) {
            uint8_t* out = picture.PixelPtr(0, y * gh + py);
            for (int x = 0; x < map.tmapw; ++x) {
                const uint8_t* mask = &masks[(static_cast<size_t>(glyphs[x]) * gh + py) * gw];
                for (int px = 0; px < gw; ++px, out += 4) {
                    const uint8_t index = mask[px] ? fgs[x] : bgs[x];
                    if (index != kNoColor) {
                        std::memcpy(out, colors[index].data(), 4);
                    }
                }
            }
        }
        progress.Rendered(y + 1, map.tmaph);
    }
}

bool WritePicture(const TPixmap& picture, const std::string& path, int compression,
                  JobProgress& progress) {
    const std::shared_ptr<TStream> file = OpenWriteStream(path);
    if (!file) {
        return false;
    }
    // A full disk is an export that failed, not a reason to end the program.
    try {
        const bool written =
            WritePixmapPNG(picture, *file, compression, [&progress](int rows, int rowCount) {
                progress.Encoded(rows, rowCount);
            });
        file->Close();
        return written;
    } catch (const TStreamException&) {
        return false;
    }
}

} // namespace

std::shared_ptr<TPixmap> ExportPNG(const tilemap& map, const std::string& path, int compression,
                                   const ExportLook& look, const ExportProgress& progress) {
    const std::shared_ptr<TPixmap> picture = CreatePicture(map, look);
    if (!picture) {
        return nullptr;
    }
    picture->ClearPixels(0);

    std::vector<uint8_t> masks;
    {
        const std::shared_ptr<TPixmap> sheet =
            LoadPixmap(PathNoExtension(look.tilesetPath) + "_fg.png");
        // A sheet changed on disk since start-up must still hold every glyph block.
        if (!sheet || sheet->width < kGlyphsPerRow * look.GlyphWidth ||
            sheet->height < kGlyphsPerRow * look.GlyphHeight) {
            return nullptr;
        }
        masks = GlyphMasks(*sheet, look.GlyphWidth, look.GlyphHeight);
    }
    JobProgress job(progress);
    RenderCells(map, look, masks, *picture, job);
    if (!WritePicture(*picture, path, compression, job)) {
        return nullptr;
    }
    job.Written();
    return picture;
}

} // namespace dm
