#pragma once

#include <string_view>

namespace dm {

// Writes the text then CR LF to standard output and flushes it.
void PrintLine(std::string_view text);

} // namespace dm
