#include "arguments.h"
#include "command.h"
#include "program_files.h"
#include "tool_output.h"

#include "files/image_export.h"
#include "files/tilemap_file.h"
#include "platform/fatal_error.h"
#include "platform/paths.h"
#include "render/display.h"
#include "render/export_look.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool export IN.dtm OUT.png [--config PATH] [--compression N]\n\n"
    "Renders the tilemap file IN.dtm as the editor's export does: every cell becomes a block of\n"
    "glyph pixels in its palette colours, colour 255 stays transparent. The tileset and palette\n"
    "come from the display configuration PATH, by default the one the editor reads (see\n"
    "\"dtmtool --help\"); relative paths inside it are taken from this program's folder. PATH and\n"
    "the paths inside it may separate folders with \"\\\", as the editor's configuration does;\n"
    "IN.dtm and OUT.png are taken as written. N is the zlib level from 0 to 9 (default 8).\n";

constexpr int kEditorCompression = 8;

struct ExportRequest {
    Arguments arguments;
    std::string config;
    int compression = kEditorCompression;
};

// Like ParseArguments, but --config and --compression take the argument that follows them.
ExportRequest ParseExportArguments(const std::vector<std::string>& args) {
    ExportRequest request;
    Arguments& parsed = request.arguments;
    const auto fail = [&parsed](const std::string& error) {
        if (parsed.error.empty()) {
            parsed.error = error;
        }
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
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
    return request;
}

// Shows on one line of standard error how far an export that takes over a second has come, as
// a percentage of the whole job, redrawn at most every 100 ms.
class ProgressLine {
  public:
    explicit ProgressLine(std::string target) : target_(std::move(target)) {}

    void Update(int thousandths) {
        latestPercent_ = thousandths * 100 / kProgressTotal;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            (shown_ && (latestPercent_ == shownPercent_ ||
                        now - lastShown_ < std::chrono::milliseconds(100)))) {
            return;
        }
        Show();
        lastShown_ = now;
    }

    // Brings a shown line up to the last figure and ends it.
    void Finish() {
        if (!shown_) {
            return;
        }
        if (latestPercent_ != shownPercent_) {
            Show();
        }
        std::cerr << std::endl;
    }

  private:
    using Clock = std::chrono::steady_clock;

    void Show() {
        std::cerr << "\rexporting " << target_ << ": " << latestPercent_ << "%" << std::flush;
        shown_ = true;
        shownPercent_ = latestPercent_;
    }

    std::string target_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_;
    bool shown_ = false;
    int latestPercent_ = 0;
    int shownPercent_ = 0;
};

// A path given on the command line, taken from the caller's folder.
std::string FromCaller(const std::string& path) {
    return std::filesystem::absolute(NormalizePath(path)).generic_string();
}

int RunExportRequest(const ExportRequest& request) {
    const std::filesystem::path programFolder = ProgramFolder();
    const std::string input = FromCaller(request.arguments.operands[0]);
    const std::string output = FromCaller(request.arguments.operands[1]);
    const std::string config =
        request.config.empty() ? DefaultDisplayConfig() : FromCaller(request.config);

    // The configuration's own relative paths are the program's, as at the editor's start-up.
    std::error_code error;
    std::filesystem::current_path(programFolder, error);
    if (error) {
        PrintError("cannot enter the program's folder " + programFolder.generic_string());
        return kExitFailure;
    }
    Display display;
    OpenDisplay(display, config, kUseDefaultTitle, [](const WindowRequest&) {});

    const LoadedTilemap loaded = ReadOrReport(input);
    if (!loaded.map) {
        return kExitFailure;
    }
    ProgressLine progress(request.arguments.operands[1]);
    const ExportResult result =
        ExportPNG(*loaded.map, output, request.compression, MakeExportLook(display),
                  [&progress](int thousandths) { progress.Update(thousandths); });
    progress.Finish();
    if (!result.ok) {
        PrintError("Failed to export tilemap image! " + result.error);
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunExport(const std::vector<std::string>& args) {
    const ExportRequest request = ParseExportArguments(args);
    if (const auto status = FinishEarly(kUsage, request.arguments)) {
        return *status;
    }
    return RunReportingFatal([&request] { return RunExportRequest(request); });
}

} // namespace

Command ExportCommand() {
    return {"export", "render a tilemap file as a PNG picture with the display's tileset", kUsage,
            RunExport};
}

} // namespace dm::dtmtool
