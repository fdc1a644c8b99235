#include "editor/screen_regions.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace dm {
namespace {

TEST(ScreenRegions, ContainsTakesTheTopLeftAndLeavesTheFarEdges) {
    constexpr ScreenRegion region{24, 2, 64, 64};
    const std::pair<std::pair<int32_t, int32_t>, bool> cases[] = {
        {{24, 2}, true},         {{87, 65}, true},
        {{23, 2}, false},        {{24, 1}, false},
        {{88, 10}, false},       {{30, 66}, false},
        {{INT32_MAX, 2}, false}, {{INT32_MIN, INT32_MIN}, false},
    };
    for (const auto& [cell, inside] : cases) {
        EXPECT_EQ(region.Contains(cell.first, cell.second), inside)
            << cell.first << "," << cell.second;
    }
    // A region reaching the largest coordinate does not wrap around.
    EXPECT_TRUE((ScreenRegion{INT32_MAX - 1, 0, 4, 1}.Contains(INT32_MAX, 0)));
}

TEST(ScreenRegions, NoTwoPlacesOfTheScreenOverlap) {
    const ScreenRegion regions[] = {kCanvasRegion, kImageListRegion, kGlyphPickerRegion,
                                    kColourPickerRegion, kClipPreviewRegion};
    const ScreenCell cells[] = {
        kMessageLine,   kCanvasSizeLine,  kCursorLine,       kTileDataLine,    kSelectedLabel,
        kSelectedGlyph, kForegroundLabel, kForegroundSwatch, kBackgroundLabel, kBackgroundSwatch,
        kFillHeading,   kDiagonalFillBox, kBleedFillBox};
    const auto overlap = [](const ScreenRegion& a, const ScreenRegion& b) {
        return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
               b.top < a.top + a.height;
    };
    for (size_t i = 0; i < std::size(regions); ++i) {
        for (size_t j = i + 1; j < std::size(regions); ++j) {
            EXPECT_FALSE(overlap(regions[i], regions[j])) << i << " and " << j;
        }
        for (const ScreenCell& cell : cells) {
            EXPECT_FALSE(regions[i].Contains(cell.x, cell.y))
                << i << ": " << cell.x << "," << cell.y;
        }
    }
    // Each picker shows all 256 indices.
    EXPECT_EQ(kGlyphPickerRegion.width * kGlyphPickerRegion.height, 256);
    EXPECT_EQ(kColourPickerRegion.width * kColourPickerRegion.height, 256);
}

} // namespace
} // namespace dm
