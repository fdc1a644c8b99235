#include "files/map_text.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

// Index i is (i, 2i, 3i) in the low byte of each.
PalettePlanes TestPalette() {
    PalettePlanes palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = static_cast<uint8_t>(i);
        palette[256 + i] = static_cast<uint8_t>(2 * i);
        palette[512 + i] = static_cast<uint8_t>(3 * i);
    }
    return palette;
}

TEST(MapText, AnsiRowsOfATwoByTwoMap) {
    const auto map = tilemap::Create(2, 2);
    map->SetTile(0, 0, 'A', 1, 2, 1);
    map->SetTile(1, 0, 27, 1, 2, 1); // escape, same colours
    map->SetTile(0, 1, 176, 255, 3, 1);
    map->SetTile(1, 1, 3, 4, 255, 1);
    const struct {
        AnsiTarget target;
        std::string rows[2];
    } cases[] = {
        {AnsiTarget::File,
         {"\x1b[38;2;1;2;3;48;2;2;4;6mA \x1b[0m\r\n",
          "\x1b[39;48;2;3;6;9m \x1b[38;2;4;8;12;49m\x03\x1b[0m\r\n"}},
        {AnsiTarget::Terminal,
         {"\x1b[38;2;1;2;3;48;2;2;4;6mA\u2190\x1b[0m\n",
          "\x1b[39;48;2;3;6;9m \x1b[38;2;4;8;12;49m\u2665\x1b[0m\n"}},
    };
    for (const auto& c : cases) {
        for (int32_t y = 0; y < 2; ++y) {
            EXPECT_EQ(AnsiRow(*map, y, TestPalette(), c.target), c.rows[y]) << y;
        }
    }
}

TEST(MapText, AnsiFileRowsWriteReaderControlBytesAsSpaces) {
    const std::string glyphs = {0, 7, 8, 9, 10, 13, 26, 27, 127, '\xFF'};
    const auto map = tilemap::Create(static_cast<int32_t>(glyphs.size()), 1);
    map->InsertString(0, 0, glyphs, 0, 0, 0, 1, 0);
    EXPECT_EQ(AnsiRow(*map, 0, TestPalette(), AnsiTarget::File),
              "\x1b[38;2;0;0;0;48;2;0;0;0m \x07      \x7F\xFF\x1b[0m\r\n");
}

TEST(MapText, TextRowsAreUtf8WithNulAsSpace) {
    const auto map = tilemap::Create(5, 2);
    const std::string glyphs = {0, 'z', '\xB0', '\xFF', 1};
    map->InsertString(0, 1, glyphs, 0, 0, 0, 1, 0);
    EXPECT_EQ(TextRow(*map, 0), "     \n");
    EXPECT_EQ(TextRow(*map, 1), " z\u2591\u00A0\u263A\n");
}

} // namespace
} // namespace dm
