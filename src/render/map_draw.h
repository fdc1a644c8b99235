#pragma once

#include "model/tilemap.h"
#include "render/display.h"

#include <cstdint>

namespace dm {

// Draws a vieww x viewh window of the map, whose top-left cell is map cell (viewx, viewy), with
// that cell at screen cell (x, y), each cell as its glyph's background frame in the background
// colour under its foreground frame in the foreground colour, at the display's scale. A size of -1
// stands for the whole width or height; the window is moved and cut to lie inside the map. Colour
// 255 and the map's transparent colour are not painted; a cell whose two colours are equal is one
// solid block. The map's particles are shown on a copy of the window, then aged and moved.
// Counts the call in drawtime. Returns 0.
int32_t Draw(tilemap& map, const Display& display, int32_t x, int32_t y, int32_t viewx,
             int32_t viewy, int32_t vieww, int32_t viewh);

} // namespace dm
