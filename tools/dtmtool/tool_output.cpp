#include "tool_output.h"

#include "platform/text/terminal_text.h"

#include <iostream>

namespace dm::dtmtool {

void PrintError(const std::string& text) {
    std::cerr << "dtmtool: " << EscapeForTerminal(text) << std::endl;
}

LoadedTilemap ReadOrReport(const std::string& path) {
    const Expected<std::shared_ptr<TStream>> stream = OpenTilemapFile(path);
    if (stream && !*stream) {
        PrintError("cannot open " + path);
        return {};
    }
    Expected<LoadedTilemap> loaded = stream ? ReadTilemapStream(**stream) : stream.Error();
    if (!loaded) {
        PrintError(loaded.Why());
        return {};
    }
    return std::move(*loaded);
}

std::optional<int> FinishEarly(const std::string& usage, const Expected<Arguments>& arguments) {
    if (!arguments) {
        PrintError(arguments.Why());
        std::cerr << usage << std::flush;
        return kExitUsage;
    }
    if (arguments->help) {
        std::cout << usage << std::flush;
        return kExitSuccess;
    }
    return std::nullopt;
}

} // namespace dm::dtmtool
