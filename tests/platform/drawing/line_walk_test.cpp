#include "platform/drawing/line_walk.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace dm {
namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;

Points Walk(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Points points;
    WalkLine(x0, y0, x1, y1, [&points](int32_t x, int32_t y) { points.emplace_back(x, y); });
    return points;
}

TEST(LineWalk, StepsFromStartToEndInEveryDirection) {
    struct Case {
        int32_t x0, y0, x1, y1;
        Points points;
    };
    const Case cases[] = {
        {3, 4, 3, 4, {{3, 4}}},
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {5, 2, 0, 0, {{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {0, 0, -2, 5, {{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}},
        {1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {2, 0, 2, -3, {{2, 0}, {2, -1}, {2, -2}, {2, -3}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Walk(c.x0, c.y0, c.x1, c.y1), c.points)
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

} // namespace
} // namespace dm
