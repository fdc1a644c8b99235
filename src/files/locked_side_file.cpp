#include "files/locked_side_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxNameChars = 200;
constexpr size_t kUniqueChars = 6;

// A lock held by another process is tried this many times, this far apart, and then given up.
constexpr int kLockAttempts = 5;
constexpr auto kLockRetryPause = std::chrono::milliseconds(10);

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

// An exclusive lock, taken without ever waiting long; false when another process keeps it or the
// file system takes no locks.
bool LockBriefly(int descriptor) {
    for (int attempt = 1;; ++attempt) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK || attempt == kLockAttempts) {
            return false;
        }
        std::this_thread::sleep_for(kLockRetryPause);
    }
}

bool CarriesMark(int descriptor, const std::string& name) {
    std::vector<char> value(name.size() + 1);
    const ssize_t length =
        ::fgetxattr(descriptor, LockedSideFile::kSideFileMark, value.data(), value.size());
    return length == static_cast<ssize_t>(name.size()) &&
           std::equal(name.begin(), name.end(), value.begin());
}

// Removes the side file when it is certainly one of the program's own that no writer holds, and
// the name still belongs to the file examined.
void RemoveIfStale(int folder, const std::string& name) {
    const Descriptor file(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held {};
    struct stat named {};
    if (file.Get() >= 0 && ::fstat(file.Get(), &held) == 0 && S_ISREG(held.st_mode) &&
        held.st_nlink == 1 && ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0 &&
        CarriesMark(file.Get(), name) &&
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

// Gives the file the owner and group it replaces, or failing that (a user may only hand a file to
// a group of their own) the group alone; a file that keeps neither is still written.
void TakeOwner(int descriptor, const FileOwner& owner) {
    if (::fchown(descriptor, owner.user, owner.group) != 0) {
        ::fchown(descriptor, static_cast<uid_t>(-1), owner.group);
    }
}

Failure SystemFailure() {
    return Failure{std::strerror(errno)};
}

// A file made in a folder, open for writing, and the path it was given.
struct NamedFile {
    int descriptor;
    std::string path;
};

std::string UniqueChars() {
    static constexpr std::string_view kChars =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Seeded afresh for each name: names are made once a save, on any thread.
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<size_t> pick(0, kChars.size() - 1);
    std::string chars(kUniqueChars, ' ');
    for (char& c : chars) {
        c = kChars[pick(random)];
    }
    return chars;
}

// Locks the file and marks it with its name; a file that cannot be held or marked is written all
// the same, and kept if the save is killed.
void HoldAndMark(int descriptor, const std::string& name) {
    if (LockBriefly(descriptor)) {
        ::fsetxattr(descriptor, LockedSideFile::kSideFileMark, name.data(), name.size(), 0);
    }
}

// Where the file system allows it, the file is made without a name, held and marked, and only
// then linked under its name, so that a save killed at any moment leaves no side file unmarked.
std::optional<NamedFile> CreateUnnamedThenLink(const fs::path& folder, const std::string& prefix) {
    const Descriptor unnamed(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (unnamed.Get() < 0) {
        return std::nullopt;
    }
    const std::string procPath = "/proc/self/fd/" + std::to_string(unnamed.Get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + UniqueChars();
        HoldAndMark(unnamed.Get(), name);
        const std::string path = (folder / name).string();
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return NamedFile{::dup(unnamed.Get()), path};
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

Expected<NamedFile> CreateMarked(const fs::path& folder, const std::string& prefix) {
    if (std::optional<NamedFile> linked = CreateUnnamedThenLink(folder, prefix);
        linked && linked->descriptor >= 0) {
        return std::move(*linked);
    }
    std::string pattern = (folder / (prefix + std::string(kUniqueChars, 'X'))).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return SystemFailure();
    }
    std::string path(buffer.data());
    HoldAndMark(descriptor, fs::path(path).filename().string());
    return NamedFile{descriptor, std::move(path)};
}

} // namespace

Expected<std::unique_ptr<LockedSideFile>>
LockedSideFile::Create(const fs::path& destination, mode_t permissions,
                       const std::optional<FileOwner>& owner) {
    fs::path folder = destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string prefix =
        "." + destination.filename().string().substr(0, kMaxNameChars) + kNameMarker;
    // Creating and cleaning up under the folder's lock keeps two saves of the program from
    // cleaning up at once.
    const Descriptor folderLock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderLock.Get() >= 0 && LockBriefly(folderLock.Get())) {
        RemoveStaleSideFiles(folderLock.Get(), folder, prefix);
    }

    Expected<NamedFile> created = CreateMarked(folder, prefix);
    if (!created) {
        return created.Error();
    }
    const int descriptor = created->descriptor;
    std::string path = std::move(created->path);
    if (owner) {
        TakeOwner(descriptor, *owner);
    }
    // After the owner, since a change of owner clears the set-user-ID and set-group-ID bits.
    if (::fchmod(descriptor, permissions) != 0) {
        Failure failure = SystemFailure();
        ::unlink(path.c_str());
        ::close(descriptor);
        return failure;
    }
    return std::unique_ptr<LockedSideFile>(new LockedSideFile(std::move(path), descriptor));
}

LockedSideFile::~LockedSideFile() {
    ::close(descriptor_);
}

Outcome LockedSideFile::MoveOver(const std::string& destination) {
    if (::rename(path_.c_str(), destination.c_str()) != 0) {
        return SystemFailure();
    }
    // The mark names the side file, so it would never match the file under its new name; it is
    // dropped so that the user's file carries nothing of the save.
    ::fremovexattr(descriptor_, kSideFileMark);
    return {};
}

} // namespace dm
