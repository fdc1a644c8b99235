#include "files/glyph_sheet.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(GlyphSheet, OnlyExactlyOpaqueWhiteIsForeground) {
    EXPECT_TRUE(IsForegroundPixel(0xFFFFFFFFu));
    for (const uint32_t other : {0x00FFFFFFu, 0xFEFFFFFFu, 0xFFFFFFFEu, 0xFFFEFFFFu, 0xFF000000u}) {
        EXPECT_FALSE(IsForegroundPixel(other)) << std::hex << other;
    }
}

TEST(GlyphSheet, HoldsGlyphsOnlyWhenEveryBlockFits) {
    const auto sheet = TPixmap::Create(16 * 8, 16 * 14, kPixelFormatRGB888, 4);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(SheetHoldsGlyphs(*sheet, 8, 14));
    EXPECT_TRUE(SheetHoldsGlyphs(*sheet, 7, 13));
    EXPECT_FALSE(SheetHoldsGlyphs(*sheet, 9, 14));
    EXPECT_FALSE(SheetHoldsGlyphs(*sheet, 8, 15));
    // 16 times a huge glyph side must not wrap around to a size that fits.
    EXPECT_FALSE(SheetHoldsGlyphs(*sheet, 0x10000001, 14));
}

TEST(GlyphSheet, MasksFollowCodeOrderRowByRow) {
    const auto sheet = TPixmap::Create(16 * 2, 16 * 3, kPixelFormatRGBA8888, 4);
    ASSERT_NE(sheet, nullptr);
    for (int y = 0; y < sheet->height; ++y) {
        for (int x = 0; x < sheet->width; ++x) {
            sheet->WritePixel(x, y, 0xFF000000u);
        }
    }
    sheet->WritePixel(1, 0, 0xFFFFFFFFu);              // glyph 0, row 0, column 1
    sheet->WritePixel(2 * 15, 3 * 1 + 2, 0xFFFFFFFFu); // glyph 31, row 2, column 0
    sheet->WritePixel(2 * 1, 3 * 15 + 1, 0xFEFFFFFFu); // glyph 241: not quite opaque
    const std::vector<uint8_t> masks = ReadGlyphMasks(*sheet, 2, 3);
    ASSERT_EQ(masks.size(), 256u * 6u);
    std::vector<uint8_t> expected(256 * 6, 0);
    expected[1] = 1;
    expected[31 * 6 + 2 * 2] = 1;
    EXPECT_EQ(masks, expected);
}

} // namespace
} // namespace dm
