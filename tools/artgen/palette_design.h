#pragma once

#include <array>
#include <cstdint>

namespace dm {

inline constexpr int kPaletteSize = 256;

// The default palette as packed 0xRRGGBB values, index by index. Row 0 (indices 0-15) and row 1
// (16-31) hold the colours the editor's screen uses plus a basic and a deep-and-pale set; row 2
// is a grey ramp; rows 3-15 are hue families, each a ramp from light (left) to dark (right).
std::array<uint32_t, kPaletteSize> DesignPalette();

} // namespace dm
