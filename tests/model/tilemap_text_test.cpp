#include "map_test_helpers.h"
#include "model/tilemap.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

using test::Tile;
using test::TileAt;

const std::string lineBreak(1, static_cast<char>(255));

std::string Row(const tilemap& map, int32_t y) {
    std::string text;
    for (int32_t x = 0; x < map.tmapw; ++x) {
        text += static_cast<char>(TileAt(map, x, y).glyph);
    }
    return text;
}

TEST(InsertString, ColourCodesSetTheForeground) {
    auto map = tilemap::Create(8, 1);
    map->Fill(0, 0, 3, 1);
    EXPECT_EQ(map->InsertString(0, 0, "ab@7@cd", 1, 255, 1, 0, 0), 0);
    EXPECT_EQ(Row(*map, 0), std::string("abcd") + std::string(4, '\0'));
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{'a', 1, 3}));
    EXPECT_EQ(TileAt(*map, 1, 0), (Tile{'b', 1, 3}));
    EXPECT_EQ(TileAt(*map, 2, 0), (Tile{'c', 7, 3}));
    EXPECT_EQ(TileAt(*map, 3, 0), (Tile{'d', 7, 3}));

    map->InsertString(0, 0, "ab@7@cd", 1, 4, 0, 0, 0);
    EXPECT_EQ(Row(*map, 0), "ab@7@cd" + std::string(1, '\0'));
    for (int32_t x = 0; x < 7; ++x) {
        EXPECT_EQ(TileAt(*map, x, 0).fg, 1);
        EXPECT_EQ(TileAt(*map, x, 0).bg, 4);
    }
}

TEST(InsertString, CodesRestoreConcatenateAndReadHexadecimal) {
    auto map = tilemap::Create(6, 1);
    map->InsertString(0, 0, "@12@AB@@C@$1f@D", 5, 0, 1, 0, 0);
    EXPECT_EQ(Row(*map, 0), std::string("ABCD") + std::string(2, '\0'));
    EXPECT_EQ(TileAt(*map, 0, 0).fg, 12);
    EXPECT_EQ(TileAt(*map, 1, 0).fg, 12);
    EXPECT_EQ(TileAt(*map, 2, 0).fg, 5);
    EXPECT_EQ(TileAt(*map, 3, 0).fg, 31);

    map->InsertString(0, 0, "@1@@2@x@300@y@x@z", 5, 0, 1, 0, 0);
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{'x', 12, 0}));
    EXPECT_EQ(TileAt(*map, 1, 0), (Tile{'y', 300 & 255, 0}));
    // A code whose text starts with no digit gives 0.
    EXPECT_EQ(TileAt(*map, 2, 0), (Tile{'z', 0, 0}));

    // An unclosed code writes nothing more.
    map->InsertString(3, 0, "q@9r", 5, 0, 1, 0, 0);
    EXPECT_EQ(TileAt(*map, 3, 0), (Tile{'q', 5, 0}));
    EXPECT_EQ(TileAt(*map, 4, 0).glyph, 0);
}

TEST(InsertString, LineBreaksReturnToTheStartColumn) {
    auto map = tilemap::Create(6, 6);
    map->InsertString(2, 3, "ab" + lineBreak + "cd", 1, 2, 0, 0, 1);
    EXPECT_EQ(TileAt(*map, 2, 3), (Tile{'a', 1, 2}));
    EXPECT_EQ(TileAt(*map, 3, 3), (Tile{'b', 1, 2}));
    EXPECT_EQ(TileAt(*map, 2, 4), (Tile{'c', 1, 2}));
    EXPECT_EQ(TileAt(*map, 3, 4), (Tile{'d', 1, 2}));
    EXPECT_EQ(TileAt(*map, 4, 3).glyph, 0);

    // Without line breaks character 255 is written as glyph 255, which unforced keeps the glyph.
    auto flat = tilemap::Create(4, 1);
    flat->Fill(7, 0, 0, 0);
    flat->InsertString(0, 0, "a" + lineBreak + "b", 3, 4, 0, 0, 0);
    EXPECT_EQ(TileAt(*flat, 1, 0), (Tile{7, 3, 4}));
    EXPECT_EQ(TileAt(*flat, 2, 0), (Tile{'b', 3, 4}));
    flat->InsertString(0, 0, lineBreak, 3, 4, 0, 1, 0);
    EXPECT_EQ(TileAt(*flat, 0, 0), (Tile{255, 3, 4}));
}

