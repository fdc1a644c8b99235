#include "platform/drawing/graphics.h"
#include "platform/drawing/timage.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

namespace dm {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;

std::shared_ptr<TPixmap> Picture(int width, int height, int format, uint32_t fill) {
    std::shared_ptr<TPixmap> picture = TPixmap::Create(width, height, format, 4);
    picture->ClearPixels(fill);
    return picture;
}

// The pixels of the frame that are not black, as (x, y) pairs.
std::set<std::pair<int, int>> Lit(const TPixmap& frame) {
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (frame.ReadPixel(x, y) != kBlack) {
                lit.insert({x, y});
            }
        }
    }
    return lit;
}

std::set<std::pair<int, int>> Block(int x0, int y0, int x1, int y1) {
    std::set<std::pair<int, int>> block;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            block.insert({x, y});
        }
    }
    return block;
}

TEST(ImageMask, MaskPixelsBecomeTransparentWithTheirNeighboursAverage) {
    std::shared_ptr<TPixmap> source = Picture(3, 2, kPixelFormatRGB888, 0xFF000000u);
    source->WritePixel(0, 0, 0xFF0A1400u); // (10, 20, 0)
    source->WritePixel(2, 0, 0xFF1E0001u); // (30, 0, 1)
    source->WritePixel(2, 1, 0xFF010000u); // near black stays visible
    const std::shared_ptr<TPixmap> drawn = DrawablePixmap(*source, true, MaskColor{});
    ASSERT_EQ(drawn->format, kPixelFormatRGBA8888);
    EXPECT_EQ(drawn->ReadPixel(0, 0), 0xFF0A1400u);
    EXPECT_EQ(drawn->ReadPixel(2, 1), 0xFF010000u);
    // (1, 0) sees (10, 20, 0), (30, 0, 1) and (1, 0, 0): the average truncates.
    EXPECT_EQ(drawn->ReadPixel(1, 0), 0x000D0600u);
    // (0, 1) sees only (10, 20, 0) among its unmasked neighbours.
    EXPECT_EQ(drawn->ReadPixel(0, 1), 0x000A1400u);

    const std::shared_ptr<TPixmap> allMask = Picture(2, 2, kPixelFormatRGB888, 0xFF102030u);
    EXPECT_EQ(DrawablePixmap(*allMask, true, MaskColor{16, 32, 48})->ReadPixel(1, 1), 0u);
    EXPECT_EQ(DrawablePixmap(*allMask, false, MaskColor{16, 32, 48})->ReadPixel(1, 1), 0xFF102030u);

    // A picture with an alpha channel keeps it, whatever the mask colour.
    const std::shared_ptr<TPixmap> withAlpha = Picture(1, 1, kPixelFormatRGBA8888, 0x40000000u);
    EXPECT_EQ(DrawablePixmap(*withAlpha, true, MaskColor{})->ReadPixel(0, 0), 0x40000000u);
}

TEST(SoftwareRenderer, AlphaTestPassesFromOneHalfAndTintsByTheDrawingColour) {
    std::shared_ptr<TPixmap> sheet = Picture(3, 1, kPixelFormatRGBA8888, 0);
    sheet->WritePixel(0, 0, 0x7FFFFFFFu);
    sheet->WritePixel(1, 0, 0x80FFFFFFu);
    sheet->WritePixel(2, 0, 0xFF804020u);
    const auto image = TImage::LoadAnim(sheet, 1, 1, 0, 3, kImageMasked, MaskColor{});
    test::HeadlessWindow window(3, 1);
    SetColor(200, 100, 50);
    for (int frame = 0; frame < 3; ++frame) {
        DrawFrame(*image, static_cast<float>(frame), 0, frame);
    }
    const auto drawn = window.Present();
    EXPECT_EQ(drawn->ReadPixel(0, 0), kBlack);
    EXPECT_EQ(drawn->ReadPixel(1, 0), 0xFFC86432u);
    // (128 x 200 + 127) / 255, (64 x 100 + 127) / 255, (32 x 50 + 127) / 255
    EXPECT_EQ(drawn->ReadPixel(2, 0), 0xFF641906u);
}

TEST(SoftwareRenderer, RowAndColumnLinesCoverTheirPixelsInEitherDirection) {
    test::HeadlessWindow window(16, 16);
    struct Case {
        int x1, y1, x2, y2;
        bool lastPixel;
        std::set<std::pair<int, int>> pixels;
    };
    const Case cases[] = {
        {2, 3, 6, 3, true, Block(2, 3, 7, 4)},        {6, 3, 2, 3, true, Block(2, 3, 7, 4)},
        {2, 3, 6, 3, false, Block(2, 3, 6, 4)},       {6, 3, 2, 3, false, Block(3, 3, 7, 4)},
        {5, 9, 5, 1, true, Block(5, 1, 6, 10)},       {5, 1, 5, 9, false, Block(5, 1, 6, 9)},
        {4, 4, 4, 4, true, Block(4, 4, 5, 5)},        {4, 4, 4, 4, false, {}},
        {-3, 15, 20, 15, true, Block(0, 15, 16, 16)},
    };
    for (const Case& c : cases) {
        DrawLine(static_cast<float>(c.x1), static_cast<float>(c.y1), static_cast<float>(c.x2),
                 static_cast<float>(c.y2), c.lastPixel);
        EXPECT_EQ(Lit(*window.Present()), c.pixels)
            << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
    }

    // A slanted line joins its two ends without gaps.
    DrawLine(1, 1, 9, 4, true);
    const auto lit = Lit(*window.Present());
    EXPECT_EQ(lit.size(), 9u);
    EXPECT_TRUE(lit.count({1, 1}) && lit.count({9, 4}));
}

} // namespace
} // namespace dm
