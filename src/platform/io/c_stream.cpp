#include "platform/io/c_stream.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

// Opens without blocking, so that a named pipe with no peer cannot hang the caller, and refuses
// directories, which the C library would open but never read.
int OpenDescriptor(const std::string& path, bool readable, bool writeable) {
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (readable && writeable) {
        flags |= O_RDWR;
    } else if (readable) {
        flags |= O_RDONLY;
    } else {
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::shared_ptr<TCStream> TCStream::OpenFile(const std::string& path, bool readable,
                                             bool writeable) {
    if (!readable && !writeable) {
        return nullptr;
    }
    const int fd = OpenDescriptor(path, readable, writeable);
    if (fd < 0) {
        return nullptr;
    }
    const char* mode = readable && writeable ? "r+b" : readable ? "rb" : "wb";
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    const int streamMode = (readable ? kModeRead : 0) | (writeable ? kModeWrite : 0);
    return std::shared_ptr<TCStream>(new TCStream(file, streamMode));
}

TCStream::TCStream(std::FILE* file, int mode) : _cstream(file), _mode(mode) {
    const off_t start = ::ftello(file);
    if (start < 0) {
        _pos = -1;
        return;
    }
    if (::fseeko(file, 0, SEEK_END) == 0) {
        _size = std::max<int64_t>(::ftello(file), 0);
    }
    ::fseeko(file, start, SEEK_SET);
    _pos = start;
}

TCStream::~TCStream() {
    try {
        Close();
    } catch (const TStreamException&) {
        // A destructor cannot report the failure; callers that care close explicitly.
    }
}

bool TCStream::Eof() {
    if (!_cstream) {
        return true;
    }
    if (_pos < 0) {
        return std::feof(_cstream.get()) != 0;
    }
    // A seek past the end must also count, or a read loop would never finish.
    return _pos >= _size;
}

int64_t TCStream::Seek(int64_t pos) {
    if (!_cstream || _pos < 0 || pos < 0) {
        return -1;
    }
    if (_last == LastAccess::Write && std::fflush(_cstream.get()) != 0) {
        RecordWriteFailure();
        return -1;
    }
    if (::fseeko(_cstream.get(), static_cast<off_t>(pos), SEEK_SET) != 0) {
        return -1;
    }
    _pos = pos;
    _last = LastAccess::None;
    return _pos;
}

void TCStream::Flush() {
    if (!_cstream || (_mode & kModeWrite) == 0) {
        return;
    }
    if (std::fflush(_cstream.get()) != 0) {
        RecordWriteFailure();
    }
    if (_writeFailed) {
        throw TStreamWriteException();
    }
}

void TCStream::Close() {
    if (!_cstream) {
        return;
    }
    const bool writeable = (_mode & kModeWrite) != 0;
    bool failed = _writeFailed;
    if (writeable && std::fflush(_cstream.get()) != 0) {
        RecordWriteFailure();
        failed = true;
    }
    if (std::fclose(_cstream.release()) != 0 && writeable) {
        RecordWriteFailure();
        failed = true;
    }
    _pos = 0;
    _size = 0;
    _last = LastAccess::None;
    _writeFailed = false;
    if (failed) {
        throw TStreamWriteException();
    }
}

int64_t TCStream::Read(void* buffer, int64_t count) {
    if (!_cstream || (_mode & kModeRead) == 0 || count <= 0 || !PrepareFor(LastAccess::Read)) {
        return 0;
    }
    const auto moved =
        static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), _cstream.get()));
    Advance(moved);
    return moved;
}

int64_t TCStream::Write(const void* buffer, int64_t count) {
    // After a failed flush the C library forgets the bytes it could not write and takes new ones
    // into its buffer as if nothing had happened; moving none keeps a writer from going on.
    if (!_cstream || (_mode & kModeWrite) == 0 || count <= 0 || _writeFailed ||
        !PrepareFor(LastAccess::Write)) {
        return 0;
    }
    const auto moved =
        static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), _cstream.get()));
    if (moved < count) {
        RecordWriteFailure();
    }
    Advance(moved);
    return moved;
}

bool TCStream::SyncToDisk() {
    if (!_cstream) {
        return false;
    }
    if ((_mode & kModeWrite) != 0 && std::fflush(_cstream.get()) != 0) {
        RecordWriteFailure();
    }
    if (_writeFailed) {
        return false;
    }
    if (::fsync(::fileno(_cstream.get())) != 0) {
        RecordWriteFailure();
        return false;
    }
    return true;
}

void TCStream::RecordWriteFailure() {
    _writeFailed = true;
    if (_errorCode == 0) {
        _errorCode = errno != 0 ? errno : EIO;
    }
}

// The C library needs a flush or a seek between a write and a following read, and the reverse.
bool TCStream::PrepareFor(LastAccess access) {
    if (_last == LastAccess::Write && access == LastAccess::Read) {
        if (std::fflush(_cstream.get()) != 0) {
            RecordWriteFailure();
            return false;
        }
    } else if (_last == LastAccess::Read && access == LastAccess::Write) {
        if (::fseeko(_cstream.get(), 0, SEEK_CUR) != 0) {
            return false;
        }
    }
    _last = access;
    return true;
}

// Reads may also pass the recorded size, when the file grew or the device reports no size.
void TCStream::Advance(int64_t moved) {
    if (_pos >= 0) {
        _pos += moved;
        _size = std::max(_size, _pos);
    }
}

} // namespace dm
