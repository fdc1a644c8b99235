#include "editor/autosave.h"
#include "editor/editor.h"
#include "editor/program_arguments.h"
#include "editor/recovery.h"
#include "files/recovery_store.h"
#include "platform/drivers/headless_driver.h"
#include "platform/fatal_error.h"
#include "platform/host.h"
#include "platform/io/program_folder.h"
#include "platform/io/write_failure_signals.h"
#include "platform/sdl/sdl_driver.h"
#include "platform/version.h"
#include "render/config_location.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace {

// The system's files are found beside the program, so its folder becomes the current one.
void EnterProgramFolder() {
    const std::string program = dm::ProgramFolder();
    std::error_code error;
    if (!program.empty()) {
        std::filesystem::current_path(program, error);
    }
}

// The folder the user started the program from. When it has been removed meanwhile, requesters
// and relative paths of the command line have the program's folder instead, and the user is told.
std::string StartFolder() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) {
        return current.string();
    }
    const std::string program = dm::ProgramFolder();
    const std::string fallback = program.empty() ? std::string("/") : program;
    std::cerr << "duskmarch: the current folder cannot be found (" << error.message()
              << "); file requesters start in " << fallback
              << ", and relative paths are taken from there" << std::endl;
    return fallback;
}

std::shared_ptr<dm::SystemDriver> ReplayDriver(const std::string& scriptPath,
                                               const std::string& startFolder) {
    dm::Expected<dm::ReplayScript> script = dm::ReadReplayScript(scriptPath, startFolder);
    if (!script) {
        std::cerr << "duskmarch: " << script.Why() << std::endl;
        return nullptr;
    }
    return std::make_shared<dm::HeadlessDriver>(std::move(*script), std::cout);
}

} // namespace

int main(int argc, char** argv) {
    dm::IgnoreWriteFailureSignals();
    const std::string startFolder = StartFolder();
    const dm::Expected<dm::ProgramArguments> parsed =
        dm::ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc), startFolder);
    if (!parsed) {
        std::cerr << "duskmarch: " << parsed.Why() << "\n\n" << dm::kProgramUsage;
        return 2;
    }
    const dm::ProgramArguments& arguments = *parsed;
    if (arguments.request == dm::ProgramRequest::Help) {
        std::cout << dm::kProgramUsage << "\n" << dm::kDisplayConfigHelp;
        return 0;
    }
    if (arguments.request == dm::ProgramRequest::Version) {
        std::cout << "duskmarch " << dm::kDuskmarchVersion << "\n";
        return 0;
    }
    std::shared_ptr<dm::SystemDriver> driver =
        arguments.replayScript.empty() ? std::make_shared<dm::SdlDriver>()
                                       : ReplayDriver(arguments.replayScript, startFolder);
    if (!driver) {
        return 2;
    }
    const std::string configPath =
        dm::ChooseDisplayConfig(dm::UserFoldersFromEnvironment(), dm::kDisplayConfigPath);
    EnterProgramFolder();
    dm::SetUpHost(driver, startFolder);
    const int status = dm::RunReportingFatal([&arguments, &configPath] {
        const std::unique_ptr<dm::EditorState> state =
            dm::StartEditor(arguments.mapPaths, configPath);
        if (dm::RunEnded()) {
            return 0;
        }
        dm::StartRecovery(*state, dm::RecoveryFolderFromEnvironment());
        if (dm::RunEnded() || dm::RunEditor(*state) == dm::FrameResult::Ended) {
            // A script that ran to its end leaves no work behind to recover.
            dm::ForgetRecovery(*state);
        }
        return 0;
    });
    dm::ResetHost();
    return status;
}
