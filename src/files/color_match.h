#pragma once

#include "files/palette_planes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace dm {

// A colour as formats that store colours rather than palette indices hold it.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

Rgb PaletteColor(const PalettePlanes& palette, uint8_t index);

// Finds for a colour the palette index among 0-254 with the smallest squared RGB distance, the
// lower index on a tie; 255 is never chosen, as it means no colour. A picture repeats few
// colours, so recent answers are kept in a small fixed table.
class ColorMatcher {
  public:
    explicit ColorMatcher(const PalettePlanes& palette) : palette_(palette) {}

    uint8_t Nearest(Rgb color);

  private:
    static constexpr size_t kSlots = 4096;
    static constexpr uint32_t kFilled = 1u << 24;

    PalettePlanes palette_;
    std::array<uint32_t, kSlots> keys_{}; // the colour as 0xRRGGBB | kFilled; 0 when empty
    std::array<uint8_t, kSlots> indices_{};
};

} // namespace dm
