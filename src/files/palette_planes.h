#pragma once

#include <array>
#include <cstdint>

namespace dm {

inline constexpr int kPaletteEntries = 256;

// A palette's colours as three planes of 256 entries: red at 0-255, green at 256-511, blue at
// 512-767. Entry i of each plane belongs to colour index i.
using PalettePlanes = std::array<uint8_t, 3 * kPaletteEntries>;

// In a cell, colour index 255 means no colour: nothing is painted.
inline constexpr uint8_t kNoColor = 255;

} // namespace dm
