#include "files/map_text.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(MapText, AnsiFileRowsWriteReaderControlBytesAsSpaces) {
    const std::string glyphs = {0, 7, 8, 9, 10, 13, 26, 27, 127, '\xFF'};
    const auto map = tilemap::Create(static_cast<int32_t>(glyphs.size()), 1);
    map->InsertString(0, 0, glyphs, 0, 0, 0, 1, 0);
    EXPECT_EQ(AnsiRow(*map, 0, PalettePlanes{}, AnsiTarget::File),
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
