#pragma once

#include <cstdint>

namespace dm {

// An integer cell position; a plain value type.
struct vector {
    int32_t x = 0;
    int32_t y = 0;

    static vector Create(int32_t x, int32_t y) { return vector{x, y}; }
};

} // namespace dm
