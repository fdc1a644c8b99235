#include "files/random.h"
#include "files/vector_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <tuple>
#include <vector>

namespace dm {
namespace {

bool SamePosition(const vector& a, const vector& b) {
    return a.x == b.x && a.y == b.y;
}

bool PositionLess(const vector& a, const vector& b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
}

// The walk as a doubly linked list performs it: the cursor steps on before the element is
// handled, and an element sent to the back is met again unless it was the last one.
std::vector<vector> MixWithLinkedList(const std::vector<vector>& positions,
                                      RandomGenerator& random) {
    std::list<vector> list(positions.begin(), positions.end());
    const int32_t passes = random.Int(4, 17);
    const int32_t p = random.Int(4, 17);
    for (int32_t pass = 0; pass <= passes; ++pass) {
        for (auto cursor = list.begin(); cursor != list.end();) {
            const auto current = cursor++;
            if (random.Int(0, p) != 0) {
                const vector moved = *current;
                list.erase(current);
                list.push_back(moved);
            }
        }
    }
    return {list.begin(), list.end()};
}

TEST(VectorList, ListsColumnsOuterRowsInner) {
    const std::vector<vector> list = createvectorlist(2, 3);
    const std::vector<vector> expected = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
    ASSERT_EQ(list.size(), expected.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), expected.begin(), SamePosition));

    const std::vector<vector> wide = createvectorlist(4, 1);
    ASSERT_EQ(wide.size(), 4u);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_TRUE(SamePosition(wide[x], {x, 0}));
    }
    EXPECT_TRUE(createvectorlist(0, 5).empty());
    EXPECT_TRUE(createvectorlist(5, 0).empty());
    EXPECT_TRUE(createvectorlist(-3, 4).empty());
}

TEST(VectorList, MixingReplaysTheLinkedListWalk) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 2}, {2, 1},  {3, 1},   {2, 2},
                                                 {3, 2}, {5, 7}, {16, 1}, {13, 11}, {40, 25}};
    for (const auto& [w, h] : sizes) {
        for (const int32_t seed : {0, 1, 17, 4096, 123456789, 2147483646}) {
            RandomGenerator reference;
            reference.Seed(seed);
            const std::vector<vector> expected =
                MixWithLinkedList(createvectorlist(w, h), reference);
            const int32_t stateAfterReference = reference.State();

            RandomGenerator random;
            random.Seed(seed);
            std::vector<vector> mixed = createvectorlist(w, h);
            mixvectorlist(mixed, random);

            ASSERT_EQ(mixed.size(), expected.size());
            EXPECT_TRUE(std::equal(mixed.begin(), mixed.end(), expected.begin(), SamePosition))
                << w << " x " << h << " seed " << seed;
            EXPECT_EQ(random.State(), stateAfterReference)
                << "draw count differs for " << w << " x " << h << " seed " << seed;
        }
    }
}

TEST(VectorList, MixingKeepsEveryPositionOnce) {
    RandomGenerator random;
    random.Seed(2024);
    std::vector<vector> mixed = createvectorlist(37, 23);
    mixvectorlist(mixed, random);
    std::vector<vector> original = createvectorlist(37, 23);
    EXPECT_FALSE(std::equal(mixed.begin(), mixed.end(), original.begin(), SamePosition));
    std::sort(mixed.begin(), mixed.end(), PositionLess);
    EXPECT_TRUE(std::equal(mixed.begin(), mixed.end(), original.begin(), SamePosition));
}

TEST(VectorList, MixingAnEmptyListDrawsOnlyItsTwoCounts) {
    RandomGenerator random;
    random.Seed(55);
    std::vector<vector> empty;
    mixvectorlist(empty, random);
    EXPECT_TRUE(empty.empty());
    RandomGenerator reference;
    reference.Seed(55);
    reference.Int(4, 17);
    reference.Int(4, 17);
    EXPECT_EQ(random.State(), reference.State());
}

} // namespace
} // namespace dm
