#pragma once

#include "render/display.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dm {

// Whether the text prompt takes a character: letters, digits and the marks
// ! @ # $ % ^ & * ( ) _ + | \ [ ] ; ' , . / { } : < > ? and the grave accent, but no space, "-",
// "=", "~" or double quote.
bool IsPromptCharacter(int c);

// Asks for a line of text on a cleared screen: the text and what was typed so far, in colour,
// centred on a row two cells from the top and the left, with a blinking cursor. Backspace takes
// back a character, Enter ends and returns the answer (possibly empty). Escape, or the window's
// close request, leaves without an answer. Characters the prompt does not take are ignored. The
// row the callers name is kept for them; the prompt always stands at row 2, where users know it.
std::optional<std::string> PromptString(const Display& display, std::string_view text, int32_t row,
                                        uint8_t colour);

} // namespace dm
