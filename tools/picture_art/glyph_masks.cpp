#include "picture_art/glyph_masks.h"

#include "files/glyph_sheet.h"
#include "platform/pictures/png_codec.h"

namespace dm {

GlyphMasks::GlyphMasks(const TPixmap& sheet, int width, int height)
    : width_(width), height_(height), on_(ReadGlyphMasks(sheet, width, height)) {}

Expected<GlyphMasks> LoadGlyphMasks(const std::string& sheetPath, int glyphWidth, int glyphHeight) {
    const std::shared_ptr<TPixmap> sheet = LoadPixmap(sheetPath);
    if (!sheet) {
        return Failure{"cannot load the glyph sheet " + sheetPath};
    }
    if (glyphWidth <= 0 || glyphHeight <= 0 || !SheetHoldsGlyphs(*sheet, glyphWidth, glyphHeight)) {
        return Failure{"the glyph sheet " + sheetPath + " is " + std::to_string(sheet->width) +
                       " x " + std::to_string(sheet->height) + " pixels, too small for 16 x 16 " +
                       "glyphs of " + std::to_string(glyphWidth) + " x " +
                       std::to_string(glyphHeight) + " pixels"};
    }
    return GlyphMasks(*sheet, glyphWidth, glyphHeight);
}

} // namespace dm
