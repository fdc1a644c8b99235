#pragma once

#include <array>
#include <cstdint>

namespace dm {

// Light intensity on a linear scale from 0 (black) to kLinearMax (full): averages and distances
// of colours are taken here, where they match what the eye receives, rather than on the
// gamma-encoded bytes of a picture. Fifteen bits keep every byte value distinct, even the darkest,
// and keep the sums over a glyph of up to 255 x 255 pixels within 32 bits.
inline constexpr int32_t kLinearMax = 32767;

// A colour in linear light, each channel 0 to kLinearMax.
struct LinearColor {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;

    bool operator==(const LinearColor&) const = default;
};

using LinearTable = std::array<int32_t, 256>;

// The linear intensity of each sRGB-encoded byte value, rounded; strictly increasing.
const LinearTable& LinearFromBytes();

inline int32_t LinearFromByte(uint8_t byte) {
    return LinearFromBytes()[byte];
}

// The opaque colour of a packed 0xAARRGGBB pixel laid over `background` by its alpha.
inline LinearColor LinearOver(uint32_t argb, const LinearColor& background,
                              const LinearTable& table = LinearFromBytes()) {
    const int32_t alpha = static_cast<int32_t>(argb >> 24);
    const LinearColor top{table[(argb >> 16) & 0xFF], table[(argb >> 8) & 0xFF],
                          table[argb & 0xFF]};
    if (alpha == 255) {
        return top;
    }
    const auto blend = [alpha](int32_t over, int32_t under) {
        return (over * alpha + under * (255 - alpha) + 127) / 255;
    };
    return {blend(top.red, background.red), blend(top.green, background.green),
            blend(top.blue, background.blue)};
}

} // namespace dm
