#include "arguments.h"
#include "command.h"
#include "map_input.h"
#include "tool_output.h"
#include "tool_palette.h"

#include "files/map_text.h"
#include "platform/fatal_error.h"

#include <iostream>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool show FILE [--palette PATH]\n\n"
    "Prints the map FILE (a tilemap file, or an .xp image with its layers flattened) on the\n"
    "terminal, one line per row: UTF-8 glyphs in 24-bit colour, taken from the palette image\n"
    "PATH (default: the one the editor's display configuration names). Colour 255 is\n"
    "not painted: the terminal's own background shows, or a space for the glyph.\n";

int RunShow(const std::vector<std::string>& args) {
    Expected<Arguments> parsed = ParseArguments(args, 1, {}, {"--palette"});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    Arguments& arguments = *parsed;
    ToolPalette palette(arguments.values["--palette"]);
    return RunReportingFatal([&] {
        const std::shared_ptr<tilemap> map = ReadMapOrReport(arguments.operands[0], palette);
        if (!map) {
            return kExitFailure;
        }
        const PalettePlanes& planes = palette.Planes();
        for (int32_t y = 0; y < map->tmaph; ++y) {
            std::cout << AnsiRow(*map, y, planes, AnsiTarget::Terminal);
        }
        std::cout << std::flush;
        return kExitSuccess;
    });
}

} // namespace

Command ShowCommand() {
    return {"show", "print a map on the terminal in colour", kUsage, RunShow};
}

} // namespace dm::dtmtool
