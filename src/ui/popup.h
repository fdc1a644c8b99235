#pragma once

#include "render/display.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

// The captions of the two ready-made popups.
const std::vector<std::string>& okbuttons();    // "Ok"
const std::vector<std::string>& yesnobuttons(); // "Yes", "No"

// Shows a 38 x 8 window centred on a cleared screen, with the title, the text wrapped into five
// rows, and a row of button captions, and runs its own frames until one is chosen: Enter or Space
// take the marked caption, the arrows, A/D/W/S and Tab move the mark round, Escape takes the last
// caption, and a left click on or just below a caption takes it. Returns the index of the caption,
// or -1 without showing anything when there are none. Every exit forgets the keys and left-button
// presses made while the popup was up.
int32_t popup(const Display& display, const std::string& title, const std::string& text,
              const std::vector<std::string>& buttons);

// A popup with "Ok"; returns 1.
int32_t ShowMessage(const Display& display, const std::string& title, const std::string& text);

// A popup with "Yes" and "No": 0 for Yes, 1 for No or Escape.
int32_t AskYesNo(const Display& display, const std::string& title, const std::string& text);

} // namespace dm
