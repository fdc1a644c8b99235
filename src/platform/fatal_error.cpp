#include "platform/fatal_error.h"

#include <iostream>

namespace dm {

int RunReportingFatal(const std::function<int()>& body) {
    try {
        return body();
    } catch (const FatalError& error) {
        std::cerr << error.what() << std::endl;
        return kFatalExitStatus;
    }
}

} // namespace dm
