#include "program_files.h"

#include "render/config_location.h"

#include <system_error>

namespace dm::dtmtool {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

std::string DefaultDisplayConfig() {
    return ChooseDisplayConfig(UserFoldersFromEnvironment(),
                               (ProgramFolder() / "dmdata" / "graphics.txt").generic_string());
}

} // namespace dm::dtmtool
