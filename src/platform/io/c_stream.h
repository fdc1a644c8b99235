#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/io/stream.h"

namespace dm {

// A file stream over the C library's buffered files.
//
// Writes are buffered, so a full disk may only show when the buffer is flushed: Flush and Close
// throw TStreamWriteException when flushing or closing fails, and SyncToDisk reports it as false.
// Once a write has failed, Write moves nothing more, so the first failure ends the writing.
class TCStream : public TStream {
  public:
    static constexpr int kModeRead = 1;
    static constexpr int kModeWrite = 2;

    // The path is taken as written. Read only opens an existing file, write only creates or
    // truncates, both opens an existing file for update. Directories are refused, and opening a
    // named pipe never waits for its other end. Null on failure.
    static std::shared_ptr<TCStream> OpenFile(const std::string& path, bool readable,
                                              bool writeable);

    ~TCStream() override;
    TCStream(const TCStream&) = delete;
    TCStream& operator=(const TCStream&) = delete;

    // True at or past the recorded size; for a device without positions (a pipe or terminal),
    // the C end-of-file flag.
    bool Eof() override;
    int64_t Pos() override { return _pos; }
    int64_t Size() override { return _size; }
    int64_t Seek(int64_t pos) override;
    void Flush() override;
    // Flushes and closes; harmless when already closed. Throws when pending writes fail, after
    // the file has been closed.
    void Close() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;

    // Flushes the C buffer and forces the file's data to the disk; false when either fails.
    bool SyncToDisk();

    // The system's error number of the first write, flush, sync or close that failed (ENOSPC for
    // a full disk, EFBIG past the file size limit), kept after Close; 0 while none has.
    int ErrorCode() const { return _errorCode; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    enum class LastAccess { None, Read, Write };

    TCStream(std::FILE* file, int mode);
    bool PrepareFor(LastAccess access);
    void Advance(int64_t moved);
    void RecordWriteFailure();

    int64_t _pos = 0;  // -1 for a device that cannot report its position
    int64_t _size = 0; // grown by writes, and by reads past it
    std::unique_ptr<std::FILE, FileCloser> _cstream;
    int _mode = 0; // kModeRead, kModeWrite or both
    LastAccess _last = LastAccess::None;
    bool _writeFailed = false; // sticky, so that Flush, Close and SyncToDisk report it
    int _errorCode = 0;
};

} // namespace dm
