#include "files/color_match.h"

namespace dm {

Rgb PaletteColor(const PalettePlanes& palette, uint8_t index) {
    return {palette[index], palette[kPaletteEntries + index], palette[2 * kPaletteEntries + index]};
}

uint8_t ColorMatcher::Nearest(Rgb color) {
    const uint32_t key =
        kFilled | uint32_t{color.red} << 16 | uint32_t{color.green} << 8 | color.blue;
    // Multiplicative hashing spreads neighbouring colours over the table.
    const size_t slot = (key * 2654435761u) >> 20 & (kSlots - 1);
    if (keys_[slot] == key) {
        return indices_[slot];
    }
    int best = 0;
    int bestDistance = 3 * 255 * 255 + 1;
    for (int index = 0; index < kNoColor; ++index) {
        const Rgb entry = PaletteColor(palette_, static_cast<uint8_t>(index));
        const int red = entry.red - color.red;
        const int green = entry.green - color.green;
        const int blue = entry.blue - color.blue;
        const int distance = red * red + green * green + blue * blue;
        if (distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    keys_[slot] = key;
    indices_[slot] = static_cast<uint8_t>(best);
    return indices_[slot];
}

} // namespace dm
