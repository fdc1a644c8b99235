#pragma once

#include <string>
#include <string_view>

namespace dm {

// The text as it can safely be printed on a terminal: every byte that a terminal would act on
// rather than show becomes "\xNN" (two lower-case hexadecimal digits). Those are the control
// characters 0-31 and 127, bytes that are not part of well-formed UTF-8, and the C1 controls
// U+0080-U+009F written in UTF-8. Well-formed UTF-8 otherwise passes unchanged, so names in any
// script still read as they should.
std::string EscapeForTerminal(std::string_view text);

} // namespace dm
