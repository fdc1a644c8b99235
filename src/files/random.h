#pragma once

#include <cstdint>

namespace dm {

// Converts toward zero to a signed 32-bit integer; a value that is not a number or whose
// truncation does not fit gives INT32_MIN.
inline int32_t TruncToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

// The minimal standard generator (multiplier 48271, modulus 2^31 - 1) stepped by Schrage's
// method, so that every 32-bit intermediate stays in range. The picture codec replays its draws
// to undo scrambling, so every step, bit mask and rounding here is part of the file format.
class RandomGenerator {
  public:
    // State at start-up and after seeding with 0 or 0x7FFFFFFF.
    static constexpr int32_t kDefaultSeed = 0x2545F491;

    void Seed(int32_t seed) {
        state_ = seed & 0x7FFFFFFF;
        if (state_ == 0 || state_ == 0x7FFFFFFF) {
            state_ = kDefaultSeed;
        }
    }

    int32_t State() const { return state_; }

    int32_t Step() {
        state_ = 48271 * (state_ % 44488) - 3399 * (state_ / 44488);
        if (state_ < 0) {
            state_ += 2147483647;
        }
        return state_;
    }

    // In [0, 1): 27 bits from one step and 26 from the next.
    double Real() {
        const int32_t high = Step() & 0x1FFFFFFC;
        const int32_t low = Step() & 0x1FFFFFF8;
        return (high + low / 134217728.0) / 536870912.0;
    }

    // A value between the two bounds, given in either order. Differences and sums wrap at 32 bits
    // like the generator's original integer arithmetic.
    int32_t Int(int32_t lo, int32_t hi) {
        const int32_t d = Wrap(static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo));
        if (d > 0) {
            const int32_t span = Wrap(static_cast<uint32_t>(d) + 1u);
            return Wrap(static_cast<uint32_t>(lo) +
                        static_cast<uint32_t>(TruncToInt32(Real() * span)));
        }
        const int32_t span = Wrap(1u - static_cast<uint32_t>(d));
        return Wrap(static_cast<uint32_t>(hi) + static_cast<uint32_t>(TruncToInt32(Real() * span)));
    }

  private:
    static int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

    int32_t state_ = kDefaultSeed;
};

// The process-wide generator behind SeedRandom, RandomReal and RandomInt.
RandomGenerator& GlobalRandom();

inline void SeedRandom(int32_t seed) {
    GlobalRandom().Seed(seed);
}
inline double RandomReal() {
    return GlobalRandom().Real();
}
inline int32_t RandomInt(int32_t min, int32_t max) {
    return GlobalRandom().Int(min, max);
}

} // namespace dm
