#pragma once

#include <SDL2/SDL_keyboard.h>

namespace dm {

// The host's virtual-key number of a key as SDL reports it, with Shift, Control and Alt by side;
// 0 for keys that have none. Letters and digits follow the keyboard layout, as shortcuts do.
int VirtualKeyCode(const SDL_Keysym& key);

} // namespace dm
