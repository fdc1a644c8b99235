#include "files/side_file_writer.h"
#include "platform/file_system.h"
#include "platform/paths.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;

// The real file a path names, so that saving through a symbolic link replaces the file it points
// to and keeps the link.
fs::path ResolveLinks(const fs::path& path) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        fs::path target = fs::canonical(path, error);
        if (!error) {
            return target;
        }
    }
    return path;
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

// Creates an empty file of a unique name beside the destination; empty when that fails.
std::string CreateSideFile(const fs::path& destination) {
    fs::path folder = destination.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string name = destination.filename().string().substr(0, 200);
    std::string pattern = (folder / ("." + name + ".XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int descriptor = ::mkstemp(buffer.data());
    if (descriptor < 0) {
        return {};
    }
    const bool ready = ::fchmod(descriptor, PermissionsFor(destination)) == 0;
    ::close(descriptor);
    const std::string side_path(buffer.data());
    if (!ready) {
        ::unlink(side_path.c_str());
        return {};
    }
    return side_path;
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

std::unique_ptr<SideFileWriter> SideFileWriter::Open(const std::string& path) {
    const std::string normalized = NormalizePath(path);
    // A text holding "::" names a stream protocol rather than a file, for writing as for reading.
    if (normalized.empty() || normalized.find("::") != std::string::npos) {
        return nullptr;
    }
    std::error_code error;
    const fs::file_status status = fs::status(normalized, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (fs::is_directory(status)) {
            return nullptr;
        }
        std::shared_ptr<TCStream> device = TCStream::OpenFile(normalized, false, true);
        if (!device) {
            return nullptr;
        }
        return std::unique_ptr<SideFileWriter>(new SideFileWriter(device, {}, normalized));
    }
    // Renaming would replace even a file its owner made read-only; writing it in place would not.
    if (fs::exists(status) && ::access(normalized.c_str(), W_OK) != 0) {
        return nullptr;
    }
    const fs::path destination = ResolveLinks(normalized);
    const std::string side_path = CreateSideFile(destination);
    if (side_path.empty()) {
        return nullptr;
    }
    std::shared_ptr<TCStream> stream = TCStream::OpenFile(side_path, false, true);
    if (!stream) {
        ::unlink(side_path.c_str());
        return nullptr;
    }
    return std::unique_ptr<SideFileWriter>(
        new SideFileWriter(stream, side_path, destination.string()));
}

SideFileWriter::SideFileWriter(std::shared_ptr<TCStream> stream, std::string side_path,
                               std::string destination)
    : stream_(std::move(stream)), side_path_(std::move(side_path)),
      destination_(std::move(destination)) {}

SideFileWriter::~SideFileWriter() {
    if (committed_) {
        return;
    }
    try {
        stream_->Close();
    } catch (const TStreamException&) {
        // The bytes are being thrown away; a failure to flush them changes nothing.
    }
    if (!side_path_.empty()) {
        ::unlink(side_path_.c_str());
    }
}

bool SideFileWriter::Commit() {
    try {
        if (side_path_.empty()) {
            stream_->Close();
            committed_ = true;
            return true;
        }
        if (!stream_->SyncToDisk()) {
            return false;
        }
        stream_->Close();
    } catch (const TStreamException&) {
        return false;
    }
    if (!RenameFile(side_path_, destination_)) {
        return false;
    }
    committed_ = true;
    SyncFolder(destination_);
    return true;
}

} // namespace dm
