#include "arguments.h"
#include "command.h"
#include "map_input.h"
#include "map_output.h"
#include "tool_output.h"
#include "tool_palette.h"

#include "files/xp_format.h"
#include "platform/fatal_error.h"

#include <charconv>
#include <optional>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool convert IN OUT [--palette PATH] [--layer N]\n\n"
    "Converts a map from one format to another, each told by its file's extension:\n"
    "  .dtm  a tilemap file, read and saved as the editor does\n"
    "  .xp   the gzip-compressed layered image of roguelike engines and text-art tools\n"
    "  .ans  ANSI text: code page 437 glyphs in 24-bit colour (written only)\n"
    "  .txt  the glyphs as UTF-8 text (written only)\n"
    "An input of any other name is read as a tilemap file. Palette indices become colours and\n"
    "colours the nearest index with the palette image PATH (default: the one the editor's\n"
    "display configuration names). An .xp input has its layers flattened,\n"
    "upper over lower where not transparent; --layer N reads only layer N, counting from 0 at\n"
    "the bottom.\n";

// The layer an .xp input is read from, or why --layer is unusable.
Expected<int> LayerOf(const Arguments& arguments) {
    const auto option = arguments.values.find("--layer");
    if (option == arguments.values.end()) {
        return kXpAllLayers;
    }
    const std::string& text = option->second;
    int layer = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), layer);
    if (error != std::errc() || end != text.data() + text.size() || layer < 0) {
        return Failure{"--layer needs a layer number from 0"};
    }
    if (LowerExtension(arguments.operands[0]) != ".xp") {
        return Failure{"--layer applies only to an .xp input"};
    }
    return layer;
}

int RunConvert(const std::vector<std::string>& args) {
    Expected<Arguments> parsed = ParseArguments(args, 2, {}, {"--palette", "--layer"});
    Expected<OutputFormat> format = OutputFormat::Dtm;
    int layer = kXpAllLayers;
    if (parsed && !parsed->help) {
        const Expected<int> chosenLayer = LayerOf(*parsed);
        format = OutputFormatOf(parsed->operands[1]);
        if (!chosenLayer) {
            parsed = chosenLayer.Error();
        } else if (!format) {
            parsed = format.Error();
        } else {
            layer = *chosenLayer;
        }
    }
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    Arguments& arguments = *parsed;
    ToolPalette palette(arguments.values["--palette"]);
    return RunReportingFatal([&] {
        const std::shared_ptr<tilemap> map = ReadMapOrReport(arguments.operands[0], palette, layer);
        if (!map) {
            return kExitFailure;
        }
        if (const Outcome written = WriteMap(*map, arguments.operands[1], *format, palette);
            !written) {
            PrintError("failed to write " + arguments.operands[1] + ": " + written.Why());
            return kExitFailure;
        }
        return kExitSuccess;
    });
}

} // namespace

Command ConvertCommand() {
    return {"convert", "convert a map between .dtm, .xp, .ans and .txt", kUsage, RunConvert};
}

} // namespace dm::dtmtool
