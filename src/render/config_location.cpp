#include "render/config_location.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace dm {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Whether a file of that name is there for the user to have meant, readable or not.
bool EntryExists(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    // Only "no such entry" means absent; a folder that refuses to be searched may well hold it.
    return std::filesystem::exists(status) ||
           (error && error != std::errc::no_such_file_or_directory &&
            error != std::errc::not_a_directory);
}

} // namespace

UserFolders UserFoldersFromEnvironment() {
    return {Environment("XDG_CONFIG_HOME"), Environment("HOME")};
}

std::string UserDisplayConfigPath(const UserFolders& folders) {
    // Relative folders in these variables are invalid and ignored, as the base directory rules
    // say.
    std::filesystem::path configHome;
    if (folders.configHome.starts_with('/')) {
        configHome = folders.configHome;
    } else if (folders.home.starts_with('/')) {
        configHome = std::filesystem::path(folders.home) / ".config";
    } else {
        return "";
    }
    return (configHome / "duskmarch" / "graphics.txt").lexically_normal().generic_string();
}

std::string ChooseDisplayConfig(const UserFolders& folders, const std::string& installedPath) {
    const std::string userPath = UserDisplayConfigPath(folders);
    return !userPath.empty() && EntryExists(userPath) ? userPath : installedPath;
}

} // namespace dm
