#include "map_test_helpers.h"
#include "model/tilemap.h"

#include <gtest/gtest.h>

#include <random>

namespace dm {
namespace {

using test::Tile;
using test::TileAt;

// The copy walked cell by cell, column by column, from src as it stands. A source cell outside src
// repeats the last cell read (0, 0, 0 before the first), and 255 keeps a component unless forced.
void NaiveCopy(const tilemap& src, int32_t sx, int32_t sy, int32_t w, int32_t h, tilemap& dst,
               int32_t dx, int32_t dy, int32_t force) {
    uint8_t g = 0;
    uint8_t f = 0;
    uint8_t b = 0;
    for (int32_t i = 0; i < w; ++i) {
        for (int32_t j = 0; j < h; ++j) {
            src.GrabTile(sx + i, sy + j, g, f, b);
            dst.SetTile(dx + i, dy + j, g, f, b, force);
        }
    }
}

TEST(CopyRect, CopiesCellsAndSkipsDestinationCellsOutside) {
    const auto src = test::NumberedMap(4, 4);
    auto dst = tilemap::Create(3, 3);
    dst->Fill(7, 7, 7, 0);
    EXPECT_EQ(tilemap::CopyRect(*src, 1, 2, 2, 2, *dst, 2, -1, 0), 0);
    EXPECT_EQ(TileAt(*dst, 2, 0), (Tile{1 + 16 * 3, 101, 203}));
    EXPECT_EQ(TileAt(*dst, 1, 0), (Tile{7, 7, 7}));
    EXPECT_EQ(TileAt(*dst, 2, 1), (Tile{7, 7, 7}));

    // Source cells outside repeat the last cell read, or 0, 0, 0 before any was read.
    tilemap::CopyRect(*src, -1, 3, 2, 2, *dst, 0, 1, 1);
    EXPECT_EQ(TileAt(*dst, 0, 2), (Tile{0, 0, 0}));
    EXPECT_EQ(TileAt(*dst, 1, 2), TileAt(*src, 0, 3));
}

TEST(CopyRect, AgreesWithTheCellByCellWalkOnRandomRectanglesIncludingItself) {
    std::mt19937 random(12345);
    const auto pick = [&](int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    };
    for (int round = 0; round < 3000; ++round) {
        const auto src = test::NumberedMap(pick(0, 5), pick(0, 5));
        src->SetTile(pick(0, 4), pick(0, 4), 255, 255, 255, 1);
        src->SetTile(pick(0, 4), pick(0, 4), 255, 4, 255, 1);
        const auto dst = test::NumberedMap(pick(0, 6), pick(0, 6));
        dst->Fill(pick(0, 255), pick(0, 255), pick(0, 255), 1);
        const auto sameMap = round % 3 == 0;
        tilemap& target = sameMap ? *src : *dst;
        const auto expected = target.Copy();
        const int32_t sx = pick(-4, 6);
        const int32_t sy = pick(-4, 6);
        const int32_t w = pick(-1, 8);
        const int32_t h = pick(-1, 8);
        const int32_t dx = pick(-4, 6);
        const int32_t dy = pick(-4, 6);
        const int32_t force = pick(0, 1);
        NaiveCopy(*src->Copy(), sx, sy, w, h, *expected, dx, dy, force);
        tilemap::CopyRect(*src, sx, sy, w, h, target, dx, dy, force);
        ASSERT_EQ(target.tmap, expected->tmap)
            << sameMap << " " << sx << "," << sy << " " << w << "x" << h << " -> " << dx << ","
            << dy << " force " << force;
    }
}

TEST(CopyRect, HugeRectanglesTouchOnlyTheMaps) {
    const auto original = test::NumberedMap(3, 3);
    auto map = original->Copy();
    tilemap::CopyRect(*map, 0, 0, 2147483647, 2147483647, *map, 1, 1, 1);
    EXPECT_EQ(TileAt(*map, 1, 1), TileAt(*original, 0, 0));
    EXPECT_EQ(TileAt(*map, 2, 2), TileAt(*original, 1, 1));
    EXPECT_EQ(TileAt(*map, 0, 2), TileAt(*original, 0, 2));

    auto other = tilemap::Create(2, 2);
    other->Fill(5, 5, 5, 0);
    tilemap::CopyRect(*map, -2147483647 - 1, 2147483647, 2147483647, 2147483647, *other,
                      -2147483647 - 1, -2147483647 - 1, 1);
    EXPECT_EQ(other->tmap, std::vector<uint8_t>(12, 5));
    tilemap::CopyRect(*map, 2147483647, 0, 2147483647, 1, *other, 0, 0, 1);
    EXPECT_EQ(TileAt(*other, 0, 0), (Tile{0, 0, 0}));
    EXPECT_EQ(TileAt(*other, 1, 0), (Tile{0, 0, 0}));
    EXPECT_EQ(TileAt(*other, 1, 1), (Tile{5, 5, 5}));
}

TEST(CopyRect, InsertMapImagePlacesTheWholeSource) {
    auto src = test::NumberedMap(2, 2);
    src->SetTile(1, 1, 255, 255, 255, 1);
    auto map = tilemap::Create(3, 3);
    map->Fill(5, 5, 5, 0);
    EXPECT_EQ(map->InsertMapImage(*src, 1, 1, 0), 0);
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{5, 5, 5}));
    EXPECT_EQ(TileAt(*map, 1, 1), TileAt(*src, 0, 0));
    EXPECT_EQ(TileAt(*map, 2, 1), TileAt(*src, 1, 0));
    EXPECT_EQ(TileAt(*map, 2, 2), (Tile{5, 5, 5}));
    map->InsertMapImage(*src, 1, 1, 1);
    EXPECT_EQ(TileAt(*map, 2, 2), (Tile{255, 255, 255}));
}

} // namespace
} // namespace dm
