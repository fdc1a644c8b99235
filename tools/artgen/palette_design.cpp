#include "palette_design.h"

#include <algorithm>
#include <cmath>

namespace dm {
namespace {

constexpr int kRowLength = 16;

// clang-format off
constexpr std::array<uint32_t, 2 * kRowLength> kFixedRows = {
    0xFFFFFF, // 0  white: text on dark grounds
    0x161822, // 1  ink: backing of the image list and the checkerboard
    0xD63031, // 2  red
    0xFF8C28, // 3  orange
    0x5ABE46, // 4  green
    0xFFDD57, // 5  yellow: the typing-mode notice
    0x3C6EDC, // 6  blue
    0xC0C0C0, // 7  light grey
    0x8C8C8C, // 8  grey: inactive names, the checkerboard's shade
    0x000000, // 9  black: the screen background
    0x1C2C60, // 10 navy: a dark ground under text
    0xBE46BE, // 11 magenta
    0x28B4B4, // 12 teal
    0x8C5A32, // 13 brown
    0x82DCFF, // 14 sky: status lines and button markers
    0x2C3448, // 15 slate: the help panel's ground
    0x6E1414, // 16 deep red
    0x82460A, // 17 rust
    0x1E5A1E, // 18 deep green
    0x786414, // 19 olive
    0x302070, // 20 indigo
    0x5A145A, // 21 plum
    0x145050, // 22 deep teal: a dark ground under text
    0x202430, // 23 charcoal: ground of the reference tables
    0xF0E6C8, // 24 cream: text of the reference tables
    0xFFB4B4, // 25 pink
    0xFFD2A0, // 26 peach
    0xBEF0AA, // 27 mint
    0x244078, // 28 steel blue: window frames and title bars
    0xC8B4FF, // 29 lavender
    0xAAE6F0, // 30 pale cyan
    0xFFFAAA, // 31 pale yellow
};
// clang-format on

// A hue family: hue in degrees at the light and the dark end (shadows drift toward cooler or
// deeper hues), peak saturation, and lightness at both ends.
struct Family {
    double hueLight;
    double hueDark;
    double saturation;
    double lightnessLight;
    double lightnessDark;
};

constexpr std::array<Family, 13> kFamilies = {{
    {8, -8, 0.75, 0.92, 0.10},    // red
    {38, 14, 0.85, 0.92, 0.10},   // orange
    {56, 36, 0.85, 0.93, 0.10},   // yellow
    {80, 100, 0.65, 0.92, 0.09},  // lime
    {115, 150, 0.60, 0.92, 0.08}, // green
    {168, 188, 0.60, 0.92, 0.08}, // teal
    {195, 212, 0.75, 0.93, 0.09}, // azure
    {222, 238, 0.70, 0.92, 0.10}, // blue
    {258, 270, 0.60, 0.92, 0.10}, // violet
    {305, 325, 0.60, 0.92, 0.10}, // magenta
    {30, 12, 0.55, 0.90, 0.12},   // skin
    {36, 18, 0.38, 0.85, 0.07},   // earth brown
    {205, 225, 0.18, 0.92, 0.08}, // slate grey
}};

// The grey ramp stops short of pure white and black, which row 0 already holds.
constexpr int kGreyLightest = 248;
constexpr int kGreyStep = 16;

double HueChannel(double p, double q, double t) {
    t -= std::floor(t);
    if (t < 1.0 / 6) {
        return p + (q - p) * 6 * t;
    }
    if (t < 1.0 / 2) {
        return q;
    }
    if (t < 2.0 / 3) {
        return p + (q - p) * (2.0 / 3 - t) * 6;
    }
    return p;
}

uint32_t FromHsl(double hueDegrees, double saturation, double lightness) {
    const double h = hueDegrees / 360;
    const double q = lightness < 0.5 ? lightness * (1 + saturation)
                                     : lightness + saturation - lightness * saturation;
    const double p = 2 * lightness - q;
    const auto channel = [&](double t) {
        return static_cast<uint32_t>(std::clamp(std::lround(HueChannel(p, q, t) * 255), 0L, 255L));
    };
    return channel(h + 1.0 / 3) << 16 | channel(h) << 8 | channel(h - 1.0 / 3);
}

uint32_t RampColour(const Family& family, int step) {
    const double t = static_cast<double>(step) / (kRowLength - 1);
    const double hue = family.hueLight + (family.hueDark - family.hueLight) * t;
    const double lightness =
        family.lightnessLight + (family.lightnessDark - family.lightnessLight) * t;
    // Very light and very dark tints carry less colour, as in paint.
    const double edge = std::abs(2 * lightness - 1);
    return FromHsl(hue, family.saturation * (1 - 0.5 * edge * edge), lightness);
}

} // namespace

std::array<uint32_t, kPaletteSize> DesignPalette() {
    std::array<uint32_t, kPaletteSize> colours{};
    std::copy(kFixedRows.begin(), kFixedRows.end(), colours.begin());
    int index = static_cast<int>(kFixedRows.size());
    for (int step = 0; step < kRowLength; ++step) {
        const uint32_t grey = static_cast<uint32_t>(kGreyLightest - kGreyStep * step);
        colours[index++] = grey * 0x010101u;
    }
    for (const Family& family : kFamilies) {
        for (int step = 0; step < kRowLength; ++step) {
            colours[index++] = RampColour(family, step);
        }
    }
    return colours;
}

} // namespace dm
