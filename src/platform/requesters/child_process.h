#pragma once

#include "platform/expected.h"

#include <functional>
#include <string>
#include <vector>

namespace dm {

// How a program run as a child process ended.
struct ChildRun {
    int exitStatus = -1; // its exit status; -1 when a signal ended it
    std::string output;  // what it wrote to standard output, up to kMaxChildOutput bytes
};

inline constexpr size_t kMaxChildOutput = 64 * 1024;

// Runs a program found on PATH with exactly these arguments (the first names the program), with
// standard input from /dev/null and standard output read through a pipe; no shell reads them.
// While it runs, whileWaiting is called about every intervalMs milliseconds. The call returns
// once the program has ended. Should whileWaiting throw, the program is killed before the
// exception goes on. Fails when the program cannot be started: "NAME is not installed" when it is
// not on PATH, else "NAME could not start (REASON)" in the system's words.
Expected<ChildRun> RunChildProcess(const std::vector<std::string>& arguments,
                                   const std::function<void()>& whileWaiting, int intervalMs);

} // namespace dm
