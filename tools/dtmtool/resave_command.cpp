#include "arguments.h"
#include "command.h"
#include "tool_output.h"

#include "files/tilemap_file.h"

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool resave IN.dtm OUT.dtm\n\n"
    "Reads the tilemap file IN.dtm and saves it to OUT.dtm exactly as the editor saves, with the\n"
    "smaller body, printing the four size statistics lines. OUT.dtm may be IN.dtm.\n";

int RunResave(const std::vector<std::string>& args) {
    const Expected<Arguments> parsed = ParseArguments(args, 2, {});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    const Arguments& arguments = *parsed;
    const LoadedTilemap loaded = ReadOrReport(arguments.operands[0]);
    if (!loaded.map) {
        return kExitFailure;
    }
    if (const Outcome saved = SaveTilemap(*loaded.map, arguments.operands[1]); !saved) {
        PrintError("failed to save " + arguments.operands[1] + ": " + saved.Why());
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

Command ResaveCommand() {
    return {"resave", "read a tilemap file and save it again as the editor would", kUsage,
            RunResave};
}

} // namespace dm::dtmtool
