#include "files/recovery_store.h"

#include "files/locked_side_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dm {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSessionPrefix = "session-";
// A session folder is made under this name and renamed once locked, so that no other editor
// ever sees it unlocked.
constexpr const char* kNewSessionPrefix = ".session-";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The folder opened and locked without waiting; -1 when it is held by another or cannot be.
int LockFolder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return -1;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// What an interrupted write through the side-file writer leaves beside its destination.
bool IsWriteLeftover(const std::string& name) {
    return name.starts_with('.') && name.find(LockedSideFile::kNameMarker) != std::string::npos;
}

// The entries of a folder; a folder that cannot be read, wholly or part way, gives what was read.
std::vector<fs::directory_entry> Entries(const std::string& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    fs::directory_iterator next(folder, error);
    for (; !error && next != fs::directory_iterator(); next.increment(error)) {
        entries.push_back(*next);
    }
    return entries;
}

void RemoveLeftoversAndFolder(const std::string& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : Entries(folder)) {
        if (IsWriteLeftover(entry.path().filename().string()) && entry.is_regular_file(error)) {
            fs::remove(entry.path(), error);
        }
    }
    ::rmdir(folder.c_str());
}

std::string Failed(const std::string& what, int code) {
    return what + ": " + std::strerror(code);
}

} // namespace

std::string RecoveryFolderFor(const std::string& stateHome, const std::string& home) {
    // Relative folders in these variables are invalid and ignored, as the base directory rules
    // say.
    fs::path state;
    if (stateHome.starts_with('/')) {
        state = stateHome;
    } else if (home.starts_with('/')) {
        state = fs::path(home) / ".local" / "state";
    } else {
        return "";
    }
    return (state / "duskmarch" / "recovery").lexically_normal().string();
}

std::string RecoveryFolderFromEnvironment() {
    return RecoveryFolderFor(Environment("XDG_STATE_HOME"), Environment("HOME"));
}

Expected<std::unique_ptr<RecoverySession>>
RecoverySession::Create(const std::string& recoveryFolder) {
    if (recoveryFolder.empty()) {
        return Failure{"no folder for recovery files: neither XDG_STATE_HOME nor HOME is set"};
    }
    // The base directory rules make the user's state folders private.
    const mode_t mask = ::umask(077);
    std::error_code error;
    fs::create_directories(recoveryFolder, error);
    ::umask(mask);
    if (error) {
        return Failure{recoveryFolder + ": " + error.message()};
    }
    std::string made = (fs::path(recoveryFolder) / kNewSessionPrefix).string() + "XXXXXX";
    if (::mkdtemp(made.data()) == nullptr) {
        return Failure{Failed(recoveryFolder, errno)};
    }
    const int descriptor = LockFolder(made);
    const std::string suffix = made.substr(made.size() - 6);
    const std::string folder = (fs::path(recoveryFolder) / kSessionPrefix).string() + suffix;
    if (descriptor < 0 || ::rename(made.c_str(), folder.c_str()) != 0) {
        const int code = errno;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        ::rmdir(made.c_str());
        return Failure{Failed(made, code)};
    }
    return std::unique_ptr<RecoverySession>(new RecoverySession(folder, descriptor));
}

RecoverySession::~RecoverySession() {
    ::close(descriptor_);
}

std::string RecoverySession::NewFilePath() {
    std::error_code error;
    std::string path;
    do {
        path = (fs::path(folder_) / ("canvas-" + std::to_string(++filesMade_) + kRecoveryExtension))
                   .string();
    } while (fs::exists(fs::symlink_status(path, error)));
    return path;
}

void RecoverySession::RemoveWithFiles() {
    std::error_code error;
    for (const fs::directory_entry& entry : Entries(folder_)) {
        if (entry.path().extension() == kRecoveryExtension && !entry.is_directory(error)) {
            fs::remove(entry.path(), error);
        }
    }
    RemoveLeftoversAndFolder(folder_);
}

DeadSession::~DeadSession() {
    ::close(descriptor_);
}

std::string DeadSession::Name() const {
    return fs::path(folder_).filename().string();
}

void DeadSession::RemoveWhenEmpty() {
    RemoveLeftoversAndFolder(folder_);
}

std::vector<std::unique_ptr<DeadSession>> TakeDeadSessions(const std::string& recoveryFolder) {
    std::vector<std::string> folders;
    std::error_code error;
    for (const fs::directory_entry& entry : Entries(recoveryFolder)) {
        if (entry.path().filename().string().starts_with(kSessionPrefix) &&
            entry.is_directory(error) && !entry.is_symlink(error)) {
            folders.push_back(entry.path().string());
        }
    }
    std::sort(folders.begin(), folders.end());
    std::vector<std::unique_ptr<DeadSession>> dead;
    for (const std::string& folder : folders) {
        const int descriptor = LockFolder(folder);
        if (descriptor < 0) {
            continue;
        }
        std::vector<std::string> files;
        for (const fs::directory_entry& entry : Entries(folder)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with('.') && entry.is_regular_file(error)) {
                files.push_back(entry.path().string());
            }
        }
        std::sort(files.begin(), files.end());
        dead.push_back(
            std::unique_ptr<DeadSession>(new DeadSession(folder, descriptor, std::move(files))));
    }
    return dead;
}

Expected<std::string> MoveAside(const std::string& file, const std::string& folder,
                                const std::string& name, bool touch) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return Failure{folder + ": " + error.message()};
    }
    const fs::path wanted = fs::path(folder) / name;
    fs::path target = wanted;
    for (int copy = 2; fs::exists(fs::symlink_status(target, error)); ++copy) {
        target = wanted.parent_path() / (wanted.stem().string() + "-" + std::to_string(copy) +
                                         wanted.extension().string());
    }
    if (::rename(file.c_str(), target.c_str()) != 0) {
        return Failure{Failed(file, errno)};
    }
    if (touch) {
        ::utimensat(AT_FDCWD, target.c_str(), nullptr, 0);
    }
    return target.string();
}

void DeleteOlderThan(const std::string& folder, std::chrono::seconds age) {
    const auto cutoff = fs::file_time_type::clock::now() - age;
    std::error_code error;
    for (const fs::directory_entry& entry : Entries(folder)) {
        if (entry.path().extension() == kRecoveryExtension && entry.is_regular_file(error) &&
            !entry.is_symlink(error) && entry.last_write_time(error) < cutoff && !error) {
            fs::remove(entry.path(), error);
        }
    }
}

} // namespace dm
