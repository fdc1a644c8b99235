#include "files/gzip_stream.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

namespace dm {
namespace {

constexpr size_t kChunkBytes = 64 * 1024;
// 15 bits of window, plus 16: a gzip header and trailer rather than zlib's.
constexpr int kGzipWindowBits = 15 + 16;
// Deflate codes a 258-byte match in two bits at best.
constexpr int64_t kMostInflatedPerByte = 1032;
// What inflate may still hold of input it has taken: a pending match and a few bits.
constexpr int64_t kInflateSlack = 64 * 1024;

// zlib counts in unsigned int; larger requests are split.
uInt ChunkOf(int64_t count) {
    return static_cast<uInt>(std::min<int64_t>(count, std::numeric_limits<uInt>::max() / 2));
}

} // namespace

GzipReader::GzipReader(TStream& in)
    : in_(in), zlib_(std::make_unique<z_stream>()), input_(kChunkBytes) {}

Expected<std::unique_ptr<GzipReader>> GzipReader::Open(TStream& in) {
    std::unique_ptr<GzipReader> reader(new GzipReader(in));
    if (inflateInit2(reader->zlib_.get(), kGzipWindowBits) != Z_OK) {
        // Nothing for the destructor's inflateEnd to free.
        reader->zlib_.reset();
        return Failure{"zlib could not start inflating"};
    }
    return reader;
}

GzipReader::~GzipReader() {
    if (zlib_) {
        inflateEnd(zlib_.get());
    }
}

Expected<int64_t> GzipReader::Read(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t produced = 0;
    while (produced < count && !ended_) {
        if (zlib_->avail_in == 0) {
            const int64_t got = in_.Read(input_.data(), static_cast<int64_t>(input_.size()));
            if (got <= 0) {
                return Failure{"cut short"};
            }
            zlib_->next_in = input_.data();
            zlib_->avail_in = static_cast<uInt>(got);
        }
        zlib_->next_out = out + produced;
        zlib_->avail_out = ChunkOf(count - produced);
        const uInt before = zlib_->avail_out;
        const int result = inflate(zlib_.get(), Z_NO_FLUSH);
        produced += before - zlib_->avail_out;
        if (result == Z_STREAM_END) {
            ended_ = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            return Failure{zlib_->msg != nullptr ? zlib_->msg : "damaged data"};
        }
    }
    return produced;
}

int64_t GzipReader::MostBytesLeft() {
    if (ended_) {
        return 0;
    }
    const int64_t position = in_.Pos();
    const int64_t size = in_.Size();
    if (position < 0 || size < position) {
        return -1;
    }
    return (size - position + zlib_->avail_in) * kMostInflatedPerByte + kInflateSlack;
}

GzipWriter::GzipWriter(TStream& out, int level)
    : out_(out), zlib_(std::make_unique<z_stream>()), output_(kChunkBytes) {
    if (deflateInit2(zlib_.get(), level, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw TStreamWriteException();
    }
}

GzipWriter::~GzipWriter() {
    deflateEnd(zlib_.get());
}

void GzipWriter::Write(const void* data, int64_t count) {
    const auto* in = static_cast<const uint8_t*>(data);
    while (count > 0) {
        const uInt chunk = ChunkOf(count);
        // zlib's input pointer is not const, but deflate never writes through it.
        zlib_->next_in = const_cast<uint8_t*>(in);
        zlib_->avail_in = chunk;
        Deflate(Z_NO_FLUSH);
        in += chunk;
        count -= chunk;
    }
}

void GzipWriter::Finish() {
    zlib_->next_in = nullptr;
    zlib_->avail_in = 0;
    Deflate(Z_FINISH);
}

void GzipWriter::Deflate(int flush) {
    int result = Z_OK;
    do {
        zlib_->next_out = output_.data();
        zlib_->avail_out = static_cast<uInt>(output_.size());
        result = deflate(zlib_.get(), flush);
        if (result == Z_STREAM_ERROR) {
            throw TStreamWriteException();
        }
        out_.WriteBytes(output_.data(), static_cast<int64_t>(output_.size() - zlib_->avail_out));
    } while (zlib_->avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

} // namespace dm
