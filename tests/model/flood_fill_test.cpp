#include "map_test_helpers.h"
#include "model/tilemap.h"
#include "support/memory_limit.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace dm {
namespace {

using test::Tile;
using test::TileAt;
using Cells = std::set<std::pair<int32_t, int32_t>>;

constexpr Tile kBackground{2, 3, 4};
constexpr Tile kRegion{5, 6, 7};
constexpr Tile kPaint{9, 10, 11};

std::shared_ptr<tilemap> MapOf(int32_t w, int32_t h, const Cells& regionCells) {
    auto map = tilemap::Create(w, h);
    map->Fill(kBackground.glyph, kBackground.fg, kBackground.bg, 1);
    for (const auto& [x, y] : regionCells) {
        map->SetTile(x, y, kRegion.glyph, kRegion.fg, kRegion.bg, 1);
    }
    return map;
}

// The cells of map holding the tile.
Cells CellsOf(const tilemap& map, Tile tile) {
    Cells cells;
    for (int32_t y = 0; y < map.tmaph; ++y) {
        for (int32_t x = 0; x < map.tmapw; ++x) {
            if (TileAt(map, x, y) == tile) {
                cells.insert({x, y});
            }
        }
    }
    return cells;
}

int32_t Fill(tilemap& map, int32_t x, int32_t y, Tile tile, int32_t diagonal, int32_t bleed,
             int32_t force = 1) {
    return map.FloodFill(map, x, y, static_cast<uint8_t>(tile.glyph), static_cast<uint8_t>(tile.fg),
                         static_cast<uint8_t>(tile.bg), diagonal, bleed, force);
}

TEST(FloodFill, StopsAtAWall) {
    auto map = tilemap::Create(5, 5);
    map->SetTiles(2, 0, 1, 5, 1, 255, 255, 0);
    EXPECT_EQ(Fill(*map, 0, 0, kPaint, 0, 0), 9);
    Cells left;
    for (int32_t y = 0; y < 5; ++y) {
        left.insert({0, y});
        left.insert({1, y});
    }
    EXPECT_EQ(CellsOf(*map, kPaint), left);
    EXPECT_EQ(CellsOf(*map, Tile{0, 0, 0}).size(), 10u);
}

TEST(FloodFill, FourWayAndEightWay) {
    const Cells pairs = {{0, 0}, {1, 0}, {2, 1}, {3, 1}};
    auto four = MapOf(5, 3, pairs);
    EXPECT_EQ(Fill(*four, 0, 0, kPaint, 0, 0), 1);
    EXPECT_EQ(CellsOf(*four, kPaint), (Cells{{0, 0}, {1, 0}}));
    EXPECT_EQ(CellsOf(*four, kRegion), (Cells{{2, 1}, {3, 1}}));

    auto eight = MapOf(5, 3, pairs);
    EXPECT_EQ(Fill(*eight, 0, 0, kPaint, 1, 0), 3);
    EXPECT_EQ(CellsOf(*eight, kPaint), pairs);

    auto wide = MapOf(5, 3, pairs);
    EXPECT_EQ(Fill(*wide, 0, 0, kPaint, 7, 0), 3);
    EXPECT_EQ(CellsOf(*wide, kPaint), pairs);

    auto none = MapOf(5, 3, pairs);
    EXPECT_EQ(Fill(*none, 0, 0, kPaint, -1, 0), 0);
    EXPECT_EQ(CellsOf(*none, kPaint), (Cells{{0, 0}}));
}

TEST(FloodFill, LikeMeansAllThreeComponents) {
    auto map = MapOf(4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    map->SetTile(2, 0, 255, 255, 99, 0);
    EXPECT_EQ(Fill(*map, 0, 0, kPaint, 1, 0), 1);
    EXPECT_EQ(CellsOf(*map, kPaint), (Cells{{0, 0}, {1, 0}}));
    EXPECT_EQ(TileAt(*map, 2, 0), (Tile{kRegion.glyph, kRegion.fg, 99}));
    EXPECT_EQ(TileAt(*map, 3, 0), kRegion);

    auto fg = MapOf(3, 1, {{0, 0}, {2, 0}});
    fg->SetTile(1, 0, static_cast<uint8_t>(kRegion.glyph), 0, static_cast<uint8_t>(kRegion.bg), 0);
    Fill(*fg, 0, 0, kPaint, 0, 0);
    EXPECT_EQ(CellsOf(*fg, kPaint), (Cells{{0, 0}}));
}

TEST(FloodFill, BleedPaintsOneRingAroundTheRegion) {
    const Cells square = {{2, 2}, {3, 2}, {2, 3}, {3, 3}};
    auto four = MapOf(7, 7, square);
    EXPECT_EQ(Fill(*four, 2, 2, kPaint, 0, 1), 11);
    Cells expected = square;
    for (const auto& cell : Cells{{1, 2}, {1, 3}, {4, 2}, {4, 3}, {2, 1}, {3, 1}, {2, 4}, {3, 4}}) {
        expected.insert(cell);
    }
    EXPECT_EQ(CellsOf(*four, kPaint), expected);
    EXPECT_EQ(CellsOf(*four, kBackground).size(), 49u - 12u);

    auto eight = MapOf(7, 7, square);
    Fill(*eight, 3, 3, kPaint, 1, 1);
    Cells ring;
    for (int32_t x = 1; x <= 4; ++x) {
        for (int32_t y = 1; y <= 4; ++y) {
            ring.insert({x, y});
        }
    }
    EXPECT_EQ(CellsOf(*eight, kPaint), ring);

    // Each bleed write counts 1 and each queued cell 1 - bleed.
    auto heavy = MapOf(7, 7, square);
    EXPECT_EQ(Fill(*heavy, 2, 2, kPaint, 0, 2), 8);
    EXPECT_EQ(CellsOf(*heavy, kPaint), expected);
}

TEST(FloodFill, LoneStartCellIsPainted) {
    auto map = MapOf(3, 3, {{1, 1}});
    EXPECT_EQ(Fill(*map, 1, 1, kPaint, 0, 0), 0);
    EXPECT_EQ(CellsOf(*map, kPaint), (Cells{{1, 1}}));

    auto bled = MapOf(3, 3, {{1, 1}});
    EXPECT_EQ(Fill(*bled, 1, 1, kPaint, 0, 1), 4);
    EXPECT_EQ(CellsOf(*bled, kPaint), (Cells{{1, 1}, {0, 1}, {2, 1}, {1, 0}, {1, 2}}));

    auto single = tilemap::Create(1, 1);
    Fill(*single, 0, 0, kPaint, 1, 1);
    EXPECT_EQ(TileAt(*single, 0, 0), kPaint);
}

TEST(FloodFill, BleedWithTheReferenceTileStopsAfterOneExamination) {
    auto map = MapOf(5, 1, {{0, 0}, {1, 0}});
    Fill(*map, 1, 0, kRegion, 0, 1);
    EXPECT_EQ(CellsOf(*map, kRegion), (Cells{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(CellsOf(*map, kBackground), (Cells{{3, 0}, {4, 0}}));

    // A bled cell that turns like is queued when a cell processed later examines it: (0, 1) is
    // bled from (0, 0), then queued from (1, 1), and bleeds into (0, 2).
    auto corner = MapOf(3, 3, {{0, 0}, {1, 0}, {1, 1}});
    EXPECT_EQ(Fill(*corner, 0, 0, kRegion, 0, 1), 8);
    EXPECT_EQ(CellsOf(*corner, kBackground), (Cells{{2, 2}}));
}

TEST(FloodFill, ForceDecidesWhether255IsStored) {
    auto kept = MapOf(3, 1, {{0, 0}, {1, 0}});
    Fill(*kept, 0, 0, Tile{9, 255, 11}, 0, 0, 0);
    EXPECT_EQ(TileAt(*kept, 0, 0), (Tile{9, kRegion.fg, 11}));
    EXPECT_EQ(TileAt(*kept, 1, 0), (Tile{9, kRegion.fg, 11}));
    EXPECT_EQ(TileAt(*kept, 2, 0), kBackground);

    auto forced = MapOf(3, 1, {{0, 0}, {1, 0}});
    Fill(*forced, 0, 0, Tile{9, 255, 11}, 0, 0, 1);
    EXPECT_EQ(CellsOf(*forced, Tile{9, 255, 11}), (Cells{{0, 0}, {1, 0}}));
}

TEST(FloodFill, ReadsOneMapAndPaintsAnother) {
    const auto source = MapOf(4, 4, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}});
    const auto before = source->tmap;
    auto target = tilemap::Create(3, 3);
    EXPECT_EQ(source->FloodFill(*target, 0, 0, 9, 10, 11, 0, 0, 1), 4);
    EXPECT_EQ(source->tmap, before);
    EXPECT_EQ(CellsOf(*target, kPaint), (Cells{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(CellsOf(*target, Tile{0, 0, 0}).size(), 6u);

    // With the map read left unpainted, a fill tile equal to the reference spreads no further.
    auto copy = tilemap::Create(4, 4);
    source->FloodFill(*copy, 0, 0, 5, 6, 7, 0, 1, 1);
    EXPECT_EQ(CellsOf(*copy, kRegion).size(), 5u + 4u);
}

TEST(FloodFill, StartOutsideTheMapUsesTileZero) {
    auto map = tilemap::Create(3, 2);
    map->SetTile(2, 1, 1, 0, 0, 0);
    EXPECT_EQ(Fill(*map, -1, 0, kPaint, 0, 0), 5);
    EXPECT_EQ(CellsOf(*map, kPaint).size(), 5u);
    EXPECT_EQ(TileAt(*map, 2, 1), (Tile{1, 0, 0}));

    auto far = tilemap::Create(3, 2);
    EXPECT_EQ(Fill(*far, -2, 0, kPaint, 1, 1), 0);
    EXPECT_EQ(Fill(*far, 2147483647, -2147483647 - 1, kPaint, 1, 1), 0);
    EXPECT_EQ(far->tmap, tilemap::Create(3, 2)->tmap);
}

TEST(FloodFill, LargeMapWithoutDeepCalls) {
    auto map = tilemap::Create(1024, 1024);
    map->SetTiles(512, 0, 1, 1023, 1, 1, 1, 1);
    EXPECT_EQ(Fill(*map, 0, 0, kPaint, 0, 0), 1024 * 1024 - 1023 - 1);
    EXPECT_EQ(TileAt(*map, 1023, 0), kPaint);
    EXPECT_EQ(TileAt(*map, 512, 1023), kPaint);
    EXPECT_EQ(TileAt(*map, 512, 1022), (Tile{1, 1, 1}));
}

// A fill holds a bit a cell and the cells at the edge of what it has reached: a 20 x 20 region of
// a 4096 x 4096 map, and the rest of that map, each fill within 8 MiB more, where a byte a cell
// and room queued for every cell would take 144 MiB.
TEST(FloodFill, MemoryFollowsTheRegionNotTheMap) {
    if (!test::AddressSpaceLimitsWork()) {
        GTEST_SKIP() << "address space limits cannot be tested here";
    }
    const Cells square = [] {
        Cells cells;
        for (int32_t y = 1000; y < 1020; ++y) {
            for (int32_t x = 3000; x < 3020; ++x) {
                cells.insert({x, y});
            }
        }
        return cells;
    }();
    const std::shared_ptr<tilemap> map = MapOf(4096, 4096, square);
    constexpr int64_t kHeadroom = int64_t{8} << 20;
    const auto small = test::RunWithHeadroom(kHeadroom, [&map, &square] {
        return Fill(*map, 3010, 1010, kPaint, 1, 0) == 399 && CellsOf(*map, kPaint) == square &&
               CellsOf(*map, kRegion).empty();
    });
    EXPECT_EQ(small, test::LimitedRun::Done);
    const auto rest = test::RunWithHeadroom(kHeadroom, [&map] {
        return Fill(*map, 0, 0, kPaint, 1, 0) == 4096 * 4096 - 400 - 1 &&
               TileAt(*map, 4095, 4095) == kPaint && TileAt(*map, 3000, 1000) == kRegion;
    });
    EXPECT_EQ(rest, test::LimitedRun::Done);
}

} // namespace
} // namespace dm
