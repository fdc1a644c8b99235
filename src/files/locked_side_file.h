#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <sys/types.h>

namespace dm {

// A new, empty side file beside a destination, named "." + the destination's name + "." + six
// letters or digits, and held under an exclusive lock (flock) for as long as this object lives.
// The lock tells a side file that is being written from one left behind by a save that was
// killed: Create removes the side files of the same destination that nobody holds, and never one
// that a live save holds. Creating and removing happen under a lock on the folder, so a new side
// file is never seen before its writer holds it. Where the file system has no such locks nothing
// is removed.
class LockedSideFile {
  public:
    // Null when the folder does not take the new file; failure then holds the system's reason.
    static std::unique_ptr<LockedSideFile> Create(const std::filesystem::path& destination,
                                                  mode_t permissions, std::string& failure);

    // Releases the lock; the file itself stays.
    ~LockedSideFile();
    LockedSideFile(const LockedSideFile&) = delete;
    LockedSideFile& operator=(const LockedSideFile&) = delete;

    const std::string& Path() const { return path_; }

  private:
    LockedSideFile(std::string path, int descriptor)
        : path_(std::move(path)), descriptor_(descriptor) {}

    std::string path_;
    int descriptor_;
};

} // namespace dm
