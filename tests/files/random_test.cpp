#include "files/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>

namespace dm {
namespace {

// The generator's rules restated with 64-bit arithmetic over an independent minimal standard
// engine, as an oracle for the 32-bit wrapping implementation.
class ReferenceRandom {
  public:
    explicit ReferenceRandom(uint32_t state) : engine_(state) {}

    double Real() {
        const int64_t a = engine_() & 0x1FFFFFFC;
        const int64_t b = engine_() & 0x1FFFFFF8;
        return (static_cast<double>(a) + static_cast<double>(b) / std::ldexp(1.0, 27)) /
               std::ldexp(1.0, 29);
    }

    int32_t Int(int32_t lo, int32_t hi) {
        const int64_t d = Wrap(int64_t{hi} - lo);
        if (d > 0) {
            return Wrap(lo + Trunc(Real() * static_cast<double>(Wrap(d + 1))));
        }
        return Wrap(hi + Trunc(Real() * static_cast<double>(Wrap(1 - d))));
    }

  private:
    static int32_t Wrap(int64_t value) {
        const int64_t low = ((value % 4294967296) + 4294967296) % 4294967296;
        return static_cast<int32_t>(low >= 2147483648 ? low - 4294967296 : low);
    }
    static int64_t Trunc(double value) {
        const double t = std::trunc(value);
        if (std::isnan(t) || t < -2147483648.0 || t > 2147483647.0) {
            return std::numeric_limits<int32_t>::min();
        }
        return static_cast<int64_t>(t);
    }

    std::minstd_rand engine_;
};

TEST(Random, StepsFollowTheMinimalStandardGenerator) {
    for (const int32_t seed : {1, 2, 12345, 44488, 2147483646, RandomGenerator::kDefaultSeed}) {
        RandomGenerator generator;
        generator.Seed(seed);
        std::minstd_rand reference(static_cast<uint32_t>(seed));
        for (int i = 0; i < 20000; ++i) {
            const int32_t expected = static_cast<int32_t>(reference());
            ASSERT_EQ(generator.Step(), expected) << "seed " << seed << " step " << i;
            ASSERT_EQ(generator.State(), expected);
        }
    }
    // The published check value of this generator: step 10000 from state 1.
    RandomGenerator generator;
    generator.Seed(1);
    int32_t value = 0;
    for (int i = 0; i < 10000; ++i) {
        value = generator.Step();
    }
    EXPECT_EQ(value, 399268537);
}

TEST(Random, AdvanceEqualsThatManySteps) {
    for (const uint64_t steps : {0ull, 1ull, 2ull, 3ull, 1000ull, 4194304ull, 4194305ull}) {
        RandomGenerator jumped;
        jumped.Seed(12345);
        jumped.Advance(steps);
        std::minstd_rand reference(12345);
        reference.discard(steps);
        EXPECT_EQ(jumped.Step(), static_cast<int32_t>(reference())) << steps << " steps";
    }
    // The modulus minus one steps bring every state back to itself.
    RandomGenerator fullCycle;
    fullCycle.Seed(777);
    fullCycle.Advance(0x7FFFFFFEull);
    EXPECT_EQ(fullCycle.State(), 777);
}

TEST(Random, SeedingFallsBackToTheDefaultSeed) {
    const RandomGenerator fresh;
    EXPECT_EQ(fresh.State(), RandomGenerator::kDefaultSeed);
    EXPECT_NE(RandomGenerator::kDefaultSeed, 0);
    EXPECT_NE(RandomGenerator::kDefaultSeed, 0x7FFFFFFF);
    for (const int32_t seed : {0, 0x7FFFFFFF, std::numeric_limits<int32_t>::min(), -1}) {
        RandomGenerator generator;
        generator.Seed(12345);
        generator.Seed(seed);
        EXPECT_EQ(generator.State(), RandomGenerator::kDefaultSeed) << seed;
    }
    RandomGenerator high;
    high.Seed(static_cast<int32_t>(0x80000005u));
    RandomGenerator low;
    low.Seed(5);
    EXPECT_EQ(high.State(), 5);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(high.Int(-1000, 1000), low.Int(-1000, 1000));
    }
}

TEST(Random, RealsFollowTheMaskedTwoStepRule) {
    RandomGenerator generator;
    generator.Seed(777);
    ReferenceRandom reference(777);
    double smallest = 1.0;
    double largest = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const double value = generator.Real();
        ASSERT_EQ(value, reference.Real()) << i;
        ASSERT_GE(value, 0.0);
        ASSERT_LT(value, 1.0);
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
    }
    EXPECT_LT(smallest, 0.001);
    EXPECT_GT(largest, 0.999);
}

TEST(Random, IntegersWrapAtThirtyTwoBits) {
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    const std::pair<int32_t, int32_t> bounds[] = {
        {0, 0},    {2, 5},     {5, 2},     {-7, 7},      {0, 255},     {4, 17},
        {0, 45},   {min, max}, {max, min}, {0, max},     {0, min},     {min, 0},
        {-1, max}, {max, max}, {min, min}, {min + 1, 0}, {-100, -200}, {1000, -1000}};
    RandomGenerator generator;
    generator.Seed(99);
    ReferenceRandom reference(99);
    for (int round = 0; round < 2000; ++round) {
        for (const auto& [lo, hi] : bounds) {
            ASSERT_EQ(generator.Int(lo, hi), reference.Int(lo, hi)) << lo << " " << hi;
        }
    }
}

TEST(Random, IntegerRangesAndTheirEdges) {
    RandomGenerator generator;
    generator.Seed(4242);
    std::set<int32_t> forward;
    std::set<int32_t> backward;
    for (int i = 0; i < 2000; ++i) {
        forward.insert(generator.Int(2, 5));
        backward.insert(generator.Int(5, 2));
        EXPECT_EQ(generator.Int(9, 9), 9);
    }
    EXPECT_EQ(forward, (std::set<int32_t>{2, 3, 4, 5}));
    EXPECT_EQ(backward, (std::set<int32_t>{2, 3, 4, 5}));

    // The full range spans 2^32 values, so its width wraps to -1 and only the two ends come out.
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    std::set<int32_t> full;
    for (int i = 0; i < 200; ++i) {
        full.insert(generator.Int(min, max));
    }
    EXPECT_EQ(full, (std::set<int32_t>{min, max}));

    // Up to INT32_MAX the width plus one wraps negative, so the draws land at or below zero.
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LE(generator.Int(0, max), 0);
    }
}

TEST(Random, TruncationGivesTheMinimumOutsideTheRange) {
    const int32_t min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(TruncToInt32(std::nan("")), min);
    EXPECT_EQ(TruncToInt32(std::numeric_limits<double>::infinity()), min);
    EXPECT_EQ(TruncToInt32(-std::numeric_limits<double>::infinity()), min);
    EXPECT_EQ(TruncToInt32(2147483648.0), min);
    EXPECT_EQ(TruncToInt32(2147483647.75), 2147483647);
    EXPECT_EQ(TruncToInt32(-2147483648.75), min);
    EXPECT_EQ(TruncToInt32(-2147483649.0), min);
    EXPECT_EQ(TruncToInt32(-2147483647.5), -2147483647);
    EXPECT_EQ(TruncToInt32(-1.5), -1);
    EXPECT_EQ(TruncToInt32(1.99), 1);
    EXPECT_EQ(TruncToInt32(-0.5), 0);
}

} // namespace
} // namespace dm
