#include "program_folder.h"

#include "platform/io/paths.h"
#include "render/config_location.h"

#include <system_error>

namespace dm::dtmtool {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : program.parent_path();
}

std::string DefaultDisplayConfig() {
    return ChooseDisplayConfig(UserFoldersFromEnvironment(),
                               (ProgramFolder() / "dmdata" / "graphics.txt").generic_string());
}

Expected<std::string> FromCaller(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(NormalizePath(path), error);
    if (error) {
        return Failure{"cannot find " + path + " from the current folder: " + error.message()};
    }
    return absolute.generic_string();
}

Outcome OpenToolDisplay(const std::string& config, Display& display) {
    const std::filesystem::path programFolder = ProgramFolder();
    const Expected<std::string> configPath =
        config.empty() ? Expected<std::string>(DefaultDisplayConfig()) : FromCaller(config);
    if (!configPath) {
        return configPath.Error();
    }
    std::error_code error;
    std::filesystem::current_path(programFolder, error);
    if (error) {
        return Failure{"cannot enter the program's folder " + programFolder.generic_string()};
    }
    OpenDisplay(display, *configPath, kUseDefaultTitle, [](const WindowRequest&) {});
    return {};
}

} // namespace dm::dtmtool
