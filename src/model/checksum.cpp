#include "model/tilemap.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <span>

namespace dm {

namespace {

constexpr uint32_t kFoldModulus = 65535;
// Bytes handled per round: small enough that 32-bit per-lane sums of one round cannot overflow.
constexpr size_t kChunk = 16 * 4096;

// The sums of the bytes of one round (at most `kChunk` bytes) by position mod 16 within it. The
// fixed lane count lets the compiler keep the sums in vector registers.
std::array<uint32_t, 16> PositionSums(std::span<const uint8_t> round) {
    std::array<uint32_t, 16> part{};
    size_t i = 0;
    for (; i + 16 <= round.size(); i += 16) {
        for (size_t m = 0; m < 16; ++m) {
            part[m] += round[i + m];
        }
    }
    for (; i < round.size(); ++i) {
        part[i % 16] += round[i];
    }
    return part;
}

uint64_t RoundSum(std::span<const uint8_t> round) {
    const std::array<uint32_t, 16> part = PositionSums(round);
    return std::accumulate(part.begin(), part.end(), uint64_t{0});
}

// The fold d = ((d + t) mod 65535) * 2 over the bytes, from d = 0. With d = 2r the step is
// r = (2r + t) mod 65535, so r ends as the sum of t[i] * 2^(n-1-i) mod 65535; as 2^16 = 1 mod
// 65535 the weights repeat every 16 bytes, and bytes can be summed per position mod 16 first.
uint32_t Fold(std::span<const uint8_t> bytes) {
    std::array<uint64_t, 16> lanes{};
    // Rounds start at multiples of 16, so a position within a round keeps its value mod 16.
    for (size_t start = 0; start < bytes.size(); start += kChunk) {
        const std::array<uint32_t, 16> part =
            PositionSums(bytes.subspan(start, std::min(kChunk, bytes.size() - start)));
        for (size_t m = 0; m < 16; ++m) {
            lanes[m] += part[m];
        }
    }
    uint64_t r = 0;
    for (size_t m = 0; m < 16; ++m) {
        const size_t power = (bytes.size() + 15 - m) % 16;
        r += (lanes[m] % kFoldModulus) << power;
    }
    return static_cast<uint32_t>(r % kFoldModulus) * 2;
}

// One step c = -|c - t| of signed 32-bit arithmetic that wraps.
uint32_t DescentStep(uint32_t c, uint8_t t) {
    const auto difference = static_cast<int32_t>(c - t);
    return difference < 0 ? static_cast<uint32_t>(difference)
                          : 0u - static_cast<uint32_t>(difference);
}

// The walk c = -|c - t| over the bytes from c = 1048576. After the first byte c is never
// positive, so each step only subtracts t until that would wrap; rounds that cannot wrap are
// subtracted whole.
uint32_t Descent(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return 1048576;
    }
    uint32_t c = DescentStep(1048576, bytes[0]);
    for (size_t start = 1; start < bytes.size(); start += kChunk) {
        const auto round = bytes.subspan(start, std::min(kChunk, bytes.size() - start));
        const uint64_t sum = RoundSum(round);
        const int64_t lowest = std::numeric_limits<int32_t>::min();
        if (static_cast<int64_t>(static_cast<int32_t>(c)) - static_cast<int64_t>(sum) >= lowest) {
            c -= static_cast<uint32_t>(sum);
        } else {
            for (const uint8_t t : round) {
                c = DescentStep(c, t);
            }
        }
    }
    return c;
}

} // namespace

int32_t tilemap::GetChecksum() const {
    // Signed 32-bit sums that wrap, kept unsigned so that the wrap is defined.
    return static_cast<int32_t>(Fold(tmap) - Descent(tmap));
}

} // namespace dm
