#include "files/side_file_writer.h"
#include "platform/io/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dm {
namespace {

namespace fs = std::filesystem;

const char* const kNotPutInPlace = "the file could not be written";

// The system's words for an error number ("Permission denied").
Failure SystemFailure(int code) {
    return Failure{std::strerror(code)};
}

// The longest chain of symbolic links followed, as the system itself allows.
constexpr int kMaxLinkHops = 40;

// The system's rule for links in shared folders such as /tmp (sticky and writable by all): only a
// link owned by the writer or by the folder's owner is followed, so that a link another user
// planted there cannot make a save write wherever they choose.
bool MayFollow(const fs::path& link) {
    const fs::path folder = link.has_parent_path() ? link.parent_path() : fs::path(".");
    struct stat linkInfo {};
    struct stat folderInfo {};
    if (::lstat(link.c_str(), &linkInfo) != 0 || ::stat(folder.c_str(), &folderInfo) != 0) {
        return false;
    }
    const bool shared = (folderInfo.st_mode & S_ISVTX) != 0 && (folderInfo.st_mode & S_IWOTH) != 0;
    return !shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folderInfo.st_uid;
}

// The file a path names at the end of its chain of symbolic links, whether or not that file
// exists yet, so that saving through a link writes the file it points to and keeps the link, and
// a link that points nowhere yet gets its file made.
Expected<fs::path> ResolveLinks(fs::path path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            return path;
        }
        if (!MayFollow(path)) {
            return SystemFailure(EACCES);
        }
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            return Failure{error.message()};
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return SystemFailure(ELOOP);
}

// The owner and group of the file being replaced, for the new one to keep; none for a new file.
std::optional<FileOwner> OwnerOf(const fs::path& destination) {
    struct stat info {};
    if (::stat(destination.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileOwner{info.st_uid, info.st_gid};
}

// The permission bits the new file should carry: those of the file it replaces, or what creating
// a file normally gives.
mode_t PermissionsFor(const fs::path& destination) {
    struct stat info {};
    if (::stat(destination.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether an existing file may be replaced. Renaming would replace even a file its owner made
// read-only, and the superuser may write any file; a file that no one may write is left alone by
// both.
Outcome MayReplace(const std::string& path) {
    if (::access(path.c_str(), W_OK) != 0) {
        return SystemFailure(errno);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0) {
        return SystemFailure(EACCES);
    }
    return {};
}

// Makes the rename itself survive a power cut; failing that loses nothing already written.
void SyncFolder(const fs::path& file) {
    fs::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

Expected<std::unique_ptr<SideFileWriter>> SideFileWriter::Open(const std::string& path) {
    const std::string normalized = NormalizePath(path);
    if (normalized.empty()) {
        return SystemFailure(ENOENT);
    }
    // A text holding "::" names a stream protocol rather than a file, for writing as for reading.
    if (normalized.find("::") != std::string::npos) {
        return Failure{kProtocolRefusal};
    }
    std::error_code error;
    const fs::file_status status = fs::status(normalized, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (fs::is_directory(status)) {
            return SystemFailure(EISDIR);
        }
        std::shared_ptr<TCStream> device = TCStream::OpenFile(normalized, false, true);
        if (!device) {
            return SystemFailure(errno != 0 ? errno : EIO);
        }
        return std::unique_ptr<SideFileWriter>(new SideFileWriter(device, nullptr, normalized));
    }
    if (fs::exists(status)) {
        if (const Outcome replaceable = MayReplace(normalized); !replaceable) {
            return replaceable.Error();
        }
    }
    const Expected<fs::path> resolved = ResolveLinks(normalized);
    if (!resolved) {
        return resolved.Error();
    }
    const fs::path& destination = *resolved;
    Expected<std::unique_ptr<LockedSideFile>> created =
        LockedSideFile::Create(destination, PermissionsFor(destination), OwnerOf(destination));
    if (!created) {
        return created.Error();
    }
    std::unique_ptr<LockedSideFile> side = std::move(*created);
    std::shared_ptr<TCStream> stream = TCStream::OpenFile(side->Path(), false, true);
    if (!stream) {
        const int code = errno != 0 ? errno : EIO;
        ::unlink(side->Path().c_str());
        return SystemFailure(code);
    }
    return std::unique_ptr<SideFileWriter>(
        new SideFileWriter(stream, std::move(side), destination.string()));
}

SideFileWriter::SideFileWriter(std::shared_ptr<TCStream> stream,
                               std::unique_ptr<LockedSideFile> side, std::string destination)
    : stream_(std::move(stream)), side_(std::move(side)), destination_(std::move(destination)) {}

SideFileWriter::~SideFileWriter() {
    if (committed_) {
        return;
    }
    try {
        stream_->Close();
    } catch (const TStreamException&) {
        // The bytes are being thrown away; a failure to flush them changes nothing.
    }
    // Removed while still locked, so no other save ever sees it unheld.
    if (side_) {
        ::unlink(side_->Path().c_str());
    }
}

Outcome SideFileWriter::Commit(const Outcome& written) {
    // The system's reason for a refused write says more than whatever was writing.
    const auto writeFailure = [this](const Failure& otherwise) {
        const int code = stream_->ErrorCode();
        return code != 0 ? SystemFailure(code) : otherwise;
    };
    if (!written) {
        return writeFailure(written.Error());
    }
    try {
        if (!side_) {
            stream_->Close();
            committed_ = true;
            return {};
        }
        if (!stream_->SyncToDisk()) {
            return writeFailure(Failure{kNotPutInPlace});
        }
        stream_->Close();
    } catch (const TStreamException&) {
        return writeFailure(Failure{kNotPutInPlace});
    }
    if (Outcome moved = side_->MoveOver(destination_); !moved) {
        return moved;
    }
    committed_ = true;
    side_.reset();
    SyncFolder(destination_);
    return {};
}

} // namespace dm
