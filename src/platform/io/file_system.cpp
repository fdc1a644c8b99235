#include "platform/io/file_system.h"

#include <filesystem>
#include <system_error>

#include "platform/io/paths.h"

namespace dm {

namespace fs = std::filesystem;

namespace {

fs::path ToFsPath(const std::string& path) {
    return fs::path(NormalizePath(path));
}

} // namespace

int GetFileType(const std::string& path) {
    if (path.empty() || path.find_first_of("<>") != std::string::npos) {
        return kFileTypeNone;
    }
    std::error_code error;
    const fs::file_status status = fs::status(ToFsPath(path), error);
    if (error) {
        return kFileTypeNone;
    }
    if (fs::is_regular_file(status)) {
        return kFileTypeFile;
    }
    return fs::is_directory(status) ? kFileTypeDirectory : kFileTypeNone;
}

int64_t GetFileSize(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    std::error_code error;
    const fs::path target = ToFsPath(path);
    const fs::file_status status = fs::status(target, error);
    if (error) {
        return -1;
    }
    if (fs::is_directory(status)) {
        return 0;
    }
    const std::uintmax_t size = fs::file_size(target, error);
    return error ? -1 : static_cast<int64_t>(size);
}

bool RemoveFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    const fs::path target = ToFsPath(path);
    const fs::file_status status = fs::symlink_status(target, error);
    if (fs::is_directory(status)) {
        return false;
    }
    if (fs::is_regular_file(status)) {
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
    }
    fs::remove(target, error);
    return fs::symlink_status(target, error).type() == fs::file_type::not_found;
}

Outcome RenameFile(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) {
        return Failure{std::make_error_code(std::errc::no_such_file_or_directory).message()};
    }
    std::error_code error;
    fs::rename(ToFsPath(from), ToFsPath(to), error);
    if (error) {
        return Failure{error.message()};
    }
    return {};
}

} // namespace dm
