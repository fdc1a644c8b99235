#include "editor/program_arguments.h"

#include <filesystem>

namespace dm {

namespace {

std::string Absolute(const std::string& path, const std::string& startFolder) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    return (std::filesystem::path(startFolder) / path).lexically_normal().string();
}

} // namespace

Expected<ProgramArguments> ParseProgramArguments(const std::vector<std::string>& args,
                                                 const std::string& startFolder) {
    ProgramArguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (optionsEnded) {
            parsed.mapPaths.push_back(Absolute(args[i], startFolder));
        } else if (args[i] == "--") {
            optionsEnded = true;
        } else if (args[i] == "--replay") {
            if (i + 1 == args.size()) {
                return Failure{"--replay needs a script"};
            }
            parsed.replayScript = Absolute(args[++i], startFolder);
        } else if (args[i] == "--help" || args[i] == "-h") {
            parsed.request = ProgramRequest::Help;
            return parsed;
        } else if (args[i] == "--version") {
            parsed.request = ProgramRequest::Version;
            return parsed;
        } else {
            parsed.mapPaths.push_back(Absolute(args[i], startFolder));
        }
    }
    return parsed;
}

} // namespace dm
