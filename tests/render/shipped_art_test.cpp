#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"
#include "render/display_config.h"
#include "render/palette.h"
#include "render/tileset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace dm {
namespace {

const std::string kRoot = DUSKMARCH_SOURCE_DIR;
constexpr uint32_t kInk = 0xFFFFFFFFu;   // opaque white
constexpr uint32_t kPaper = 0xFF000000u; // opaque black, the mask colour
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kLayoutColumns = 111;
constexpr int kLayoutRows = 68;

enum class Edge { Top, Bottom, Left, Right };
using enum Edge;

int Runs(const std::string& pattern) {
    int runs = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        runs += pattern[i] == '#' && (i == 0 || pattern[i - 1] != '#') ? 1 : 0;
    }
    return runs;
}

// The shipped sheets, their glyphs read through the 16 x 16 layout of the tileset.
class ShippedTileset : public testing::Test {
  protected:
    void SetUp() override {
        fg_ = LoadPixmap(kRoot + "/data/image/curses_fg.png");
        bg_ = LoadPixmap(kRoot + "/data/image/curses_bg.png");
        ASSERT_TRUE(fg_);
        ASSERT_TRUE(bg_);
        w_ = fg_->width / kGlyphsPerRow;
        h_ = fg_->height / kGlyphsPerRow;
    }

    bool Ink(int code, int x, int y) const {
        return fg_->ReadPixel(code % kGlyphsPerRow * w_ + x, code / kGlyphsPerRow * h_ + y) == kInk;
    }

    // The glyph as rows of '#' for ink and '.' for paper.
    std::string Picture(int code) const {
        std::string picture;
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                picture += Ink(code, x, y) ? '#' : '.';
            }
            picture += '\n';
        }
        return picture;
    }

    int InkCount(int code) const {
        return static_cast<int>(std::ranges::count(Picture(code), '#'));
    }

    // The pixels along one edge of a glyph, '#' for ink, left to right or top to bottom.
    std::string EdgePattern(int code, Edge edge) const {
        const bool across = edge == Top || edge == Bottom;
        std::string pattern;
        for (int i = 0; i < (across ? w_ : h_); ++i) {
            const int x = across ? i : (edge == Left ? 0 : w_ - 1);
            const int y = across ? (edge == Top ? 0 : h_ - 1) : i;
            pattern += Ink(code, x, y) ? '#' : '.';
        }
        return pattern;
    }

    std::shared_ptr<TPixmap> fg_;
    std::shared_ptr<TPixmap> bg_;
    int w_ = 0; // glyph width
    int h_ = 0; // glyph height
};

