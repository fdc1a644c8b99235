#include "platform/io/print_line.h"

#include <cstdio>

namespace dm {

void PrintLine(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fwrite("\r\n", 1, 2, stdout);
    std::fflush(stdout);
}

} // namespace dm
