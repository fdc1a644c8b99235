#include "map_test_helpers.h"
#include "model/tilemap.h"
#include "model/vector.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(map->drawtime, 0);
    EXPECT_EQ(map->transparentcolor, 9);
    EXPECT_TRUE(map->tplist.empty());

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

TEST(Tilemap, VectorAndParticleDefaults) {
    const vector v = vector::Create(-3, 12);
    EXPECT_EQ(v.x, -3);
    EXPECT_EQ(v.y, 12);
    EXPECT_EQ(vector{}.x, 0);
    const tparticle p;
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.yv, 0.0f);
    EXPECT_EQ(p.life, 0);
    EXPECT_EQ(p.glyph, 0);
    EXPECT_EQ(p.bgcolor, 0);
}

TEST(Tilemap, SetTileOutsideWritesNothingAndTheValue255KeepsUnlessForced) {
    auto map = tilemap::Create(4, 3);
    map->Fill(1, 2, 3, 0);
    const auto before = map->tmap;
    EXPECT_EQ(map->SetTile(-1, 0, 9, 9, 9, 1), 0);
    EXPECT_EQ(map->SetTile(4, 0, 9, 9, 9, 1), 0);
    EXPECT_EQ(map->SetTile(0, -1, 9, 9, 9, 1), 0);
    EXPECT_EQ(map->SetTile(0, 3, 9, 9, 9, 1), 0);
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
    EXPECT_EQ(g, 1);
    EXPECT_EQ(f, 2);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(map->GrabTile(2, 1, g, f, b), 0);
    EXPECT_EQ(g, 18);
    EXPECT_EQ(f, 102);
    EXPECT_EQ(b, 201);
    int32_t gi = -5;
    int32_t fi = -6;
    int32_t bi = -7;
    map->GrabTileInt(-1, 1, gi, fi, bi);
    EXPECT_EQ((Tile{gi, fi, bi}), (Tile{-5, -6, -7}));
    map->GrabTileInt(1, 2, gi, fi, bi);
    EXPECT_EQ((Tile{gi, fi, bi}), (Tile{33, 101, 202}));
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

TEST(Tilemap, CopyIsIndependent) {
    auto map = test::NumberedMap(5, 4);
    map->drawtime = 17;
    map->transparentcolor = 255;
    map->AddParticle(1.5f, 2.5f, -0.5f, 0.25f, 4, 30, 42, 3, 255);
    map->AddParticle(0, 0, 0, 0, 0, 0, 1, 2, 3);

    const auto copy = map->Copy();
    EXPECT_EQ(copy->tmapw, 5);
    EXPECT_EQ(copy->tmaph, 4);
    EXPECT_EQ(copy->tmap, map->tmap);
    EXPECT_EQ(copy->drawtime, 17);
    EXPECT_EQ(copy->transparentcolor, 255);
    ASSERT_EQ(copy->tplist.size(), 2u);
    const auto& first = *copy->tplist.front();
    EXPECT_NE(copy->tplist.front(), map->tplist.front());
    EXPECT_EQ(first.x, 1.5f);
    EXPECT_EQ(first.y, 2.5f);
    EXPECT_EQ(first.xv, -0.5f);
    EXPECT_EQ(first.yv, 0.25f);
    EXPECT_EQ(first.blinkrate, 4);
    EXPECT_EQ(first.life, 30);
    EXPECT_EQ(first.glyph, 42);
    EXPECT_EQ(first.color, 3);
    EXPECT_EQ(first.bgcolor, 255);
    EXPECT_EQ(copy->tplist.back()->glyph, 1);

    const auto original = map->tmap;
    copy->SetTile(0, 0, 99, 99, 99, 0);
    copy->tplist.front()->x = 9;
    copy->ClearParticles();
    EXPECT_EQ(map->tmap, original);
    EXPECT_EQ(map->tplist.size(), 2u);
    EXPECT_EQ(map->tplist.front()->x, 1.5f);
}

TEST(Tilemap, ParticlesAreAppendedInOrderAndCleared) {
    auto map = tilemap::Create(2, 2);
    const auto a = map->AddParticle(1, 2, 3, 4, 5, 6, 7, 8, 9);
    const auto b = map->AddParticle(0, 0, 0, 0, 0, -1, 65, 255, 255);
    ASSERT_EQ(map->tplist.size(), 2u);
    EXPECT_EQ(map->tplist.front(), a);
    EXPECT_EQ(map->tplist.back(), b);
    EXPECT_EQ(a->yv, 4.0f);
    EXPECT_EQ(a->blinkrate, 5);
    EXPECT_EQ(b->life, -1);
    EXPECT_EQ(b->glyph, 65);
    EXPECT_EQ(map->ClearParticles(), 0);
    EXPECT_TRUE(map->tplist.empty());
    EXPECT_EQ(a->glyph, 7);
}

} // namespace
} // namespace dm
