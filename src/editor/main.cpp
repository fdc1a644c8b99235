#include "editor/editor.h"
#include "editor/program_arguments.h"
#include "platform/fatal_error.h"
#include "platform/file_requester.h"
#include "platform/file_size_signal.h"
#include "platform/headless_driver.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/version.h"
#include "render/config_location.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// The system's files are found beside the program, so its folder becomes the current one.
void EnterProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        std::filesystem::current_path(program.parent_path(), error);
    }
}

std::shared_ptr<dm::SystemDriver> ReplayDriver(const std::string& scriptPath,
                                               const std::string& startFolder) {
    std::ifstream file(scriptPath, std::ios::binary);
    if (!file) {
        std::cerr << "duskmarch: cannot read " << scriptPath << std::endl;
        return nullptr;
    }
    std::ostringstream text;
    text << file.rdbuf();
    dm::ReplayParseResult parsed = dm::ParseReplayScript(text.str(), startFolder);
    if (!parsed.script) {
        std::cerr << "duskmarch: " << scriptPath << ": " << parsed.error << std::endl;
        return nullptr;
    }
    return std::make_shared<dm::HeadlessDriver>(std::move(*parsed.script), std::cout);
}

} // namespace

int main(int argc, char** argv) {
    dm::IgnoreFileSizeSignal();
    const std::string startFolder = std::filesystem::current_path().string();
    const dm::ProgramArguments arguments =
        dm::ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc), startFolder);
    if (arguments.error == "help") {
        std::cout << dm::kProgramUsage << "\n" << dm::kDisplayConfigHelp;
        return 0;
    }
    if (arguments.error == "version") {
        std::cout << "duskmarch " << dm::kDuskmarchVersion << "\n";
        return 0;
    }
    if (!arguments.error.empty()) {
        std::cerr << "duskmarch: " << arguments.error << "\n\n" << dm::kProgramUsage;
        return 2;
    }
    std::shared_ptr<dm::SystemDriver> driver =
        arguments.replayScript.empty() ? std::make_shared<dm::SdlDriver>()
                                       : ReplayDriver(arguments.replayScript, startFolder);
    if (!driver) {
        return 2;
    }
    dm::SetRequesterFolder(startFolder);
    const std::string configPath =
        dm::ChooseDisplayConfig(dm::UserFoldersFromEnvironment(), dm::kDisplayConfigPath);
    EnterProgramFolder();
    dm::SetSystemDriver(driver);
    const int status = dm::RunReportingFatal([&arguments, &configPath] {
        try {
            const std::unique_ptr<dm::EditorState> state =
                dm::StartEditor(arguments.mapPath, configPath);
            dm::RunEditor(*state);
        } catch (const dm::ReplayFinished&) {
        }
        return 0;
    });
    dm::CloseGraphics();
    dm::SetSystemDriver(nullptr);
    return status;
}
