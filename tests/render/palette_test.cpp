#include "render/palette.h"

#include "platform/fatal_error.h"
#include "platform/pixmap.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

// A distinct colour for every palette index.
uint32_t ColorOfIndex(int i) {
    return 0xFF000000u | static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i) << 8 |
           static_cast<uint32_t>(i * 7 & 0xFF);
}

void ExpectEntry(const Palette& palette, int index, uint32_t argb) {
    EXPECT_EQ(palette.Red(index), (argb >> 16) & 0xFF) << index;
    EXPECT_EQ(palette.Green(index), (argb >> 8) & 0xFF) << index;
    EXPECT_EQ(palette.Blue(index), argb & 0xFF) << index;
}

class PaletteFiles : public testing::Test {
  protected:
    // A palette picture of the given shape whose pixels in reading order are ColorOfIndex.
    std::string WritePalette(int width, int height, int format = PF_RGB888) {
        const std::string path = folder_.Path("pallet.png");
        test::WritePicture(path, width, height, format,
                           [width](int x, int y) { return ColorOfIndex(y * width + x); });
        return path;
    }

    std::string FatalMessage(const std::string& path) {
        try {
            LoadPalette(path, DisplayConfig{});
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }

    test::TempFolder folder_;
};

TEST_F(PaletteFiles, SixteenBySixteenFillsEveryEntryInReadingOrder) {
    const Palette square = LoadPalette(WritePalette(16, 16), DisplayConfig{});
    for (int i = 0; i < 256; ++i) {
        ExpectEntry(square, i, ColorOfIndex(i));
    }
    EXPECT_EQ(square.planes[1], 1);
    EXPECT_EQ(square.planes[256 + 1], 254);
    EXPECT_EQ(square.planes[512 + 1], 7);

    const Palette row = LoadPalette(WritePalette(256, 1), DisplayConfig{});
    EXPECT_EQ(row.planes, square.planes);
}

TEST_F(PaletteFiles, SmallPictureLeavesTheRestBlack) {
    const Palette palette = LoadPalette(WritePalette(8, 4), DisplayConfig{});
    for (int i = 0; i < 32; ++i) {
        ExpectEntry(palette, i, ColorOfIndex(i));
    }
    for (int i = 32; i < 256; ++i) {
        ExpectEntry(palette, i, 0);
    }
}

TEST_F(PaletteFiles, AlphaIsIgnored) {
    const std::string path = folder_.Path("pallet.png");
    test::WritePicture(path, 2, 1, PF_RGBA8888,
                       [](int x, int) { return x == 0 ? 0x40FF8000u : 0x00123456u; });
    const Palette palette = LoadPalette(path, DisplayConfig{});
    ExpectEntry(palette, 0, 0xFF8000);
    ExpectEntry(palette, 1, 0x123456);
}

TEST_F(PaletteFiles, DefaultPathSelectsTheConfiguredPalette) {
    DisplayConfig config;
    config.pallet = WritePalette(4, 1);
    ExpectEntry(LoadPalette("?USE_DEAFULT", config), 3, ColorOfIndex(3));
}

TEST_F(PaletteFiles, TooManyPixelsOrMissingPictureIsFatal) {
    const std::string big = WritePalette(17, 16);
    EXPECT_EQ(FatalMessage(big),
              "Too many colors in pallet " + big + ", 256 is the proper amount.");
    EXPECT_EQ(FatalMessage(WritePalette(257, 1)),
              "Too many colors in pallet " + big + ", 256 is the proper amount.");

    const std::string missing = folder_.Root() + "\\absent\\pallet.png";
    EXPECT_EQ(FatalMessage(missing), "Failed to load " + missing);
    EXPECT_EQ(FatalMessage(folder_.Write("text.png", "no picture here")),
              "Failed to load " + folder_.Path("text.png"));
}

TEST(PaletteColors, BrightnessAndColorSetterUseTheEntry) {
    Palette palette;
    palette.planes[7] = 255;
    palette.planes[256 + 7] = 255;
    palette.planes[512 + 7] = 254;
    palette.planes[8] = 1;
    palette.planes[256 + 8] = 2;
    palette.planes[512 + 8] = 3;
    EXPECT_EQ(PaletteBrightness(palette, 7), 254);
    EXPECT_EQ(PaletteBrightness(palette, 8), 2);
    EXPECT_EQ(PaletteBrightness(palette, 9), 0);

    int red = -1, green = -1, blue = -1;
    SetPaletteColor(palette, 8, [&](int r, int g, int b) {
        red = r;
        green = g;
        blue = b;
    });
    EXPECT_EQ(red, 1);
    EXPECT_EQ(green, 2);
    EXPECT_EQ(blue, 3);
}

} // namespace
} // namespace dm
