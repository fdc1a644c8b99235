#pragma once

#include <string>
#include <vector>

namespace dm {

// What the program was asked on its command line: `duskmarch [--replay SCRIPT] [MAP]`. Relative
// paths are made absolute against the folder the program was started from, before it makes its
// own folder the current one.
struct ProgramArguments {
    std::string mapPath;
    std::string replayScript; // empty: a real window
    std::string error;        // a usage error, when not empty
};

ProgramArguments ParseProgramArguments(const std::vector<std::string>& args,
                                       const std::string& startFolder);

inline constexpr const char* kProgramUsage =
    "usage: duskmarch [--replay SCRIPT] [MAP.dtm]\n"
    "       duskmarch --help | --version\n\n"
    "Opens the editor, with MAP.dtm as the first canvas when given. --replay runs the editor\n"
    "without a window on the events of SCRIPT, one per line, and prints every message box and\n"
    "file requester it opens. --version prints the program's version.\n";

} // namespace dm
