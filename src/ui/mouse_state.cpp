#include "ui/mouse_state.h"

#include "platform/host.h"
#include "platform/input/polled_input.h"

namespace dm {

MouseState& Mouse() {
    return CurrentHost().Slot<MouseState>();
}

int32_t UpdateMouse(const Display& display) {
    MouseState& mouse = Mouse();
    const int32_t scale = display.config.scale;
    mouse.mousecellx = MouseXPos() / display.tileset.GlyphWidth / scale;
    mouse.mousecelly = MouseYPos() / display.tileset.GlyphHeight / scale;
    for (int button = 0; button < 3; ++button) {
        const int32_t previous = mouse.mouseheld[button];
        mouse.mouseheld[button] = IsMouseDown(button + 1);
        mouse.mousereleased[button] = previous > mouse.mouseheld[button] ? 1 : 0;
    }
    return 0;
}

void ForgetLeftPresses() {
    TakeMouseHits(1);
}

int32_t MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    const MouseState& mouse = Mouse();
    const int64_t cx = mouse.mousecellx, cy = mouse.mousecelly;
    return cx >= x && cx < int64_t{x} + w && cy >= y && cy < int64_t{y} + h ? 1 : 0;
}

} // namespace dm
