#include "map_test_helpers.h"
#include "model/tilemap.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

namespace dm {
namespace {

using test::Tile;
using test::TileAt;

TEST(Tilemap, CreateGivesZeroCellsInThreePlanes) {
    const auto map = tilemap::Create(3, 2);
    EXPECT_EQ(map->tmapw, 3);
    EXPECT_EQ(map->tmaph, 2);
    EXPECT_EQ(map->tmap, std::vector<uint8_t>(18, 0));
    EXPECT_EQ(map->transparentcolor, 9);

    map->SetTile(2, 1, 7, 8, 9, 0);
    EXPECT_EQ(map->tmap[2 + 1 * 3], 7);
    EXPECT_EQ(map->tmap[6 + 2 + 1 * 3], 8);
    EXPECT_EQ(map->tmap[12 + 2 + 1 * 3], 9);

    const auto empty = tilemap::Create(-4, 5);
    EXPECT_EQ(empty->tmapw, 0);
    EXPECT_EQ(empty->tmaph, 5);
    EXPECT_TRUE(empty->tmap.empty());
    EXPECT_EQ(empty->SetTile(0, 0, 1, 1, 1, 1), 0);
}

TEST(Tilemap, SetTileOutsideWritesNothingAndTheValue255KeepsUnlessForced) {
    auto map = tilemap::Create(4, 3);
    map->Fill(1, 2, 3, 0);
    const auto before = map->tmap;
    for (const auto& [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
        EXPECT_EQ(map->SetTile(x, y, 9, 9, 9, 1), 0) << x << "," << y;
    }
    EXPECT_EQ(map->SetTile(1, 1, 255, 255, 255, 0), 1);
    EXPECT_EQ(map->tmap, before);

    EXPECT_EQ(map->SetTile(1, 1, 255, 7, 255, 0), 1);
    EXPECT_EQ(TileAt(*map, 1, 1), (Tile{1, 7, 3}));
    EXPECT_EQ(map->SetTile(1, 1, 255, 7, 255, 1), 1);
    EXPECT_EQ(TileAt(*map, 1, 1), (Tile{255, 7, 255}));
    EXPECT_EQ(map->SetTile(3, 2, 4, 5, 6, 0), 1);
    EXPECT_EQ(TileAt(*map, 3, 2), (Tile{4, 5, 6}));
    EXPECT_EQ(TileAt(*map, 2, 2), (Tile{1, 2, 3}));
}

TEST(Tilemap, GrabTileLeavesOutArgumentsUntouchedOutside) {
    const auto map = test::NumberedMap(3, 3);
    uint8_t g = 1;
    uint8_t f = 2;
    uint8_t b = 3;
    EXPECT_EQ(map->GrabTile(3, 0, g, f, b), 0);
    EXPECT_EQ(map->GrabTile(0, -1, g, f, b), 0);
    EXPECT_EQ((Tile{g, f, b}), (Tile{1, 2, 3}));
    EXPECT_EQ(map->GrabTile(2, 1, g, f, b), 0);
    EXPECT_EQ((Tile{g, f, b}), (Tile{18, 102, 201}));
    EXPECT_EQ(TileAt(*map, -1, 1), (Tile{-1, -1, -1}));
    EXPECT_EQ(TileAt(*map, 1, 2), (Tile{33, 101, 202}));
}

TEST(Tilemap, SetTilesAndSetColorsWriteOnlyInsideCells) {
    auto map = tilemap::Create(4, 4);
    map->Fill(1, 2, 3, 0);
    EXPECT_EQ(map->SetTiles(2, -1, 5, 2, 9, 255, 8, 0), 0);
    for (int32_t x = 0; x < 4; ++x) {
        for (int32_t y = 0; y < 4; ++y) {
            const bool written = x >= 2 && y == 0;
            EXPECT_EQ(TileAt(*map, x, y), (written ? Tile{9, 2, 8} : Tile{1, 2, 3})) << x << y;
        }
    }

    EXPECT_EQ(map->SetColors(-2, 2, 4, 9, 6, 255, 0), 0);
    for (int32_t x = 0; x < 4; ++x) {
        for (int32_t y = 1; y < 4; ++y) {
            const bool written = x < 2 && y >= 2;
            EXPECT_EQ(TileAt(*map, x, y), (written ? Tile{1, 6, 3} : Tile{1, 2, 3})) << x << y;
        }
    }

    const auto before = map->tmap;
    EXPECT_EQ(map->SetColors(0, 0, 4, 4, 255, 255, 0), 0);
    EXPECT_EQ(map->SetTiles(0, 0, -1, 4, 0, 0, 0, 1), 0);
    EXPECT_EQ(map->SetTiles(2147483647, 2147483647, 2147483647, 2147483647, 0, 0, 0, 1), 0);
    EXPECT_EQ(map->tmap, before);
    map->SetColors(3, 3, 1, 1, 255, 255, 1);
    EXPECT_EQ(TileAt(*map, 3, 3), (Tile{1, 255, 255}));
    map->SetTiles(-2147483647 - 1, 0, 2147483647, 1, 5, 5, 5, 0);
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{1, 2, 3}));
}

TEST(Tilemap, FillStoresLowBitsAndOnly255Keeps) {
    auto map = tilemap::Create(3, 2);
    map->Fill(1, 2, 3, 0);
    const auto before = map->tmap;
    EXPECT_EQ(map->Fill(255, 255, 255, 0), 0);
    EXPECT_EQ(map->tmap, before);
    EXPECT_EQ(map->Fill(256, 255, 255, 0), 1);
    EXPECT_EQ(TileAt(*map, 2, 1), (Tile{0, 2, 3}));
    EXPECT_EQ(map->Fill(-1, 511, 255, 0), 1);
    EXPECT_EQ(TileAt(*map, 0, 0), (Tile{255, 255, 3}));
    EXPECT_EQ(map->Fill(255, 255, 255, 1), 1);
    EXPECT_EQ(map->tmap, std::vector<uint8_t>(18, 255));

    map->Fill(4, 5, 6, 0);
    EXPECT_EQ(map->FillColor(255, 255, 0), 0);
    EXPECT_EQ(map->FillColor(255, 7, 0), 1);
    EXPECT_EQ(TileAt(*map, 1, 1), (Tile{4, 5, 7}));
    EXPECT_EQ(map->FillColor(255, 263, 1), 1);
    EXPECT_EQ(TileAt(*map, 2, 0), (Tile{4, 255, 7}));
}

auto Fields(const tparticle& p) {
    return std::tuple{p.x, p.y, p.xv, p.yv, p.blinkrate, p.life, p.glyph, p.color, p.bgcolor};
}

TEST(Tilemap, ParticlesAreAppendedInOrderAndCopiedIndependently) {
    auto map = test::NumberedMap(5, 4);
    map->drawtime = 17;
    map->transparentcolor = 255;
    const auto a = map->AddParticle(1.5f, 2.5f, -0.5f, 0.25f, 4, 30, 42, 3, 255);
    const auto b = map->AddParticle(0, 0, 0, 0, 0, -1, 65, 1, 2);
    ASSERT_EQ(map->tplist.size(), 2u);
    EXPECT_EQ(map->tplist.front(), a);
    EXPECT_EQ(map->tplist.back(), b);
    EXPECT_EQ(Fields(*a), (std::tuple{1.5f, 2.5f, -0.5f, 0.25f, 4, 30, 42, 3, 255}));

    const auto copy = map->Copy();
    EXPECT_EQ(copy->tmapw, 5);
    EXPECT_EQ(copy->tmaph, 4);
    EXPECT_EQ(copy->tmap, map->tmap);
    EXPECT_EQ(copy->drawtime, 17);
    EXPECT_EQ(copy->transparentcolor, 255);
    ASSERT_EQ(copy->tplist.size(), 2u);
    EXPECT_NE(copy->tplist.front(), a);
    EXPECT_EQ(Fields(*copy->tplist.front()), Fields(*a));
    EXPECT_EQ(Fields(*copy->tplist.back()), Fields(*b));

    const auto original = map->tmap;
    copy->SetTile(0, 0, 99, 99, 99, 0);
    copy->tplist.front()->x = 9;
    copy->ClearParticles();
    EXPECT_EQ(map->tmap, original);
    EXPECT_EQ(map->tplist.size(), 2u);
    EXPECT_EQ(a->x, 1.5f);

    EXPECT_EQ(map->ClearParticles(), 0);
    EXPECT_TRUE(map->tplist.empty());
    EXPECT_EQ(b->glyph, 65);
}

} // namespace
} // namespace dm
