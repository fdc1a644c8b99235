#pragma once

#include "platform/drawing/timage.h"
#include "platform/pictures/pixmap.h"
#include "render/display.h"

#include <cstdint>
#include <memory>

namespace dm::test {

// A small tileset for drawing tests: glyphs of 4 x 3 pixels whose foreground pattern depends on
// the glyph code, with the background sheet its exact complement as in the shipped art, and a
// palette in which no colour is black, so that every painted pixel shows.
inline constexpr int kTestGlyphWidth = 4;
inline constexpr int kTestGlyphHeight = 3;

inline bool TestGlyphPixel(int glyph, int x, int y) {
    return (glyph + x * 3 + y * 5) % 7 < 3;
}

inline uint32_t TestPaletteColor(int index) {
    return 0xFF000000u | static_cast<uint32_t>(index) << 16 |
           static_cast<uint32_t>(128 + index / 2) << 8 | static_cast<uint32_t>(255 - index);
}

inline std::shared_ptr<TImage> TestSheet(bool foreground) {
    std::shared_ptr<TPixmap> sheet =
        TPixmap::Create(16 * kTestGlyphWidth, 16 * kTestGlyphHeight, kPixelFormatRGB888, 4);
    for (int y = 0; y < sheet->height; ++y) {
        for (int x = 0; x < sheet->width; ++x) {
            const int glyph = (y / kTestGlyphHeight) * 16 + x / kTestGlyphWidth;
            const bool lit =
                TestGlyphPixel(glyph, x % kTestGlyphWidth, y % kTestGlyphHeight) == foreground;
            sheet->WritePixel(x, y, lit ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    return TImage::LoadAnim(sheet, kTestGlyphWidth, kTestGlyphHeight, 0, 256, kImageMasked,
                            MaskColor{});
}

inline Display TestDisplay(int cellsAcross, int cellsDown, int scale) {
    Display display;
    display.config.width = cellsAcross;
    display.config.height = cellsDown;
    display.config.scale = scale;
    display.tileset.ForegroundSheet = TestSheet(true);
    display.tileset.BackgroundSheet = TestSheet(false);
    display.tileset.GlyphWidth = kTestGlyphWidth;
    display.tileset.GlyphHeight = kTestGlyphHeight;
    for (int i = 0; i < kPaletteEntries; ++i) {
        const uint32_t colour = TestPaletteColor(i);
        display.palette.planes[i] = static_cast<uint8_t>(colour >> 16);
        display.palette.planes[kPaletteEntries + i] = static_cast<uint8_t>(colour >> 8);
        display.palette.planes[2 * kPaletteEntries + i] = static_cast<uint8_t>(colour);
    }
    display.windowWidth = cellsAcross * kTestGlyphWidth * scale;
    display.windowHeight = cellsDown * kTestGlyphHeight * scale;
    return display;
}

} // namespace dm::test
