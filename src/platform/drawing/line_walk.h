#pragma once

#include <cstdint>
#include <cstdlib>

namespace dm {

// Visits the points of the line from (x0, y0) to (x1, y1) in order by Bresenham's steps, both
// ends included: visit(x, y) for each. The error term is 64-bit, so no pair of 32-bit ends
// overflows it. The software rasteriser draws lines with this walk to match OpenGL's pixels, and
// the editor lays its lines of glyphs with it, so both follow the same steps.
template <class Visit>
void WalkLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Visit&& visit) {
    const int64_t dx = std::llabs(int64_t{x1} - x0);
    const int64_t dy = -std::llabs(int64_t{y1} - y0);
    const int32_t stepX = x0 < x1 ? 1 : -1;
    const int32_t stepY = y0 < y1 ? 1 : -1;
    int64_t error = dx + dy;
    for (int32_t x = x0, y = y0;;) {
        visit(x, y);
        if (x == x1 && y == y1) {
            return;
        }
        const int64_t doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

} // namespace dm
