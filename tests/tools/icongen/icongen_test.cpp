#include "icon_picture.h"
#include "icon_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace dm::icongen {
namespace {

TEST(ChooseLayout, TheWholeSceneMagnifiedWhereItFitsElseTheCellsThatFit) {
    // side, glyph width and height, then scale, across, down. The shipped 8 x 14 glyphs make
    // the whole scene 56 x 56; never less than the small scene, even where it overflows (16).
    const int cases[][6] = {{256, 8, 14, 4, 7, 4}, {128, 8, 14, 2, 7, 4}, {64, 8, 14, 1, 7, 4},
                            {56, 8, 14, 1, 6, 3},  {48, 8, 14, 1, 5, 3},  {16, 8, 14, 1, 5, 3},
                            {256, 8, 8, 4, 7, 4}};
    for (const auto& c : cases) {
        const IconLayout layout = ChooseLayout(c[0], c[1], c[2]);
        EXPECT_EQ(std::make_tuple(layout.scale, layout.across, layout.down),
                  std::make_tuple(c[3], c[4], c[5]))
            << c[0] << " " << c[1] << "x" << c[2];
    }
}

// The glyphs of a scene's rows, as text.
std::string Row(const tilemap& map, int y) {
    std::string row;
    for (int x = 0; x < map.tmapw; ++x) {
        row += static_cast<char>(map.tmap[y * map.tmapw + x]);
    }
    return row;
}

TEST(MakeScene, ADoubleFrameAroundTheMapWithThePlayerInEverySize) {
    const auto full = MakeScene(kSceneAcross, kSceneDown);
    ASSERT_EQ(std::make_pair(full->tmapw, full->tmaph), std::make_pair(7, 4));
    EXPECT_EQ(Row(*full, 0), "\xC9\xCD\xCD\xCD\xCD\xCD\xBB");
    EXPECT_EQ(Row(*full, 1), "\xBA\x1E\x1E\x05\x05\xF7\xBA");
    EXPECT_EQ(Row(*full, 2), "\xBA\x1E\x05@\xF7\xF7\xBA");
    EXPECT_EQ(Row(*full, 3), "\xC8\xCD\xCD\xCD\xCD\xCD\xBC");

    const auto small = MakeScene(kSmallSceneAcross, kSmallSceneDown);
    ASSERT_EQ(std::make_pair(small->tmapw, small->tmaph), std::make_pair(5, 3));
    EXPECT_EQ(Row(*small, 0), "\xC9\xCD\xCD\xCD\xBB");
    EXPECT_EQ(Row(*small, 1), "\xBA\x05@\xF7\xBA");
    EXPECT_EQ(Row(*small, 2), "\xC8\xCD\xCD\xCD\xBC");

    const auto between = MakeScene(6, 3);
    EXPECT_EQ(Row(*between, 1), "\xBA\x1E\x05@\xF7\xBA");
    // Sizes outside the scene's are held to it.
    const auto held = MakeScene(2, 20);
    EXPECT_EQ(std::make_pair(held->tmapw, held->tmaph),
              std::make_pair(kSmallSceneAcross, kSceneDown));

    // Every cell has its colours set: nothing is left transparent or in the empty colour 0.
    for (size_t i = full->tmap.size() / 3; i < full->tmap.size(); ++i) {
        EXPECT_NE(full->tmap[i], 0u) << "byte " << i;
        EXPECT_NE(full->tmap[i], 255u) << "byte " << i;
    }
    EXPECT_EQ(full->tmap[full->tmapw * full->tmaph + 2 * 7 + 3], 5u) << "the player is yellow";
}

TEST(FrameIcon, MagnifiesByRepeatingPixelsCentresAndRoundsTheCorners) {
    // A 16 x 8 scene of distinct opaque colours, magnified 3 times into 64 x 64.
    const auto scene = TPixmap::Create(16, 8, kPixelFormatRGB888, 4);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            scene->WritePixel(x, y, 0xFF000000u | static_cast<uint32_t>(x << 16 | y << 8 | 0x80));
        }
    }
    const auto icon = FrameIcon(*scene, 3, 64);
    ASSERT_TRUE(icon);
    ASSERT_EQ(std::make_tuple(icon->width, icon->height, icon->format),
              std::make_tuple(64, 64, kPixelFormatRGBA8888));
    const int left = (64 - 48) / 2;
    const int top = (64 - 24) / 2;
    int partial = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint32_t pixel = icon->ReadPixel(x, y);
            const int sx = x - left;
            const int sy = y - top;
            if (sx < 0 || sy < 0 || sx >= 48 || sy >= 24) {
                ASSERT_EQ(pixel, 0u) << x << "," << y;
                continue;
            }
            ASSERT_EQ(pixel & 0xFFFFFFu, scene->ReadPixel(sx / 3, sy / 3) & 0xFFFFFFu)
                << x << "," << y;
            const uint32_t alpha = pixel >> 24;
            // Corners round off along a radius of 24 / 8 = 3 pixels.
            const bool inCorner = (sx < 3 || sx >= 45) && (sy < 3 || sy >= 21);
            if (!inCorner) {
                ASSERT_EQ(alpha, 255u) << x << "," << y;
            }
            partial += alpha > 0 && alpha < 255;
        }
    }
    // Corner pixels clear, the one diagonally inside opaque, the same in all four mirrored.
    EXPECT_EQ(icon->ReadPixel(left, top) >> 24, 0u);
    EXPECT_EQ(icon->ReadPixel(left + 2, top + 2) >> 24, 255u);
    EXPECT_GT(partial, 0) << "the rounded edges are smoothed";
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint32_t alpha = icon->ReadPixel(left + x, top + y) >> 24;
            EXPECT_EQ(icon->ReadPixel(left + 47 - x, top + y) >> 24, alpha);
            EXPECT_EQ(icon->ReadPixel(left + x, top + 23 - y) >> 24, alpha);
            EXPECT_EQ(icon->ReadPixel(left + 47 - x, top + 23 - y) >> 24, alpha);
        }
    }

    EXPECT_FALSE(FrameIcon(*scene, 5, 64)) << "80 pixels do not fit in 64";
    EXPECT_FALSE(FrameIcon(*scene, 0, 64));
    EXPECT_TRUE(FrameIcon(*scene, 4, 64)) << "64 pixels just fit";
}

} // namespace
} // namespace dm::icongen
