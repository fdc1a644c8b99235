#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace dm {

// A start-up failure that ends the program: loaders throw it, the program's entry reports it.
class FatalError : public std::runtime_error {
  public:
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

// Exit status of a program ended by a FatalError (-1 as an 8-bit status).
inline constexpr int kFatalExitStatus = 255;

// Runs body and returns its result; a FatalError is written to standard error, its bytes that a
// terminal would act on escaped (EscapeForTerminal), and turned into kFatalExitStatus.
int RunReportingFatal(const std::function<int()>& body);

} // namespace dm
