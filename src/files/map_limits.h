#pragma once

#include <cstdint>

namespace dm {

// The most cells a map read from outside may have: 4096 x 4096, or any other shape of that
// area. Three bytes a cell keeps a decoded map within 48 MiB, so a file or picture cannot make
// the program allocate without bound.
inline constexpr int64_t kMaxMapCells = int64_t{4096} * 4096;

// True when a w x h map has at least one cell and no more than kMaxMapCells.
inline bool IsMapSizeAllowed(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= kMaxMapCells && h <= kMaxMapCells && w * h <= kMaxMapCells;
}

} // namespace dm