TEST(InsertString, StopsAtTheFirstCharacterOutside) {
    auto map = tilemap::Create(4, 2);
    map->InsertString(3, 0, "xy" + lineBreak + "zw", 1, 1, 0, 0, 1);
    EXPECT_EQ(TileAt(*map, 3, 0).glyph, 'x');
    EXPECT_EQ(TileAt(*map, 3, 1).glyph, 0);
    EXPECT_EQ(Row(*map, 1), std::string(4, '\0'));

    auto tall = tilemap::Create(3, 2);
    tall->InsertString(0, 1, "a" + lineBreak + "b" + lineBreak + "c", 1, 1, 0, 0, 1);
    EXPECT_EQ(TileAt(*tall, 0, 1).glyph, 'a');
    EXPECT_EQ(Row(*tall, 0), std::string(3, '\0'));

    auto outside = tilemap::Create(3, 3);
    const auto before = outside->tmap;
    outside->InsertString(-1, 0, "abc", 1, 1, 0, 1, 0);
    outside->InsertString(0, -1, "abc" + lineBreak + "def", 1, 1, 0, 1, 1);
    outside->InsertString(2147483647, 2147483647, "ab" + lineBreak + "c", 1, 1, 0, 1, 1);
    EXPECT_EQ(outside->tmap, before);
}

TEST(InsertString, BackgroundAndForceRules) {
    auto map = tilemap::Create(3, 1);
    map->Fill(0, 6, 6, 0);
    map->InsertString(0, 0, "a", 255, 255, 0, 0, 0);
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{'a', 6, 6}));
    map->InsertString(1, 0, "b", 255, 255, 0, 1, 0);
    EXPECT_EQ(TileAt(*map, 1, 0), (Tile{'b', 255, 255}));
    map->InsertString(2, 0, "@255@c", 1, 2, 1, 0, 0);
    EXPECT_EQ(TileAt(*map, 2, 0), (Tile{'c', 6, 2}));
}

TEST(InsertString, LongDigitRunsStayCheap) {
    auto map = tilemap::Create(2, 1);
    const std::string text = "@" + std::string(2000000, '7') + "@Q";
    map->InsertString(0, 0, text, 1, 0, 1, 0, 0);
    uint32_t expected = 0;
    for (size_t i = 0; i < 2000000; ++i) {
        expected = expected * 10 + 7;
    }
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{'Q', static_cast<int32_t>(expected & 255), 0}));
}

TEST(GlyphAndColourTables, FillA16By16BlockUnforced) {
    auto map = tilemap::Create(16, 16);
    EXPECT_EQ(map->InsertCharTable(0, 0), 0);
    for (int32_t j = 0; j < 16; ++j) {
        for (int32_t i = 0; i < 16; ++i) {
            const int32_t expected = i == 15 && j == 15 ? 0 : i + 16 * j;
            EXPECT_EQ(TileAt(*map, i, j), (Tile{expected, 0, 0})) << i << "," << j;
        }
    }

    auto colours = tilemap::Create(17, 17);
    colours->Fill(9, 4, 8, 0);
    EXPECT_EQ(colours->InsertColorTable(1, 1), 0);
    EXPECT_EQ(TileAt(*colours, 0, 0), (Tile{9, 4, 8}));
    EXPECT_EQ(TileAt(*colours, 1, 1), (Tile{0, 4, 0}));
    EXPECT_EQ(TileAt(*colours, 4, 2), (Tile{0, 4, 19}));
    EXPECT_EQ(TileAt(*colours, 16, 15), (Tile{0, 4, 239}));
    EXPECT_EQ(TileAt(*colours, 16, 16), (Tile{0, 4, 8}));

    auto clipped = tilemap::Create(4, 4);
    clipped->InsertCharTable(-14, -1);
    EXPECT_EQ(TileAt(*clipped, 0, 0), (Tile{30, 0, 0}));
    EXPECT_EQ(TileAt(*clipped, 1, 3), (Tile{79, 0, 0}));
    EXPECT_EQ(TileAt(*clipped, 2, 0), (Tile{0, 0, 0}));
}

} // namespace
} // namespace dm
