#include "files/image_export.h"

#include "files/side_file_writer.h"
#include "platform/paths.h"
#include "platform/pixmap.h"
#include "platform/png_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace dm {

namespace {

constexpr int kGlyphsPerRow = 16;
constexpr int kEntries = 256;
constexpr uint8_t kNoColor = 255;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;
// Pixels rendered ahead of the encoder: a few megabytes, or one row of a wider picture.
constexpr int64_t kBandBytes = 4 * 1024 * 1024;

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

// Paints rows of the picture, reading each row of cells once.
class RowPainter {
  public:
    RowPainter(const tilemap& map, const ExportLook& look, std::vector<uint8_t> masks)
        : map_(map), glyphWidth_(look.GlyphWidth), glyphHeight_(look.GlyphHeight),
          masks_(std::move(masks)), colors_(PixelColors(look.palette)), glyphs_(map.tmapw),
          fgs_(map.tmapw), bgs_(map.tmapw) {}

    void Paint(TPixmap& band, int firstRow) {
        for (int row = 0; row < band.height; ++row) {
            const int pixelRow = firstRow + row;
            LoadCellRow(pixelRow / glyphHeight_);
            PaintRow(band.PixelPtr(0, row), pixelRow % glyphHeight_);
        }
    }

  private:
    void LoadCellRow(int y) {
        if (y == cellRow_) {
            return;
        }
        for (int x = 0; x < map_.tmapw; ++x) {
            map_.GrabTile(x, y, glyphs_[x], fgs_[x], bgs_[x]);
        }
        cellRow_ = y;
    }

    // Row py of every glyph block along the cell row; colour 255 leaves pixels transparent.
    void PaintRow(uint8_t* out, int py) {
        std::memset(out, 0, static_cast<size_t>(map_.tmapw) * glyphWidth_ * 4);
        for (int x = 0; x < map_.tmapw; ++x) {
            const uint8_t* mask =
                &masks_[(static_cast<size_t>(glyphs_[x]) * glyphHeight_ + py) * glyphWidth_];
            for (int px = 0; px < glyphWidth_; ++px, out += 4) {
                const uint8_t index = mask[px] ? fgs_[x] : bgs_[x];
                if (index != kNoColor) {
                    std::memcpy(out, colors_[index].data(), 4);
                }
            }
        }
    }

    const tilemap& map_;
    const int glyphWidth_;
    const int glyphHeight_;
    const std::vector<uint8_t> masks_;
    const std::array<std::array<uint8_t, 4>, kEntries> colors_;
    std::vector<uint8_t> glyphs_, fgs_, bgs_;
    int cellRow_ = -1;
};

// Hands on each rise of the whole job's figure.
class JobProgress {
  public:
    explicit JobProgress(const WorkProgress& report) : report_(report) {}

    // Encoding ends one short of the total, which is kept for the file in place.
    void Encoded(int rows, int rowCount) {
        Report(static_cast<int>(int64_t{rows} * (kProgressTotal - 1) / rowCount));
    }
    void Written() { Report(kProgressTotal); }

  private:
    void Report(int figure) {
        if (report_ && figure > shown_) {
            shown_ = figure;
            report_(figure);
        }
    }

    const WorkProgress& report_;
    int shown_ = 0;
};

ExportResult Failed(std::string error) {
    return {false, std::move(error)};
}

std::string Size(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

ExportResult ExportPNG(const tilemap& map, const std::string& path, int compression,
                       const ExportLook& look, const WorkProgress& progress) {
    const int64_t width = int64_t{map.tmapw} * look.GlyphWidth;
    const int64_t height = int64_t{map.tmaph} * look.GlyphHeight;
    if (map.tmapw <= 0 || map.tmaph <= 0 ||
        map.tmap.size() != static_cast<size_t>(int64_t{map.tmapw} * map.tmaph * 3)) {
        return Failed("The map has no cells to export.");
    }
    if (look.GlyphWidth <= 0 || look.GlyphHeight <= 0 || width > kPngMaxSide ||
        height > kPngMaxSide) {
        return Failed("The picture would be " + Size(width, height) +
                      " pixels; a PNG picture is written at most " + std::to_string(kPngMaxSide) +
                      " pixels wide and high.");
    }

    const std::string sheetPath = PathNoExtension(look.tilesetPath) + "_fg.png";
    const std::shared_ptr<TPixmap> sheet = LoadPixmap(sheetPath);
    if (!sheet) {
        return Failed("Cannot load the glyph sheet " + sheetPath + ".");
    }
    // A sheet changed on disk since start-up must still hold every glyph block.
    if (sheet->width < kGlyphsPerRow * look.GlyphWidth ||
        sheet->height < kGlyphsPerRow * look.GlyphHeight) {
        return Failed("The glyph sheet " + sheetPath + " is " + Size(sheet->width, sheet->height) +
                      " pixels, too small for 16 x 16 glyphs of " +
                      Size(look.GlyphWidth, look.GlyphHeight) + " pixels.");
    }
    RowPainter painter(map, look, GlyphMasks(*sheet, look.GlyphWidth, look.GlyphHeight));

    std::string failure;
    const std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path, &failure);
    if (!writer) {
        return Failed("Cannot write " + path + ": " + failure + ".");
    }
    JobProgress job(progress);
    const PngLayout picture{static_cast<int>(width), static_cast<int>(height), PF_RGBA8888};
    const int bandRows = static_cast<int>(std::max<int64_t>(1, kBandBytes / (width * 4)));
    bool written = false;
    // A full disk is an export that failed, not a reason to end the program.
    try {
        written = WritePngBands(
            writer->Stream(), picture, bandRows, compression,
            [&painter](TPixmap& band, int firstRow) { painter.Paint(band, firstRow); },
            [&job](int rows, int rowCount) { job.Encoded(rows, rowCount); });
    } catch (const TStreamException&) {
        written = false;
    }
    if (!written || !writer->Commit()) {
        const std::string reason = writer->Failure();
        return Failed("Writing " + path +
                      " failed: " + (reason.empty() ? "the PNG encoder stopped" : reason) + ".");
    }
    job.Written();
    return {true, {}};
}

} // namespace dm
