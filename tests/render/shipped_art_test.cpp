#include "platform/pixmap.h"
#include "platform/png_codec.h"
#include "render/display_config.h"
#include "render/palette.h"
#include "render/tileset.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>

namespace dm {
namespace {

const std::string kRoot = DUSKMARCH_SOURCE_DIR;
constexpr uint32_t kInk = 0xFFFFFFFFu;   // opaque white
constexpr uint32_t kPaper = 0xFF000000u; // opaque black, the mask colour
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kLayoutColumns = 111;
constexpr int kLayoutRows = 68;

enum Edge { Top, Bottom, Left, Right };

// The glyphs of one sheet, read through the 16 x 16 layout of the tileset.
struct Sheet {
    std::shared_ptr<TPixmap> pixmap;
    int glyphWidth = 0;
    int glyphHeight = 0;

    uint32_t Pixel(int code, int x, int y) const {
        return pixmap->ReadPixel(code % kGlyphsPerRow * glyphWidth + x,
                                 code / kGlyphsPerRow * glyphHeight + y);
    }
    bool Ink(int code, int x, int y) const { return Pixel(code, x, y) == kInk; }

    int InkCount(int code) const {
        int count = 0;
        for (int y = 0; y < glyphHeight; ++y) {
            for (int x = 0; x < glyphWidth; ++x) {
                count += Ink(code, x, y) ? 1 : 0;
            }
        }
        return count;
    }

    // The pixels along one edge of a glyph, '#' for ink, left to right or top to bottom.
    std::string EdgePattern(int code, Edge edge) const {
        const bool across = edge == Top || edge == Bottom;
        const int length = across ? glyphWidth : glyphHeight;
        std::string pattern;
        for (int i = 0; i < length; ++i) {
            const int x = across ? i : (edge == Left ? 0 : glyphWidth - 1);
            const int y = across ? (edge == Top ? 0 : glyphHeight - 1) : i;
            pattern += Ink(code, x, y) ? '#' : '.';
        }
        return pattern;
    }

    std::string Picture(int code) const {
        std::string picture;
        for (int y = 0; y < glyphHeight; ++y) {
            for (int x = 0; x < glyphWidth; ++x) {
                picture += Ink(code, x, y) ? '#' : '.';
            }
            picture += '\n';
        }
        return picture;
    }
};

int Runs(const std::string& pattern) {
    int runs = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        runs += pattern[i] == '#' && (i == 0 || pattern[i - 1] != '#') ? 1 : 0;
    }
    return runs;
}

class ShippedTileset : public testing::Test {
  protected:
    void SetUp() override {
        foreground_.pixmap = LoadPixmap(kRoot + "/data/image/curses_fg.png");
        background_ = LoadPixmap(kRoot + "/data/image/curses_bg.png");
        ASSERT_TRUE(foreground_.pixmap);
        ASSERT_TRUE(background_);
        foreground_.glyphWidth = foreground_.pixmap->width / 16;
        foreground_.glyphHeight = foreground_.pixmap->height / 16;
    }

    Sheet foreground_;
    std::shared_ptr<TPixmap> background_;
};

TEST_F(ShippedTileset, BackgroundSheetIsTheExactComplementOfTheForeground) {
    const TPixmap& fg = *foreground_.pixmap;
    const TPixmap& bg = *background_;
    ASSERT_EQ(bg.width, fg.width);
    ASSERT_EQ(bg.height, fg.height);
    // Without an alpha channel black is the mask colour.
    EXPECT_EQ(fg.format, PF_RGB888);
    EXPECT_EQ(bg.format, PF_RGB888);
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
            EXPECT_EQ(foreground_.InkCount(code), 0) << "code " << code;
            continue;
        }
        EXPECT_GT(foreground_.InkCount(code), 0) << "code " << code;
        EXPECT_TRUE(pictures.insert(foreground_.Picture(code)).second)
            << "code " << code << " repeats an earlier glyph:\n"
            << foreground_.Picture(code);
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
    const std::string verticalSingle = foreground_.EdgePattern(179, Top);
    const std::string verticalDouble = foreground_.EdgePattern(186, Top);
    const std::string horizontalSingle = foreground_.EdgePattern(196, Left);
    const std::string horizontalDouble = foreground_.EdgePattern(205, Left);
    EXPECT_EQ(Runs(verticalSingle), 1) << verticalSingle;
    EXPECT_EQ(Runs(verticalDouble), 2) << verticalDouble;
    EXPECT_EQ(Runs(horizontalSingle), 1) << horizontalSingle;
    EXPECT_EQ(Runs(horizontalDouble), 2) << horizontalDouble;
    EXPECT_EQ(foreground_.EdgePattern(179, Bottom), verticalSingle);
    EXPECT_EQ(foreground_.EdgePattern(205, Right), horizontalDouble);

