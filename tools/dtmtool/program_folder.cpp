#include "program_folder.h"

#include "platform/paths.h"

#include <system_error>

namespace dm::dtmtool {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

std::string FromCaller(const std::string& path) {
    return std::filesystem::absolute(NormalizePath(path)).generic_string();
}

Outcome OpenToolDisplay(const std::string& config, Display& display) {
    const std::filesystem::path programFolder = ProgramFolder();
    const std::string configPath =
        config.empty() ? (programFolder / "dmdata" / "graphics.txt").generic_string()
                       : FromCaller(config);
    std::error_code error;
    std::filesystem::current_path(programFolder, error);
    if (error) {
        return Failure{"cannot enter the program's folder " + programFolder.generic_string()};
    }
    OpenDisplay(display, configPath, kUseDefaultTitle, [](const WindowRequest&) {});
    return {};
}

} // namespace dm::dtmtool
