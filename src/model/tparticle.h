#pragma once

#include <cstdint>

namespace dm {

// A short-lived glyph that moves over a map; drawing animates and ages it.
struct tparticle {
    float x = 0;
    float y = 0;
    float xv = 0;
    float yv = 0;
    int32_t blinkrate = 0;
    int32_t life = 0;
    uint8_t glyph = 0;
    uint8_t color = 0;
    uint8_t bgcolor = 0;
};

} // namespace dm