    const std::string none(foreground_.glyphWidth, '.');
    const std::string noneDown(foreground_.glyphHeight, '.');
    for (const BoxLines& box : kBoxLines) {
        for (Edge edge : {Top, Bottom, Left, Right}) {
            const bool vertical = edge == Top || edge == Bottom;
            const int weight = box.weight[edge];
            const std::string expected = weight == 0 ? (vertical ? none : noneDown)
                                         : weight == 1
                                             ? (vertical ? verticalSingle : horizontalSingle)
                                             : (vertical ? verticalDouble : horizontalDouble);
            EXPECT_EQ(foreground_.EdgePattern(box.code, edge), expected)
                << "code " << box.code << " edge " << edge << "\n"
                << foreground_.Picture(box.code);
        }
    }
}

TEST_F(ShippedTileset, BlocksFillTheirPartOfTheCellExactly) {
    const int w = foreground_.glyphWidth;
    const int h = foreground_.glyphHeight;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            EXPECT_TRUE(foreground_.Ink(219, x, y));
            EXPECT_EQ(foreground_.Ink(220, x, y), y >= h / 2) << x << "," << y;
            EXPECT_EQ(foreground_.Ink(223, x, y), y < h / 2) << x << "," << y;
            EXPECT_EQ(foreground_.Ink(221, x, y), x < w / 2) << x << "," << y;
            EXPECT_EQ(foreground_.Ink(222, x, y), x >= w / 2) << x << "," << y;
        }
    }
}

TEST_F(ShippedTileset, ShadesCoverAQuarterAHalfAndThreeQuartersAndTileSeamlessly) {
    const int area = foreground_.glyphWidth * foreground_.glyphHeight;
    EXPECT_EQ(foreground_.InkCount(176) * 4, area);
    EXPECT_EQ(foreground_.InkCount(177) * 2, area);
    EXPECT_EQ(foreground_.InkCount(178) * 4, area * 3);
    // The patterns repeat every 4 columns and 2 rows, which divide the cell, so a shaded area
    // continues them across cell borders: wrapping around an edge lands on the same pattern.
    for (int code : {176, 177, 178}) {
        const int w = foreground_.glyphWidth;
        const int h = foreground_.glyphHeight;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int right = (x + 4) % w;
                const int below = (y + 2) % h;
                EXPECT_EQ(foreground_.Ink(code, x, y), foreground_.Ink(code, right, below))
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
    EXPECT_EQ(palette->format, PF_RGB888);

    struct Pair {
        int text, ground;
    };
    // Text 0 on the screen and the dark grounds, the reference tables, the grey names and
    // checkerboard over their backing, status lines and the typing notice on the screen.
    for (const Pair pair : {Pair{0, 9}, Pair{0, 1}, Pair{0, 10}, Pair{0, 15}, Pair{0, 22},
                            Pair{0, 28}, Pair{24, 23}, Pair{8, 1}, Pair{14, 9}, Pair{5, 9}}) {
        EXPECT_GE(Brightness(*palette, pair.text) - Brightness(*palette, pair.ground), 96)
            << pair.text << " on " << pair.ground;
    }
    EXPECT_EQ(palette->ReadPixel(9 % 16, 9 / 16), 0xFF000000u);

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
    EXPECT_EQ(foreground_.pixmap->width, 16 * tileset.GlyphWidth);
    EXPECT_EQ(foreground_.pixmap->height, 16 * tileset.GlyphHeight);
    EXPECT_LE(config.width * tileset.GlyphWidth * config.scale, kScreenWidth);
    EXPECT_LE(config.height * tileset.GlyphHeight * config.scale, kScreenHeight);

    const Palette palette = LoadPalette(kRoot + "/" + config.pallet, config);
    EXPECT_EQ(PaletteBrightness(palette, 0), 255);
    EXPECT_EQ(PaletteBrightness(palette, 9), 0);
}

} // namespace
} // namespace dm
