#pragma once

#include "platform/c_stream.h"

#include <memory>
#include <string>

namespace dm {

// Writes a whole file so that its path ends up holding either its previous bytes or all of the
// new ones. The bytes go to a new file of a unique name in the same folder, which Commit flushes
// to the disk and renames over the destination; until then, and whenever anything fails, the
// destination is untouched and the side file is removed.
//
// A destination that exists but is not a regular file (a device such as /dev/null or a pipe) has
// no bytes to protect, and renaming would replace the node itself, so it is written in place.
class SideFileWriter {
  public:
    // Null when the side file (or the device) cannot be opened for writing.
    static std::unique_ptr<SideFileWriter> Open(const std::string& path);

    ~SideFileWriter();
    SideFileWriter(const SideFileWriter&) = delete;
    SideFileWriter& operator=(const SideFileWriter&) = delete;

    TStream& Stream() { return *stream_; }

    // Flushes, syncs and moves the file into place. False, with the destination untouched, when
    // any of it fails; never throws.
    bool Commit();

  private:
    SideFileWriter(std::shared_ptr<TCStream> stream, std::string side_path,
                   std::string destination);

    std::shared_ptr<TCStream> stream_;
    std::string side_path_; // empty when writing a device in place
    std::string destination_;
    bool committed_ = false;
};

} // namespace dm
