#include "tileset_glyphs.h"

#include "art_images.h"
#include "drawn_glyphs.h"
#include "psf_test_font.h"
#include "supplement_glyphs.h"

#include "platform/text/cp437_unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace dm {
namespace {

using test::PsfTestFont;

// A font whose glyph g names the character of code page 437 code g, except for skipped codes,
// and whose blank glyph 0 names the characters given.
PsfFont Cp437Font(std::initializer_list<int> skipped, int height = kGlyphHeight,
                  std::initializer_list<uint16_t> blankNames = {}) {
    PsfTestFont source(height);
    source.Name(0, blankNames);
    for (int code = 1; code < kGlyphCount; ++code) {
        if (std::find(skipped.begin(), skipped.end(), code) == skipped.end()) {
            source.Name(code, {static_cast<uint16_t>(kCp437ToUnicode[code])});
        }
    }
    return *ParsePsfFont(source.Bytes());
}

Glyph FontGlyph(int glyph) {
    Glyph expected;
    for (int y = 0; y < kGlyphHeight; ++y) {
        expected.rows[y] = PsfTestFont::Row(glyph, y);
    }
    return expected;
}

TEST(TilesetGlyphs, TakesEachCodeFromItsSource) {
    const auto glyphs = BuildTilesetGlyphs(Cp437Font({}));
    ASSERT_TRUE(glyphs) << glyphs.Why();
    for (int code = 0; code < kGlyphCount; ++code) {
        const auto drawn = DrawnGlyph(code);
        const auto supplement = SupplementGlyph(code);
        if (code == 0 || code == 32 || code == 255) {
            EXPECT_TRUE((*glyphs)[code].IsBlank()) << "code " << code;
        } else if (drawn) {
            EXPECT_EQ((*glyphs)[code], *drawn) << "code " << code;
        } else if (supplement) {
            EXPECT_EQ((*glyphs)[code], *supplement) << "code " << code;
        } else {
            EXPECT_EQ((*glyphs)[code], FontGlyph(code)) << "code " << code;
        }
    }
}

TEST(TilesetGlyphs, RefusesAFontThatCannotFillTheSet) {
    const auto tall = BuildTilesetGlyphs(Cp437Font({}, 16));
    ASSERT_FALSE(tall);
    EXPECT_EQ(tall.Why(), "the font's glyphs are 16 rows high, not 14");

    const auto missing = BuildTilesetGlyphs(Cp437Font({130}));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Why(), "the font has no visible glyph for code 130 (U+00E9)");

    // Naming a needed character with the blank glyph 0 is refused too.
    const auto blank = BuildTilesetGlyphs(Cp437Font({}, kGlyphHeight, {0x03B1}));
    ASSERT_FALSE(blank);
    EXPECT_EQ(blank.Why(), "the font has no visible glyph for code 224 (U+03B1)");
}

TEST(ArtImages, SheetPlacesGlyphsInRowsOfSixteen) {
    GlyphSet glyphs{};
    glyphs[0x41].Set(0, 0);
    glyphs[0x41].Set(7, 13);
    glyphs[0xFF].Set(3, 5);
    const auto sheet = RenderSheet(glyphs, 0x123456, 0xABCDEF);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->width, 16 * kGlyphWidth);
    ASSERT_EQ(sheet->height, 16 * kGlyphHeight);
    EXPECT_EQ(sheet->format, kPixelFormatRGB888);
    int inked = 0;
    for (int y = 0; y < sheet->height; ++y) {
        for (int x = 0; x < sheet->width; ++x) {
            const uint32_t pixel = sheet->ReadPixel(x, y);
            EXPECT_TRUE(pixel == 0xFF123456u || pixel == 0xFFABCDEFu);
            inked += pixel == 0xFF123456u ? 1 : 0;
        }
    }
    EXPECT_EQ(inked, 3);
    EXPECT_EQ(sheet->ReadPixel(1 * kGlyphWidth, 4 * kGlyphHeight), 0xFF123456u);
    EXPECT_EQ(sheet->ReadPixel(1 * kGlyphWidth + 7, 4 * kGlyphHeight + 13), 0xFF123456u);
    EXPECT_EQ(sheet->ReadPixel(15 * kGlyphWidth + 3, 15 * kGlyphHeight + 5), 0xFF123456u);
}

TEST(ArtImages, PaletteHoldsIndexIAtColumnIMod16RowIDiv16) {
    std::array<uint32_t, kPaletteSize> colours{};
    for (int i = 0; i < kPaletteSize; ++i) {
        colours[i] = static_cast<uint32_t>(i) * 0x010203u;
    }
    const auto picture = RenderPalette(colours);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 16);
    ASSERT_EQ(picture->height, 16);
    for (int i = 0; i < kPaletteSize; ++i) {
        EXPECT_EQ(picture->ReadPixel(i % 16, i / 16), 0xFF000000u | colours[i]) << "index " << i;
    }
}

} // namespace
} // namespace dm
