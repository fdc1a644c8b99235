#pragma once

#include <array>

namespace dm {

// The Unicode character that each code page 437 code shows, the control codes 1-31 and 127 as
// their classic pictures (smileys, card suits, arrows, the house).
extern const std::array<char32_t, 256> kCp437ToUnicode;

// The code page 437 code whose glyph shows the character, or -1 when no glyph does.
int Cp437CodeOf(char32_t character);

} // namespace dm
