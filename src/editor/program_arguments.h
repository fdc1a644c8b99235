#pragma once

#include "platform/expected.h"

#include <string>
#include <vector>

namespace dm {

// What the program was asked on its command line: `duskmarch [--replay SCRIPT] [--] [MAP...]`.
// Relative paths are made absolute against the folder the program was started from, before it
// makes its own folder the current one. After "--" every argument is a map, even one that looks
// like an option. "--help" (or "-h") and "--version" ask for their text instead of the editor; the
// arguments after them are not read.
enum class ProgramRequest { Edit, Help, Version };

struct ProgramArguments {
    ProgramRequest request = ProgramRequest::Edit;
    std::vector<std::string> mapPaths; // in the order given; an empty one stays empty
    std::string replayScript;          // empty: a real window
};

// The arguments, or the usage error that refuses them.
Expected<ProgramArguments> ParseProgramArguments(const std::vector<std::string>& args,
                                                 const std::string& startFolder);

inline constexpr const char* kProgramUsage =
    "usage: duskmarch [--replay SCRIPT] [--] [MAP.dtm...]\n"
    "       duskmarch --help | --version\n\n"
    "Opens the editor with each MAP.dtm as a canvas, up to eight, the first one active. --replay\n"
    "runs the editor without a window on the events of SCRIPT, one per line, and prints every\n"
    "popup, message box and file requester it opens. After --, every argument is a map.\n"
    "--version prints the program's version.\n";

} // namespace dm
