#include "arguments.h"
#include "command.h"
#include "progress_line.h"
#include "tool_display.h"
#include "tool_output.h"

#include "files/image_export.h"
#include "files/tilemap_file.h"
#include "platform/expected.h"
#include "platform/fatal_error.h"
#include "render/display.h"
#include "render/export_look.h"

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool export IN.dtm OUT.png [--config PATH] [--compression N]\n\n"
    "Renders the tilemap file IN.dtm as the editor's export does: every cell becomes a block of\n"
    "glyph pixels in its palette colours, colour 255 stays transparent. The tileset and palette\n"
    "come from the display configuration PATH, by default the one the editor reads (see\n"
    "\"dtmtool --help\"); relative paths inside it are taken from this program's folder. PATH and\n"
    "the paths inside it may separate folders with \"\\\", as the editor's configuration does;\n"
    "IN.dtm and OUT.png are taken as written. N is the compression from 0 (pixels stored as they\n"
    "are) to 9 (smallest file, slowest); the default is 8, as the editor exports.\n";

struct ExportRequest {
    Arguments arguments;
    std::string config;
    int compression = kEditorExportCompression;
};

// Like ParseArguments, but --config and --compression take the argument that follows them.
Expected<ExportRequest> ParseExportArguments(const std::vector<std::string>& args) {
    ExportRequest request;
    Arguments& parsed = request.arguments;
    Outcome usable;
    const auto fail = [&usable](const std::string& error) {
        if (usable) {
            usable = Failure{error};
        }
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (optionsEnded) {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg == "--config") {
            if (!hasValue) {
                fail("--config needs a path");
                continue;
            }
            request.config = args[++i];
        } else if (arg == "--compression") {
            const std::string level = hasValue ? args[++i] : "";
            if (level.size() != 1 || level[0] < '0' || level[0] > '9') {
                fail("--compression needs a level from 0 to 9");
                continue;
            }
            request.compression = level[0] - '0';
        } else if (arg.size() > 1 && arg[0] == '-') {
            fail("unknown option " + arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.operands.size() != 2) {
        fail("expected 2 file names, got " + std::to_string(parsed.operands.size()));
    }
    if (!usable && !parsed.help) {
        return usable.Error();
    }
    return request;
}

int RunExportRequest(const ExportRequest& request) {
    const Expected<std::string> input = FromCaller(request.arguments.operands[0]);
    const Expected<std::string> output = FromCaller(request.arguments.operands[1]);
    for (const Expected<std::string>* path : {&input, &output}) {
        if (!*path) {
            PrintError(path->Why());
            return kExitFailure;
        }
    }
    Display display;
    if (const Outcome opened = OpenToolDisplay(request.config, display); !opened) {
        PrintError(opened.Why());
        return kExitFailure;
    }

    const LoadedTilemap loaded = ReadOrReport(*input);
    if (!loaded.map) {
        return kExitFailure;
    }
    ProgressLine progress("exporting " + request.arguments.operands[1]);
    const Outcome exported =
        ExportPNG(*loaded.map, *output, request.compression, MakeExportLook(display),
                  [&progress](int thousandths) { progress.Update(thousandths); });
    progress.Finish();
    if (!exported) {
        PrintError("Failed to export tilemap image! " + exported.Why());
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunExport(const std::vector<std::string>& args) {
    const Expected<ExportRequest> request = ParseExportArguments(args);
    const Expected<Arguments> arguments =
        request ? Expected<Arguments>(request->arguments) : request.Error();
    if (const auto status = FinishEarly(kUsage, arguments)) {
        return *status;
    }
    return RunReportingFatal([&request] { return RunExportRequest(*request); });
}

} // namespace

Command ExportCommand() {
    return {"export", "render a tilemap file as a PNG picture with the display's tileset", kUsage,
            RunExport};
}

} // namespace dm::dtmtool