TEST_F(ShippedTileset, BackgroundSheetIsTheExactComplementOfTheForeground) {
    const TPixmap& fg = *fg_;
    const TPixmap& bg = *bg_;
    ASSERT_EQ(bg.width, fg.width);
    ASSERT_EQ(bg.height, fg.height);
    // Without an alpha channel black is the mask colour.
    EXPECT_EQ(fg.format, kPixelFormatRGB888);
    EXPECT_EQ(bg.format, kPixelFormatRGB888);
    int mismatches = 0;
    for (int y = 0; y < fg.height; ++y) {
        for (int x = 0; x < fg.width; ++x) {
            const uint32_t ink = fg.ReadPixel(x, y);
            EXPECT_TRUE(ink == kInk || ink == kPaper) << "foreground pixel " << x << "," << y;
            mismatches += bg.ReadPixel(x, y) == (ink ^ 0x00FFFFFFu) ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(ShippedTileset, OnlyTheBlankCodesAreEmptyAndNoTwoGlyphsAreAlike) {
    std::set<std::string> pictures;
    for (int code = 0; code < kGlyphCount; ++code) {
        const bool blank = code == 0 || code == 32 || code == 255;
        if (blank) {
            EXPECT_EQ(InkCount(code), 0) << "code " << code;
            continue;
        }
        EXPECT_GT(InkCount(code), 0) << "code " << code;
        EXPECT_TRUE(pictures.insert(Picture(code)).second)
            << "code " << code << " repeats an earlier glyph:\n"
            << Picture(code);
    }
}

// Line weight (0 none, 1 single, 2 double) leaving each edge: top, bottom, left, right.
struct BoxLines {
    int code;
    std::array<int, 4> weight;
};

// clang-format off
constexpr std::array<BoxLines, 40> kBoxLines = {{
    {179, {1, 1, 0, 0}}, {180, {1, 1, 1, 0}}, {181, {1, 1, 2, 0}}, {182, {2, 2, 1, 0}},
    {183, {0, 2, 1, 0}}, {184, {0, 1, 2, 0}}, {185, {2, 2, 2, 0}}, {186, {2, 2, 0, 0}},
    {187, {0, 2, 2, 0}}, {188, {2, 0, 2, 0}}, {189, {2, 0, 1, 0}}, {190, {1, 0, 2, 0}},
    {191, {0, 1, 1, 0}}, {192, {1, 0, 0, 1}}, {193, {1, 0, 1, 1}}, {194, {0, 1, 1, 1}},
    {195, {1, 1, 0, 1}}, {196, {0, 0, 1, 1}}, {197, {1, 1, 1, 1}}, {198, {1, 1, 0, 2}},
    {199, {2, 2, 0, 1}}, {200, {2, 0, 0, 2}}, {201, {0, 2, 0, 2}}, {202, {2, 0, 2, 2}},
    {203, {0, 2, 2, 2}}, {204, {2, 2, 0, 2}}, {205, {0, 0, 2, 2}}, {206, {2, 2, 2, 2}},
    {207, {1, 0, 2, 2}}, {208, {2, 0, 1, 1}}, {209, {0, 1, 2, 2}}, {210, {0, 2, 1, 1}},
    {211, {2, 0, 0, 1}}, {212, {1, 0, 0, 2}}, {213, {0, 1, 0, 2}}, {214, {0, 2, 0, 1}},
    {215, {2, 2, 1, 1}}, {216, {1, 1, 2, 2}}, {217, {1, 0, 1, 0}}, {218, {0, 1, 0, 1}},
}};
// clang-format on

TEST_F(ShippedTileset, BoxLinesLeaveTheCellWhereTheyContinueAndLineUpWithTheirNeighbours) {
    // Straight lines give the pattern every edge crossed by a line of that weight must show,
    // so that any two pieces meeting across a cell border join without a step.
    const std::string verticalSingle = EdgePattern(179, Top);
    const std::string verticalDouble = EdgePattern(186, Top);
    const std::string horizontalSingle = EdgePattern(196, Left);
    const std::string horizontalDouble = EdgePattern(205, Left);
    EXPECT_EQ(Runs(verticalSingle), 1) << verticalSingle;
    EXPECT_EQ(Runs(verticalDouble), 2) << verticalDouble;
    EXPECT_EQ(Runs(horizontalSingle), 1) << horizontalSingle;
    EXPECT_EQ(Runs(horizontalDouble), 2) << horizontalDouble;
    EXPECT_EQ(EdgePattern(179, Bottom), verticalSingle);
    EXPECT_EQ(EdgePattern(205, Right), horizontalDouble);

    // By weight, for edges crossed by vertical lines (top, bottom) and by horizontal ones.
    const std::string vertical[3] = {std::string(w_, '.'), verticalSingle, verticalDouble};
    const std::string horizontal[3] = {std::string(h_, '.'), horizontalSingle, horizontalDouble};
    for (const BoxLines& box : kBoxLines) {
        for (Edge edge : {Top, Bottom, Left, Right}) {
            const int weight = box.weight[static_cast<size_t>(edge)];
            const std::string& expected =
                edge == Top || edge == Bottom ? vertical[weight] : horizontal[weight];
            EXPECT_EQ(EdgePattern(box.code, edge), expected)
                << "code " << box.code << " edge " << static_cast<int>(edge) << "\n"
                << Picture(box.code);
        }
    }
}

TEST_F(ShippedTileset, BlocksFillTheirPartOfTheCellExactly) {
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            EXPECT_TRUE(Ink(219, x, y));
            EXPECT_EQ(Ink(220, x, y), y >= h_ / 2) << x << "," << y;
            EXPECT_EQ(Ink(223, x, y), y < h_ / 2) << x << "," << y;
            EXPECT_EQ(Ink(221, x, y), x < w_ / 2) << x << "," << y;
            EXPECT_EQ(Ink(222, x, y), x >= w_ / 2) << x << "," << y;
        }
    }
}

TEST_F(ShippedTileset, ShadesCoverAQuarterAHalfAndThreeQuartersAndTileSeamlessly) {
    const int area = w_ * h_;
    EXPECT_EQ(InkCount(176) * 4, area);
    EXPECT_EQ(InkCount(177) * 2, area);
    EXPECT_EQ(InkCount(178) * 4, area * 3);
    // The patterns repeat every 4 columns and 2 rows, which divide the cell, so a shaded area
    // continues them across cell borders: wrapping around an edge lands on the same pattern.
    for (int code : {176, 177, 178}) {
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                const int right = (x + 4) % w_;
                const int below = (y + 2) % h_;
                EXPECT_EQ(Ink(code, x, y), Ink(code, right, below))
                    << "code " << code << " at " << x << "," << y;
            }
        }
    }
}

