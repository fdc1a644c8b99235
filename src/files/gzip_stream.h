#pragma once

#include "platform/expected.h"
#include "platform/io/stream.h"

#include <cstdint>
#include <memory>
#include <vector>

struct z_stream_s;

namespace dm {

// Inflates one gzip member read from a stream a chunk at a time, so that only what the caller
// asks for is ever held in memory.
class GzipReader {
  public:
    // A reader of the member that in holds from its position; fails when zlib cannot start.
    static Expected<std::unique_ptr<GzipReader>> Open(TStream& in);
    ~GzipReader();
    GzipReader(const GzipReader&) = delete;
    GzipReader& operator=(const GzipReader&) = delete;

    // Fills buffer with count inflated bytes, or fewer where the gzip member ends, and says how
    // many; the member's checksum is verified as its end is reached. Fails, saying how ("cut
    // short"), for a stream that is not gzip or whose compressed data is damaged.
    Expected<int64_t> Read(void* buffer, int64_t count);

    // The most bytes that what is left of the input can inflate to (deflate packs at most
    // 1032 bytes into one), so that a declared size can be checked before room is made for
    // it; -1 when the input cannot tell how much is left.
    int64_t MostBytesLeft();

  private:
    explicit GzipReader(TStream& in);

    TStream& in_;
    std::unique_ptr<z_stream_s> zlib_;
    std::vector<uint8_t> input_;
    bool ended_ = false;
};

// Deflates into a gzip member written to a stream a chunk at a time.
class GzipWriter {
  public:
    // level is zlib's, 0 to 9.
    GzipWriter(TStream& out, int level);
    ~GzipWriter();
    GzipWriter(const GzipWriter&) = delete;
    GzipWriter& operator=(const GzipWriter&) = delete;

    // Throw TStreamWriteException when the stream cannot take the bytes.
    void Write(const void* data, int64_t count);
    // Writes what is left and the member's trailer; nothing may be written after it.
    void Finish();

  private:
    // Runs deflate with the given flush mode until it has taken all input.
    void Deflate(int flush);

    TStream& out_;
    std::unique_ptr<z_stream_s> zlib_;
    std::vector<uint8_t> output_;
};

} // namespace dm
