#include "files/export_painter.h"

#include "files/color_match.h"
#include "files/glyph_sheet.h"
#include "platform/io/program_folder.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <cstring>

namespace dm {

namespace {

std::string Size(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

Expected<std::shared_ptr<ExportPainter>> ExportPainter::Create(const tilemap& map,
                                                               const ExportLook& look) {
    const std::string sheetPath = ForegroundSheetPath(look.tilesetPath);
    const std::shared_ptr<TPixmap> sheet =
        LoadPixmap(PathFromFolder(look.resourceFolder, sheetPath));
    if (!sheet) {
        return Failure{"Cannot load the glyph sheet " + sheetPath + "."};
    }
    // A sheet changed on disk since start-up must still hold every glyph block.
    if (!SheetHoldsGlyphs(*sheet, look.GlyphWidth, look.GlyphHeight)) {
        return Failure{"The glyph sheet " + sheetPath + " is " + Size(sheet->width, sheet->height) +
                       " pixels, too small for 16 x 16 glyphs of " +
                       Size(look.GlyphWidth, look.GlyphHeight) + " pixels."};
    }
    return std::shared_ptr<ExportPainter>(
        new ExportPainter(map, look, ReadGlyphMasks(*sheet, look.GlyphWidth, look.GlyphHeight)));
}

ExportPainter::ExportPainter(const tilemap& map, const ExportLook& look, std::vector<uint8_t> masks)
    : map_(map), glyphWidth_(look.GlyphWidth), glyphHeight_(look.GlyphHeight),
      masks_(std::move(masks)), glyphs_(map.tmapw), fgs_(map.tmapw), bgs_(map.tmapw) {
    for (int i = 0; i < kPaletteEntries; ++i) {
        const Rgb color = PaletteColor(look.palette, static_cast<uint8_t>(i));
        colors_[i] = {color.red, color.green, color.blue, 255};
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
