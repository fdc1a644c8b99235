#pragma once

#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

// A glyph sheet holds the 256 glyphs 16 to a row: glyph g is the block in column g mod 16 and
// row g div 16, counted from the top-left.
inline constexpr int kGlyphsPerRow = 16;
inline constexpr int kGlyphCount = kGlyphsPerRow * kGlyphsPerRow;

// The sheet file names derived from a configured tileset path: its backslashes made slashes and
// its extension (if any) replaced by "_fg.png" and "_bg.png".
std::string ForegroundSheetPath(const std::string& tilesetPath);
std::string BackgroundSheetPath(const std::string& tilesetPath);

// A pixel of the foreground sheet stands for the cell's foreground colour only when it is exactly
// opaque white; any other value, any transparency included, stands for the background.
constexpr bool IsForegroundPixel(uint32_t argb) {
    return argb == 0xFFFFFFFFu;
}

// Whether the sheet holds every block of 16 x 16 glyphs of glyphWidth x glyphHeight pixels.
bool SheetHoldsGlyphs(const TPixmap& sheet, int glyphWidth, int glyphHeight);

// For each glyph in code order, its pixels row by row: 1 where the sheet pixel is a foreground
// pixel, else 0. The sheet must hold every glyph block (SheetHoldsGlyphs).
std::vector<uint8_t> ReadGlyphMasks(const TPixmap& sheet, int glyphWidth, int glyphHeight);

} // namespace dm
