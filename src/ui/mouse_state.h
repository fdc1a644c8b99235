#pragma once

#include "render/display.h"

#include <array>
#include <cstdint>

namespace dm {

// The mouse in screen cells, rewritten once per frame. A click is a release: a button's released
// flag is set for exactly the one poll at which it is first seen up again.
struct MouseState {
    int32_t mousecellx = 0;
    int32_t mousecelly = 0;
    std::array<int32_t, 3> mouseheld{};     // buttons 1 (left), 2 (right), 3 (middle)
    std::array<int32_t, 3> mousereleased{}; // same buttons
};

// The one mouse state of the program.
MouseState& Mouse();

// Reads the platform mouse into the mouse state: the pixel position divided by the glyph size and
// then by the scale, truncating, and the three buttons. Returns 0.
int32_t UpdateMouse(const Display& display);

// Forgets the left-button presses counted so far. Popups and prompts call it as they close: the
// presses made while they were up were theirs, and never count as presses on what lies under the
// mouse afterwards.
void ForgetLeftPresses();

// 1 when the mouse cell lies in the w x h cells from (x, y), else 0.
int32_t MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h);

} // namespace dm
