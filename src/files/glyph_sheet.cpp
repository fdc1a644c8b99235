#include "files/glyph_sheet.h"

#include "platform/io/paths.h"

namespace dm {

std::string ForegroundSheetPath(const std::string& tilesetPath) {
    return PathNoExtension(PathFromBackslashes(tilesetPath)) + "_fg.png";
}

std::string BackgroundSheetPath(const std::string& tilesetPath) {
    return PathNoExtension(PathFromBackslashes(tilesetPath)) + "_bg.png";
}

bool SheetHoldsGlyphs(const TPixmap& sheet, int glyphWidth, int glyphHeight) {
    return int64_t{sheet.width} >= int64_t{kGlyphsPerRow} * glyphWidth &&
           int64_t{sheet.height} >= int64_t{kGlyphsPerRow} * glyphHeight;
}

std::vector<uint8_t> ReadGlyphMasks(const TPixmap& sheet, int glyphWidth, int glyphHeight) {
    std::vector<uint8_t> masks(static_cast<size_t>(kGlyphCount) *
                               static_cast<size_t>(glyphWidth * glyphHeight));
    size_t i = 0;
    for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
        const int left = glyph % kGlyphsPerRow * glyphWidth;
        const int top = glyph / kGlyphsPerRow * glyphHeight;
        for (int py = 0; py < glyphHeight; ++py) {
            for (int px = 0; px < glyphWidth; ++px) {
                masks[i++] = IsForegroundPixel(sheet.ReadPixel(left + px, top + py)) ? 1 : 0;
            }
        }
    }
    return masks;
}

} // namespace dm
