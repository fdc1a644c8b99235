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

// The minimal standard generator: each step multiplies the state by 48271 modulo 2^31 - 1. The
// picture codec replays its draws to undo scrambling, so every step, bit mask and rounding here is
// part of the file format.
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
        state_ = MultiplyModulo(state_, kMultiplier);
        return state_;
    }

    // Moves the state on as `steps` calls of Step would, in time logarithmic in `steps`.
    void Advance(uint64_t steps) {
        uint64_t power = kMultiplier;
        for (; steps != 0; steps >>= 1) {
            if (steps & 1) {
                state_ = MultiplyModulo(state_, power);
            }
            power = static_cast<uint64_t>(MultiplyModulo(static_cast<int32_t>(power), power));
        }
    }

    // In [0, 1): 27 bits from one step and 26 from the next. Both steps are computed straight
    // from the current state, so that neither waits for the other.
    double Real() {
        const int32_t high = MultiplyModulo(state_, kMultiplier) & 0x1FFFFFFC;
        state_ = MultiplyModulo(state_, kMultiplierSquared);
        const int32_t low = state_ & 0x1FFFFFF8;
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
    static constexpr uint64_t kModulus = 0x7FFFFFFF;
    static constexpr uint64_t kMultiplier = 48271;
    // Two steps at once: 48271^2 modulo 2^31 - 1.
    static constexpr uint64_t kMultiplierSquared = kMultiplier * kMultiplier % kModulus;

    // state * multiplier modulo 2^31 - 1 in 64 bits, the value Schrage's 32-bit method gives.
    // Folding the high bits onto the low ones works because 2^31 is 1 modulo 2^31 - 1; the sum
    // stays below twice the modulus, and the product of two non-zero residues of the prime
    // modulus is never 0.
    static int32_t MultiplyModulo(int32_t state, uint64_t multiplier) {
        const uint64_t product = static_cast<uint64_t>(state) * multiplier;
        uint64_t folded = (product & kModulus) + (product >> 31);
        if (folded >= kModulus) {
            folded -= kModulus;
        }
        return static_cast<int32_t>(folded);
    }

    static int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }

    int32_t state_ = kDefaultSeed;
};

} // namespace dm
