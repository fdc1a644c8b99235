#include "render/palette.h"

#include "support/headless_window.h"

#include "platform/fatal_error.h"
#include "platform/pictures/pixmap.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

namespace dm {
namespace {

// A distinct opaque colour for every palette index.
uint32_t ColorOfIndex(int i) {
    return 0xFF000000u | static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(255 - i) << 8 |
           static_cast<uint32_t>(i * 7 & 0xFF);
}

// The planes of a palette whose first count entries are ColorOfIndex and the rest black.
std::array<uint8_t, 3 * kPaletteEntries> ExpectedPlanes(int count) {
    std::array<uint8_t, 3 * kPaletteEntries> planes{};
    for (int i = 0; i < count; ++i) {
        planes[i] = static_cast<uint8_t>(ColorOfIndex(i) >> 16);
        planes[kPaletteEntries + i] = static_cast<uint8_t>(ColorOfIndex(i) >> 8);
        planes[2 * kPaletteEntries + i] = static_cast<uint8_t>(ColorOfIndex(i));
    }
    return planes;
}

class PaletteFiles : public testing::Test {
  protected:
    // A palette picture of the given shape whose pixels in reading order are ColorOfIndex.
    std::string WritePalette(int width, int height) {
        const std::string path = folder_.Path("pallet.png");
        test::WritePicture(path, width, height, kPixelFormatRGB888,
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

TEST_F(PaletteFiles, PixelsFillEntriesInReadingOrderAndTheRestStayBlack) {
    for (const auto& [width, height] : {std::pair{16, 16}, std::pair{256, 1}, std::pair{8, 4}}) {
        EXPECT_EQ(LoadPalette(WritePalette(width, height), DisplayConfig{}).planes,
                  ExpectedPlanes(width * height))
            << width << "x" << height;
    }

    DisplayConfig config;
    config.pallet = WritePalette(4, 1);
    EXPECT_EQ(LoadPalette("?USE_DEAFULT", config).planes, ExpectedPlanes(4));

    // Alpha is ignored.
    const std::string path = folder_.Path("alpha.png");
    test::WritePicture(path, 2, 1, kPixelFormatRGBA8888,
                       [](int x, int) { return x == 0 ? 0x40FF8000u : 0x00123456u; });
    const Palette palette = LoadPalette(path, DisplayConfig{});
    EXPECT_EQ(palette.Red(0), 0xFF);
    EXPECT_EQ(palette.Green(0), 0x80);
    EXPECT_EQ(palette.Blue(0), 0x00);
    EXPECT_EQ(palette.Red(1), 0x12);
    EXPECT_EQ(palette.Green(1), 0x34);
    EXPECT_EQ(palette.Blue(1), 0x56);
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

    test::HeadlessWindow window(1, 1);
    SetPaletteColor(palette, 8);
    const TDrawContext& context = window.Graphics().context;
    EXPECT_EQ((std::array<int, 3>{context.color_red, context.color_green, context.color_blue}),
              (std::array<int, 3>{1, 2, 3}));
}

} // namespace
} // namespace dm
