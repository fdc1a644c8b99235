#pragma once

#include "platform/expected.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace dm {

// The owner and group a file should keep when it is replaced.
struct FileOwner {
    uid_t user;
    gid_t group;
};

// A new, empty side file beside a destination, named "." + the destination's name + ".duskmarch-"
// + six letters or digits, held under an exclusive lock (flock) for as long as this object lives.
//
// The lock tells a side file that is being written from one left behind by a save that was
// killed. Create removes such leftovers of the same destination, and only those it can tell for
// certain are the program's own: a file of exactly that name, that nobody holds, with one link,
// and carrying an extended attribute (kSideFileMark) whose value is that very name. The mark is
// set only while the writer holds its lock, so a marked file that can be locked has no writer
// left. Where the file system makes files without a name (O_TMPFILE), a side file is held and
// marked before it is linked under its name, so even a save killed at its first instruction
// leaves nothing unmarked behind. Anything in doubt is kept: a user's ".castle.dtm.backup", the
// side files of earlier versions (named "." + the destination's name + "." + six letters or
// digits), a file someone else holds, and every side file on a file system without extended
// attributes or locks.
//
// No lock is ever waited for: when another process holds the folder or a side file, Create tries
// again for a moment and then goes on without the clean-up.
class LockedSideFile {
  public:
    static constexpr const char* kSideFileMark = "user.duskmarch.side-file";
    static constexpr const char* kNameMarker = ".duskmarch-";

    // The new side file, with the permission bits given and, where the process may, the owner
    // and group given; the system's reason when the folder does not take it.
    static Expected<std::unique_ptr<LockedSideFile>>
    Create(const std::filesystem::path& destination, mode_t permissions,
           const std::optional<FileOwner>& owner);

    // Releases the lock; the file itself stays unless it was moved into place.
    ~LockedSideFile();
    LockedSideFile(const LockedSideFile&) = delete;
    LockedSideFile& operator=(const LockedSideFile&) = delete;

    const std::string& Path() const { return path_; }

    // Renames the side file over destination, which then no longer carries the mark.
    Outcome MoveOver(const std::string& destination);

  private:
    LockedSideFile(std::string path, int descriptor)
        : path_(std::move(path)), descriptor_(descriptor) {}

    std::string path_;
    int descriptor_;
};

} // namespace dm
