#include "files/image_export.h"

#include "files/counting_stream.h"
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

void RenderCells(const tilemap& map, const ExportLook& look, const std::vector<uint8_t>& masks,
                 TPixmap& picture, const ExportProgress& progress) {
    const int gw = look.GlyphWidth;
    const int gh = look.GlyphHeight;
    const auto colors = PixelColors(look.palette);
    std::vector<uint8_t> glyphs(map.tmapw), fgs(map.tmapw), bgs(map.tmapw);
    ExportStatus status;
    status.rowCount = map.tmaph;
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
        if (progress) {
            status.rowsRendered = y + 1;
            progress(status);
        }
    }
}

bool WritePicture(const TPixmap& picture, const std::string& path, int compression,
                  const ExportProgress& progress, int rowCount) {
    const std::shared_ptr<TStream> file = OpenWriteStream(path);
    if (!file) {
        return false;
    }
    CountingStream counted(*file, [&progress, rowCount](int64_t bytes) {
        if (progress) {
            progress({rowCount, rowCount, bytes});
        }
    });
    // A full disk is an export that failed, not a reason to end the program.
    try {
        const bool written = WritePixmapPNG(picture, counted, compression);
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
    RenderCells(map, look, masks, *picture, progress);
    if (!WritePicture(*picture, path, compression, progress, map.tmaph)) {
        return nullptr;
    }
    return picture;
}

} // namespace dm
