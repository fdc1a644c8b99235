#include "arguments.h"
#include "command.h"
#include "tool_output.h"

#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "platform/io/file_system.h"

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool decode IN.png OUT.dtm [--scramble]\n\n"
    "Imports the picture IN.png as a map, one cell per pixel, and saves it to OUT.dtm as the\n"
    "editor saves, printing the four size statistics lines. Pass --scramble for pictures made\n"
    "by the editor's encode command or by \"dtmtool encode --scramble\".\n";

int RunDecode(const std::vector<std::string>& args) {
    const Expected<Arguments> parsed = ParseArguments(args, 2, {"--scramble"});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    const Arguments& arguments = *parsed;
    const std::string& picture = arguments.operands[0];
    if (GetFileType(picture) != kFileTypeFile) {
        PrintError("cannot open " + picture);
        return kExitFailure;
    }
    const int32_t scramble = arguments.flags.count("--scramble") != 0 ? 1 : 0;
    RandomGenerator random;
    const std::shared_ptr<tilemap> map = DecodePNG(picture, scramble, random);
    if (!map) {
        PrintError("Unable to read PNG image file.");
        return kExitFailure;
    }
    if (const Outcome saved = SaveTilemap(*map, arguments.operands[1]); !saved) {
        PrintError("failed to save " + arguments.operands[1] + ": " + saved.Why());
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

Command DecodeCommand() {
    return {"decode", "import a PNG picture as a map and save it as a tilemap file", kUsage,
            RunDecode};
}

} // namespace dm::dtmtool