// (red + green + blue) / 3 of a palette picture pixel, index by index.
int Brightness(const TPixmap& palette, int index) {
    const uint32_t argb = palette.ReadPixel(index % 16, index / 16);
    return static_cast<int>(((argb >> 16 & 0xFF) + (argb >> 8 & 0xFF) + (argb & 0xFF)) / 3);
}

TEST(ShippedPalette, SixteenBySixteenDistinctColoursWithLegibleScreenPairs) {
    const auto palette = LoadPixmap(kRoot + "/data/image/pallet.png");
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->width, 16);
    ASSERT_EQ(palette->height, 16);
    EXPECT_EQ(palette->format, kPixelFormatRGB888);

    // Text 0 on the screen and the dark grounds, the reference tables, the grey names and
    // checkerboard over their backing, status lines and the typing notice on the screen.
    for (const auto& [text, ground] :
         {std::pair{0, 9}, std::pair{0, 1}, std::pair{0, 10}, std::pair{0, 15}, std::pair{0, 22},
          std::pair{0, 28}, std::pair{24, 23}, std::pair{8, 1}, std::pair{14, 9},
          std::pair{5, 9}}) {
        EXPECT_GE(Brightness(*palette, text) - Brightness(*palette, ground), 96)
            << text << " on " << ground;
    }

    std::set<uint32_t> colours;
    for (int index = 0; index < 256; ++index) {
        colours.insert(palette->ReadPixel(index % 16, index / 16));
    }
    EXPECT_EQ(colours.size(), 256u);

    // Row 2 is a grey ramp; rows 2-15 run from light to dark.
    for (int x = 0; x < 16; ++x) {
        const uint32_t grey = palette->ReadPixel(x, 2);
        EXPECT_EQ(grey >> 16 & 0xFF, grey & 0xFF);
        EXPECT_EQ(grey >> 8 & 0xFF, grey & 0xFF);
    }
    for (int row = 2; row < 16; ++row) {
        for (int x = 1; x < 16; ++x) {
            EXPECT_LT(Brightness(*palette, row * 16 + x), Brightness(*palette, row * 16 + x - 1))
                << "row " << row << " column " << x;
        }
    }
}

TEST_F(ShippedTileset, ShippedConfigurationLoadsItWholeAndFitsTheLayoutOnAFullHdScreen) {
    DisplayConfig config;
    ASSERT_NO_THROW(LoadDisplayConfig(kRoot + "/dmdata/graphics.txt", config));
    EXPECT_TRUE(config.loaded);
    EXPECT_GE(config.width, kLayoutColumns);
    EXPECT_GE(config.height, kLayoutRows);
    EXPECT_EQ(config.title, "Duskmarch");
    EXPECT_EQ(config.scale, 1);

    const Tileset tileset = LoadTileset(kRoot + "/" + config.tileset, config);
    EXPECT_EQ(tileset.GlyphWidth, 8);
    EXPECT_EQ(tileset.GlyphHeight, 14);
    EXPECT_EQ(fg_->width, 16 * tileset.GlyphWidth);
    EXPECT_EQ(fg_->height, 16 * tileset.GlyphHeight);
    EXPECT_LE(config.width * tileset.GlyphWidth * config.scale, kScreenWidth);
    EXPECT_LE(config.height * tileset.GlyphHeight * config.scale, kScreenHeight);

    const Palette palette = LoadPalette(kRoot + "/" + config.pallet, config);
    EXPECT_EQ(PaletteBrightness(palette, 0), 255);
    EXPECT_EQ(PaletteBrightness(palette, 9), 0);
}

} // namespace
} // namespace dm
