#include "platform/fatal_error.h"

#include "platform/text/terminal_text.h"

#include <iostream>

namespace dm {

int RunReportingFatal(const std::function<int()>& body) {
    try {
        return body();
    } catch (const FatalError& error) {
        // The message may quote a configuration file's bytes.
        std::cerr << EscapeForTerminal(error.what()) << std::endl;
        return kFatalExitStatus;
    }
}

} // namespace dm
