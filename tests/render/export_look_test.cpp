#include "render/export_look.h"

#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace dm {
namespace {

TEST(ExportLook, ExportDrawsWithTheDisplaysTilesetAndPalette) {
    test::TempFolder folder;
    // Foreground white only in the left column of every glyph.
    test::WritePicture(folder.Path("glyphs_fg.png"), 48, 64, kPixelFormatRGB888,
                       [](int x, int) { return x % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u; });
    test::WritePicture(folder.Path("glyphs_bg.png"), 48, 64, kPixelFormatRGB888,
                       test::PositionColor);
    test::WritePicture(folder.Path("colours.png"), 16, 2, kPixelFormatRGB888, [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>(y * 16 + x) << 16 | 0x0000AA;
    });
    // The configuration names the tileset with backslashes between its folders.
    std::string tileset = folder.Path("glyphs.png");
    std::replace(tileset.begin(), tileset.end(), '/', '\\');
    const std::string config = folder.Write("graphics.txt", "tileset " + tileset + "\npallet " +
                                                                folder.Path("colours.png") + "\n");
    Display display;
    OpenDisplay(display, config, kUseDefaultTitle, [](const WindowRequest&) {});

    const ExportLook look = MakeExportLook(display);
    EXPECT_EQ(look.tilesetPath, folder.Path("glyphs.png"));
    EXPECT_EQ(look.GlyphWidth, 3);
    EXPECT_EQ(look.GlyphHeight, 4);
    EXPECT_EQ(look.palette, display.palette.planes);

    const auto map = tilemap::Create(1, 1);
    map->SetTile(0, 0, 65, 20, 7, 1);
    ASSERT_TRUE(ExportPNG(*map, folder.Path("out.png"), 8, look));
    const auto picture = LoadPixmap(folder.Path("out.png"));
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->width, 3);
    ASSERT_EQ(picture->height, 4);
    const uint8_t foreground[4] = {20, 0, 0xAA, 255};
    const uint8_t background[4] = {7, 0, 0xAA, 255};
    EXPECT_EQ(std::memcmp(picture->PixelPtr(0, 3), foreground, 4), 0);
    EXPECT_EQ(std::memcmp(picture->PixelPtr(2, 1), background, 4), 0);
}

} // namespace
} // namespace dm
