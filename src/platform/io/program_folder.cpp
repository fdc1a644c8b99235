#include "platform/io/program_folder.h"

#include <filesystem>
#include <system_error>

namespace dm {

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().generic_string();
}

std::string PathFromFolder(const std::string& folder, const std::string& path) {
    if (folder.empty() || std::filesystem::path(path).is_absolute()) {
        return path;
    }
    return (std::filesystem::path(folder) / path).generic_string();
}

} // namespace dm
