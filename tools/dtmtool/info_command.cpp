#include "arguments.h"
#include "command.h"
#include "tool_output.h"

#include "files/tilemap_file.h"

#include <iostream>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool info FILE\n\n"
    "Checks the tilemap file FILE as the editor does when opening it and prints its body\n"
    "format (DMTR, DMTM or DMTP), width, height and checksum, one per line.\n";

int RunInfo(const std::vector<std::string>& args) {
    const Expected<Arguments> parsed = ParseArguments(args, 1, {});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    const Arguments& arguments = *parsed;
    const std::string& path = arguments.operands[0];
    const LoadedTilemap loaded = ReadOrReport(path);
    if (!loaded.map) {
        return kExitFailure;
    }
    std::cout << "format: " << loaded.format << "\n"
              << "width: " << loaded.map->tmapw << "\n"
              << "height: " << loaded.map->tmaph << "\n"
              << "checksum: " << loaded.map->GetChecksum() << "\n"
              << std::flush;
    return kExitSuccess;
}

} // namespace

Command InfoCommand() {
    return {"info", "print a tilemap file's format, size and checksum", kUsage, RunInfo};
}

} // namespace dm::dtmtool
