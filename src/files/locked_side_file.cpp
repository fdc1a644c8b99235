#include "files/locked_side_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxNameChars = 200;
constexpr size_t kUniqueChars = 6;

// Closes the descriptor it holds, releasing any lock on it.
class Descriptor {
  public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return descriptor_; }

  private:
    int descriptor_;
};

bool IsUniqueChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsSideFileName(std::string_view name, std::string_view prefix) {
    return name.size() == prefix.size() + kUniqueChars && name.starts_with(prefix) &&
           std::all_of(name.end() - kUniqueChars, name.end(), IsUniqueChar);
}

// Removes the side file when no writer holds it and the name still belongs to the file locked.
void RemoveIfStale(int folder, const std::string& name) {
    const Descriptor file(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held {};
    struct stat named {};
    if (file.Get() >= 0 && ::fstat(file.Get(), &held) == 0 && S_ISREG(held.st_mode) &&
        ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
        ::unlinkat(folder, name.c_str(), 0);
    }
}

void RemoveStaleSideFiles(int folder, const fs::path& folderPath, const std::string& prefix) {
    std::vector<std::string> candidates;
    std::error_code error;
    for (fs::directory_iterator entry(folderPath, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (IsSideFileName(name, prefix)) {
            candidates.push_back(std::move(name));
        }
    }
    for (const std::string& name : candidates) {
        RemoveIfStale(folder, name);
    }
}

} // namespace

std::unique_ptr<LockedSideFile> LockedSideFile::Create(const fs::path& destination,
                                                       mode_t permissions, std::string& failure) {
    fs::path folder = destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string prefix = "." + destination.filename().string().substr(0, kMaxNameChars) + ".";
    const Descriptor folderLock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderLock.Get() >= 0 && ::flock(folderLock.Get(), LOCK_EX) == 0) {
        RemoveStaleSideFiles(folderLock.Get(), folder, prefix);
    }

    std::string pattern = (folder / (prefix + std::string(kUniqueChars, 'X'))).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (descriptor < 0) {
        failure = std::strerror(errno);
        return nullptr;
    }
    std::string path(buffer.data());
    // A file system without locks leaves the file unheld; nothing there is ever removed as
    // stale either, since taking the lock fails for the cleaner too.
    ::flock(descriptor, LOCK_EX | LOCK_NB);
    if (::fchmod(descriptor, permissions) != 0) {
        failure = std::strerror(errno);
        ::unlink(path.c_str());
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<LockedSideFile>(new LockedSideFile(std::move(path), descriptor));
}

LockedSideFile::~LockedSideFile() {
    ::close(descriptor_);
}

} // namespace dm
