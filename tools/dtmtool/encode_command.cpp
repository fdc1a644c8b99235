#include "arguments.h"
#include "command.h"
#include "tool_output.h"

#include "files/png_body.h"
#include "files/tilemap_file.h"

#include <memory>
#include <string>
#include <vector>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool encode IN.dtm OUT.png [--scramble]\n\n"
    "Encodes the tilemap file IN.dtm as the picture OUT.png, one pixel per cell carrying glyph,\n"
    "foreground and background. With --scramble the cells are shuffled and disguised as the\n"
    "editor's encode command does; \"dtmtool decode\" with the same flag restores them.\n";

int RunEncode(const std::vector<std::string>& args) {
    const Expected<Arguments> parsed = ParseArguments(args, 2, {"--scramble"});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    const Arguments& arguments = *parsed;
    const LoadedTilemap loaded = ReadOrReport(arguments.operands[0]);
    if (!loaded.map) {
        return kExitFailure;
    }
    const int32_t scramble = arguments.flags.count("--scramble") != 0 ? 1 : 0;
    // The picture replaces OUT.png only once it is complete, like a saved map.
    RandomGenerator random;
    const Expected<std::shared_ptr<TPixmap>> encoded =
        EncodePNGFile(*loaded.map, arguments.operands[1], scramble, random);
    if (!encoded) {
        PrintError("Failed to encode tilemap image! " + encoded.Why());
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

Command EncodeCommand() {
    return {"encode", "encode a tilemap file as a PNG picture", kUsage, RunEncode};
}

} // namespace dm::dtmtool
