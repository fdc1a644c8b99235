#include "files/export_painter.h"

#include "platform/io/paths.h"
#include "platform/io/program_folder.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <cstring>

namespace dm {

namespace {

constexpr int kGlyphsPerRow = 16;
constexpr uint8_t kNoColor = 255;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// For each glyph, its pixels row by row: 1 where the sheet is exactly opaque white.
std::vector<uint8_t> GlyphMasks(const TPixmap& sheet, int glyphWidth, int glyphHeight) {
    constexpr int kGlyphs = kGlyphsPerRow * kGlyphsPerRow;
    std::vector<uint8_t> masks(static_cast<size_t>(kGlyphs) * glyphWidth * glyphHeight);
    size_t i = 0;
    for (int glyph = 0; glyph < kGlyphs; ++glyph) {
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

std::string Size(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

Expected<std::shared_ptr<ExportPainter>> ExportPainter::Create(const tilemap& map,
                                                               const ExportLook& look) {
    const std::string sheetPath = PathNoExtension(look.tilesetPath) + "_fg.png";
    const std::shared_ptr<TPixmap> sheet =
        LoadPixmap(PathFromFolder(look.resourceFolder, sheetPath));
    if (!sheet) {
        return Failure{"Cannot load the glyph sheet " + sheetPath + "."};
    }
    // A sheet changed on disk since start-up must still hold every glyph block.
    if (sheet->width < kGlyphsPerRow * look.GlyphWidth ||
        sheet->height < kGlyphsPerRow * look.GlyphHeight) {
        return Failure{"The glyph sheet " + sheetPath + " is " + Size(sheet->width, sheet->height) +
                       " pixels, too small for 16 x 16 glyphs of " +
                       Size(look.GlyphWidth, look.GlyphHeight) + " pixels."};
    }
    return std::shared_ptr<ExportPainter>(
        new ExportPainter(map, look, GlyphMasks(*sheet, look.GlyphWidth, look.GlyphHeight)));
}

ExportPainter::ExportPainter(const tilemap& map, const ExportLook& look, std::vector<uint8_t> masks)
    : map_(map), glyphWidth_(look.GlyphWidth), glyphHeight_(look.GlyphHeight),
      masks_(std::move(masks)), glyphs_(map.tmapw), fgs_(map.tmapw), bgs_(map.tmapw) {
    for (int i = 0; i < kEntries; ++i) {
        colors_[i] = {look.palette[i], look.palette[kEntries + i], look.palette[2 * kEntries + i],
                      255};
    }
}

void ExportPainter::Paint(uint8_t* pixels, size_t stride, int firstRow, int count) {
    for (int row = 0; row < count; ++row) {
        const int pixelRow = firstRow + row;
        LoadCellRow(pixelRow / glyphHeight_);
        PaintRow(pixels + static_cast<size_t>(row) * stride, pixelRow % glyphHeight_);
    }
}

void ExportPainter::LoadCellRow(int y) {
    if (y == cellRow_) {
        return;
    }
    for (int x = 0; x < map_.tmapw; ++x) {
        map_.GrabTile(x, y, glyphs_[x], fgs_[x], bgs_[x]);
    }
    cellRow_ = y;
}

// Row py of every glyph block along the cell row.
void ExportPainter::PaintRow(uint8_t* out, int py) const {
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

} // namespace dm
