#include "tool_display.h"

#include "platform/io/paths.h"
#include "platform/io/program_folder.h"
#include "render/config_location.h"

#include <filesystem>
#include <system_error>

namespace dm::dtmtool {

std::string DefaultDisplayConfig() {
    return ChooseDisplayConfig(UserFoldersFromEnvironment(),
                               PathFromFolder(ProgramFolder(), "dmdata/graphics.txt"));
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
    const Expected<std::string> configPath =
        config.empty() ? Expected<std::string>(DefaultDisplayConfig()) : FromCaller(config);
    if (!configPath) {
        return configPath.Error();
    }
    display.config.resourceFolder = ProgramFolder();
    OpenDisplay(display, *configPath, kUseDefaultTitle, [](const WindowRequest&) {});
    return {};
}

} // namespace dm::dtmtool
