#include "platform/requesters/desktop_chooser.h"

#include "platform/requesters/child_process.h"
#include "platform/requesters/chooser_arguments.h"
#include "platform/requesters/file_requester.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace dm {

namespace {

// Both choosers end what they print with a line break; a name may hold others. A relative answer
// is taken against the folder the chooser showed first, as its user saw it, not against the
// program's folder, which is the current one.
std::string ChosenPath(std::string output, const std::string& startFolder) {
    if (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    if (output.empty() || output.front() == '/') {
        return output;
    }
    return (std::filesystem::path(startFolder) / output).lexically_normal().string();
}

// Why a chooser that did not answer failed, for the one line the fallback shows.
std::string WhyNoAnswer(const std::string& name, const Expected<ChildRun>& run) {
    if (!run) {
        return run.Why();
    }
    if (run->exitStatus < 0) {
        return name + " was ended by a signal";
    }
    return name + " failed with exit status " + std::to_string(run->exitStatus);
}

} // namespace

bool HasDesktopSession() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

Expected<std::string> RunDesktopChooser(const FileRequest& request,
                                        const std::function<void()>& whileOpen) {
    if (!HasDesktopSession()) {
        return Failure{"No file chooser: no desktop session (DISPLAY is not set)"};
    }
    const std::string folder = RequesterFolder();
    const std::vector<std::vector<std::string>> choosers = {ZenityArguments(request, folder),
                                                            KdialogArguments(request, folder)};
    std::string failures;
    for (const std::vector<std::string>& arguments : choosers) {
        const Expected<ChildRun> run = RunChildProcess(arguments, whileOpen, kChooserKeepAliveMs);
        // Both exit with 0 for a choice and 1 for a cancel; anything else is a failure.
        if (run && (run->exitStatus == 0 || run->exitStatus == 1)) {
            const std::string startFolder = SplitInitialPath(request.initialPath, folder).folder;
            return run->exitStatus == 0 ? ChosenPath(run->output, startFolder) : "";
        }
        failures += (failures.empty() ? "" : ", ") + WhyNoAnswer(arguments.front(), run);
    }
    return Failure{"No file chooser: " + failures};
}

} // namespace dm
