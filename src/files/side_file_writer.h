#pragma once

#include "files/locked_side_file.h"
#include "platform/expected.h"
#include "platform/io/c_stream.h"

#include <memory>
#include <string>

namespace dm {

// Writes a whole file so that its path ends up holding either its previous bytes or all of the
// new ones. The bytes go to a locked side file in the same folder (see LockedSideFile), which
// Commit flushes to the disk and renames over the destination; until then, and whenever anything
// fails, the destination is untouched and the side file is removed. Side files of the same
// destination that a killed save left behind are removed when the next one opens.
//
// The new file keeps the permission bits of the file it replaces, and its owner and group where
// the process may give them (the superuser always may). Through a symbolic link, live or pointing
// nowhere yet, the file at the end of the chain is written and the link stays. A file with other
// names (hard links) is replaced under this name only: the other names keep the old bytes.
//
// A destination that exists but is not a regular file (a device such as /dev/null or a pipe) has
// no bytes to protect, and renaming would replace the node itself, so it is written in place.
// A regular file that is read-only, for its owner or because no one may write it, is refused.
class SideFileWriter {
  public:
    static constexpr const char* kProtocolRefusal =
        "the name holds \"::\", which marks a stream protocol rather than a file";

    // The writer, or why the side file (or the device) cannot be opened for writing, in the
    // system's words ("Permission denied"), or kProtocolRefusal for a path holding "::".
    static Expected<std::unique_ptr<SideFileWriter>> Open(const std::string& path);

    ~SideFileWriter();
    SideFileWriter(const SideFileWriter&) = delete;
    SideFileWriter& operator=(const SideFileWriter&) = delete;

    TStream& Stream() { return *stream_; }

    // Flushes, syncs and moves the file into place once written says the bytes are all in the
    // stream. When it holds a failure instead (a write threw TStreamException, or whatever was
    // writing gave up), nothing is put in place. Fails with the system's reason for a write the
    // stream refused ("No space left on device") where there is one, else with written's own or
    // the reason the file could not be put in place; the destination is then untouched. Never
    // throws.
    Outcome Commit(const Outcome& written = {});

  private:
    SideFileWriter(std::shared_ptr<TCStream> stream, std::unique_ptr<LockedSideFile> side,
                   std::string destination);

    std::shared_ptr<TCStream> stream_;
    std::unique_ptr<LockedSideFile> side_; // null when writing a device in place
    std::string destination_;
    bool committed_ = false;
};

} // namespace dm
