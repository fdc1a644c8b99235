#include "files/parallel_png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <memory>
#include <new>
#include <span>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace dm {

namespace {

constexpr std::array<uint8_t, 8> kSignature = {137, 'P', 'N', 'G', 13, 10, 26, 10};
constexpr uint8_t kColorTypeRgba = 6;
constexpr uint8_t kFilterUp = 2;
constexpr size_t kBytesPerPixel = 4;
constexpr int kWindowBits = 15;
constexpr size_t kWindowBytes = size_t{1} << kWindowBits;
constexpr int kMemoryLevel = 8;
constexpr int kMaxThreads = 64;
// Bands in flight share this many bytes of rows, each band between the two sizes below; a
// smaller band would lose too much of its compression to the restart at its start.
constexpr int64_t kInFlightBytes = 16 << 20;
constexpr int64_t kMaxBandBytes = 2 << 20;
constexpr int64_t kMinBandBytes = 256 << 10;
// A caller's band is cut down to this, so that zlib's 32-bit counts always hold it.
constexpr int64_t kLargestBandBytes = 256 << 20;
// The empty stored block that ends a sync flush, with room for the bits before it.
constexpr size_t kFlushMarkerBytes = 16;

using Bytes = std::vector<uint8_t>;
using ByteSpan = std::span<const uint8_t>;

// Bytes that are written before they are read, so that a band's megabytes are not cleared
// first.
class ByteBuffer {
  public:
    ByteBuffer() = default;
    explicit ByteBuffer(size_t size)
        : bytes_(std::make_unique_for_overwrite<uint8_t[]>(size)), size_(size) {}

    uint8_t* Data() { return bytes_.get(); }
    const uint8_t* Data() const { return bytes_.get(); }
    size_t Size() const { return size_; }
    ByteSpan Span(size_t length) const { return {bytes_.get(), length}; }

    // Twice the room, keeping the first `used` bytes.
    void Grow(size_t used) {
        ByteBuffer larger(std::max<size_t>(2 * size_, 1));
        std::copy(Data(), Data() + used, larger.Data());
        *this = std::move(larger);
    }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

// A zlib deflate stream without the zlib wrapper, made once and reset for every band.
class Deflater {
  public:
    explicit Deflater(int level) {
        ready_ = deflateInit2(&stream_, level, Z_DEFLATED, -kWindowBits, kMemoryLevel,
                              Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (ready_) {
            deflateEnd(&stream_);
        }
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool Ready() const { return ready_; }
    // The stream, reset for a new band.
    z_stream& Fresh() {
        if (used_) {
            deflateReset(&stream_);
        }
        used_ = true;
        return stream_;
    }

  private:
    z_stream stream_{};
    bool ready_ = false;
    bool used_ = false;
};

// Everything one band needs on its way to the file. Each is used for band after band, so that
// after the first few bands the work allocates nothing more.
struct BandWork {
    explicit BandWork(int level) : deflater(level) {}

    Deflater deflater;
    ByteBuffer filtered; // each row its filter type and its filtered bytes
    size_t filteredSize = 0;
    Bytes dictionary; // the data just before the band, at most a window of it
    bool last = false;
    ByteBuffer deflated;
    size_t deflatedSize = 0;
    uLong adler = 0; // of the filtered rows
    Outcome outcome;
};

// Raw deflate data of one band, to be joined with the others: a band other than the last ends
// with a sync flush, on a byte boundary and without closing the stream.
Outcome DeflateBand(BandWork& band, int level) {
    z_stream& z = band.deflater.Fresh();
    // Stored blocks never look back, so only compressed ones need the data before the band.
    if (level > 0 && !band.dictionary.empty() &&
        deflateSetDictionary(&z, band.dictionary.data(),
                             static_cast<uInt>(band.dictionary.size())) != Z_OK) {
        return Failure{"the picture could not be compressed"};
    }
    band.adler = adler32_z(adler32_z(0, nullptr, 0), band.filtered.Data(), band.filteredSize);
    const size_t bound =
        deflateBound(&z, static_cast<uLong>(band.filteredSize)) + kFlushMarkerBytes;
    if (band.deflated.Size() < bound) {
        band.deflated = ByteBuffer(bound);
    }
    // zlib takes its input through a pointer to non-const bytes, but never writes through it.
    z.next_in = const_cast<Bytef*>(band.filtered.Data());
    z.avail_in = static_cast<uInt>(band.filteredSize);
    const int flush = band.last ? Z_FINISH : Z_SYNC_FLUSH;
    while (true) {
        z.next_out = band.deflated.Data() + z.total_out;
        z.avail_out = static_cast<uInt>(band.deflated.Size() - z.total_out);
        const int status = deflate(&z, flush);
        if (status == Z_STREAM_END ||
            (status == Z_OK && !band.last && z.avail_in == 0 && z.avail_out != 0)) {
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            return Failure{"the picture could not be compressed"};
        }
        if (z.avail_out == 0) {
            band.deflated.Grow(z.total_out);
        }
    }
    band.deflatedSize = z.total_out;
    return {};
}

// The zlib stream header for a window of 32 KiB, its level hint as zlib itself would set it.
std::array<uint8_t, 2> ZlibHeader(int level) {
    const int hint = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    const int method = (kWindowBits - 8) << 4 | Z_DEFLATED;
    int flags = hint << 6;
    flags += 31 - (method << 8 | flags) % 31;
    return {static_cast<uint8_t>(method), static_cast<uint8_t>(flags)};
}

std::array<uint8_t, 4> BigEndian(uint32_t value) {
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

// One chunk whose data are the parts one after another.
void WriteChunk(TStream& out, const char (&type)[5], std::initializer_list<ByteSpan> parts) {
    size_t length = 0;
    uLong crc = crc32_z(0, nullptr, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(type), 4);
    for (const ByteSpan part : parts) {
        length += part.size();
        // zlib takes a null buffer as a request for the starting value, so empty parts are left
        // out.
        if (!part.empty()) {
            crc = crc32_z(crc, part.data(), part.size());
        }
    }
    out.WriteBytes(BigEndian(static_cast<uint32_t>(length)).data(), 4);
    out.WriteBytes(type, 4);
    for (const ByteSpan part : parts) {
        out.WriteBytes(part.data(), static_cast<int64_t>(part.size()));
    }
    out.WriteBytes(BigEndian(static_cast<uint32_t>(crc)).data(), 4);
}

void WriteHead(TStream& out, int width, int height) {
    out.WriteBytes(kSignature.data(), kSignature.size());
    std::array<uint8_t, 13> header{};
    const auto w = BigEndian(static_cast<uint32_t>(width));
    const auto h = BigEndian(static_cast<uint32_t>(height));
    std::copy(w.begin(), w.end(), header.begin());
    std::copy(h.begin(), h.end(), header.begin() + 4);
    header[8] = 8; // bits per sample; compression, filter method and interlace stay 0
    header[9] = kColorTypeRgba;
    WriteChunk(out, "IHDR", {header});
}

// Asks the source for bands of rows and filters them, keeping what the next band needs: the raw
// row above it and the last window of data before it.
class BandFilter {
  public:
    BandFilter(int width, const RgbaRowSource& source)
        : rowBytes_(1 + kBytesPerPixel * static_cast<size_t>(width)), source_(source),
          above_(rowBytes_, 0) {}

    // Fills the band's rows and the data before them.
    void Next(BandWork& band, int firstRow, int count, bool last) {
        band.filteredSize = rowBytes_ * static_cast<size_t>(count);
        if (band.filtered.Size() < band.filteredSize) {
            band.filtered = ByteBuffer(band.filteredSize);
        }
        band.dictionary = window_;
        band.last = last;
        uint8_t* const rows = band.filtered.Data();
        source_(rows + 1, rowBytes_, firstRow, count);
        const uint8_t* const lastRow = rows + rowBytes_ * static_cast<size_t>(count - 1);
        const Bytes nextAbove(lastRow, lastRow + rowBytes_);
        // From the bottom up, so that each row is taken from the raw row above it.
        for (int row = count - 1; row >= 0; --row) {
            uint8_t* current = rows + rowBytes_ * static_cast<size_t>(row);
            SubtractRowAbove(current + 1, row > 0 ? current + 1 - rowBytes_ : &above_[1],
                             rowBytes_ - 1);
            current[0] = kFilterUp;
        }
        above_ = nextAbove;
        Remember(rows, band.filteredSize);
    }

  private:
    // Each byte less the byte above it, modulo 256, eight bytes at a time: with the top bit of
    // every byte of the row set and of the row above cleared, no borrow crosses from one byte to
    // the next, and the top bits are then put right.
    static void SubtractRowAbove(uint8_t* row, const uint8_t* above, size_t count) {
        constexpr uint64_t kTopBits = 0x8080808080808080ull;
        size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            uint64_t a = 0, b = 0;
            std::memcpy(&a, row + i, 8);
            std::memcpy(&b, above + i, 8);
            const uint64_t difference = ((a | kTopBits) - (b & ~kTopBits)) ^ ((a ^ ~b) & kTopBits);
            std::memcpy(row + i, &difference, 8);
        }
        for (; i < count; ++i) {
            row[i] = static_cast<uint8_t>(row[i] - above[i]);
        }
    }

    void Remember(const uint8_t* data, size_t size) {
        const size_t taken = std::min(size, kWindowBytes);
        window_.insert(window_.end(), data + size - taken, data + size);
        if (window_.size() > kWindowBytes) {
            window_.erase(window_.begin(),
                          window_.end() - static_cast<std::ptrdiff_t>(kWindowBytes));
        }
    }

    const size_t rowBytes_;
    const RgbaRowSource& source_;
    Bytes above_;
    Bytes window_;
};

// One band on its way to the file: deflated on a thread of its own, or, with no thread to
// spare, when its turn to be written comes. Destroying it waits for the thread.
class PendingBand {
  public:
    PendingBand(std::unique_ptr<BandWork> band, int level, bool inParallel, int firstRow, int rows)
        : band_(std::move(band)), level_(level), firstRow_(firstRow), rows_(rows) {
        if (inParallel) {
            try {
                worker_ = std::jthread([this] { Deflate(); });
            } catch (const std::system_error&) {
            }
        }
    }
    PendingBand(const PendingBand&) = delete;
    PendingBand& operator=(const PendingBand&) = delete;

    // The band, deflated or with the reason it could not be.
    std::unique_ptr<BandWork> Take() {
        if (worker_.joinable()) {
            worker_.join();
        } else {
            Deflate();
        }
        return std::move(band_);
    }
    int FirstRow() const { return firstRow_; }
    int Rows() const { return rows_; }

  private:
    // Nothing may leave a thread of its own, so running out of memory becomes a failure here.
    void Deflate() {
        try {
            band_->outcome = DeflateBand(*band_, level_);
        } catch (const std::bad_alloc&) {
            band_->outcome = Failure{"not enough memory to compress the picture"};
        }
    }

    std::unique_ptr<BandWork> band_;
    const int level_;
    const int firstRow_;
    const int rows_;
    std::jthread worker_; // last, so that it is joined before the rest goes
};

// Writes the deflated bands in picture order as IDAT chunks: the zlib header before the first,
// the checksum of all the data after the last.
class IdatWriter {
  public:
    IdatWriter(TStream& out, int level, int height, const PngRowProgress& progress)
        : out_(out), header_(ZlibHeader(level)), height_(height), progress_(progress) {}

    Outcome Write(const BandWork& band, int firstRow, int rows) {
        if (!band.outcome) {
            return band.outcome;
        }
        adler_ = adler32_combine(adler_, band.adler, static_cast<z_off_t>(band.filteredSize));
        const auto checksum = BigEndian(static_cast<uint32_t>(adler_));
        WriteChunk(out_, "IDAT",
                   {firstRow == 0 ? ByteSpan(header_) : ByteSpan(),
                    band.deflated.Span(band.deflatedSize),
                    band.last ? ByteSpan(checksum) : ByteSpan()});
        // Buffered writes may fail unseen until flushed; a full disk ends the work here.
        out_.Flush();
        if (progress_) {
            for (int row = firstRow + 1; row <= firstRow + rows; ++row) {
                progress_(row, height_);
            }
        }
        return {};
    }

  private:
    TStream& out_;
    const std::array<uint8_t, 2> header_;
    const int height_;
    const PngRowProgress& progress_;
    uLong adler_ = adler32_z(0, nullptr, 0);
};

// The bands in flight, in picture order, and the work of those already written for the next.
class BandQueue {
  public:
    BandQueue(int level, size_t threads, IdatWriter& writer)
        : level_(level), threads_(threads), writer_(writer) {}

    // Work for the next band; null when its deflater cannot be made.
    std::unique_ptr<BandWork> Spare() {
        if (!spare_.empty()) {
            std::unique_ptr<BandWork> band = std::move(spare_.back());
            spare_.pop_back();
            return band;
        }
        auto band = std::make_unique<BandWork>(level_);
        return band->deflater.Ready() ? std::move(band) : nullptr;
    }

    // Starts deflating the band; once a band per thread is in flight, writes the oldest.
    Outcome Add(std::unique_ptr<BandWork> band, int firstRow, int rows) {
        pending_.push_back(
            std::make_unique<PendingBand>(std::move(band), level_, threads_ > 1, firstRow, rows));
        return pending_.size() >= threads_ ? WriteOldest() : Outcome{};
    }

    Outcome WriteAll() {
        while (!pending_.empty()) {
            const Outcome written = WriteOldest();
            if (!written) {
                return written;
            }
        }
        return {};
    }

  private:
    Outcome WriteOldest() {
        const std::unique_ptr<PendingBand> oldest = std::move(pending_.front());
        pending_.pop_front();
        std::unique_ptr<BandWork> band = oldest->Take();
        const Outcome written = writer_.Write(*band, oldest->FirstRow(), oldest->Rows());
        spare_.push_back(std::move(band));
        return written;
    }

    const int level_;
    const size_t threads_;
    IdatWriter& writer_;
    std::vector<std::unique_ptr<BandWork>> spare_;
    // Last, so that destroying it waits for every band still being deflated first.
    std::deque<std::unique_ptr<PendingBand>> pending_;
};

Outcome WriteBands(TStream& out, const ParallelPngJob& job, int level, int threads, int bandRows,
                   const RgbaRowSource& source, const PngRowProgress& progress) {
    BandFilter filter(job.width, source);
    IdatWriter writer(out, level, job.height, progress);
    BandQueue queue(level, static_cast<size_t>(threads), writer);
    for (int first = 0; first < job.height; first += bandRows) {
        const int rows = std::min(bandRows, job.height - first);
        std::unique_ptr<BandWork> band = queue.Spare();
        if (!band) {
            return Failure{"not enough memory to compress the picture"};
        }
        filter.Next(*band, first, rows, first + rows == job.height);
        const Outcome written = queue.Add(std::move(band), first, rows);
        if (!written) {
            return written;
        }
    }
    return queue.WriteAll();
}

} // namespace

int ZlibLevelFor(int compression) {
    constexpr std::array<int, 10> kLevels = {0, 1, 1, 2, 2, 3, 3, 4, 5, 9};
    return kLevels[static_cast<size_t>(std::clamp(compression, 0, 9))];
}

int CoreCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMaxThreads);
}

int BandRowsFor(int width, int threads) {
    const int64_t rowBytes = 1 + int64_t{width} * static_cast<int64_t>(kBytesPerPixel);
    const int64_t bandBytes =
        std::clamp(kInFlightBytes / std::max(threads, 1), kMinBandBytes, kMaxBandBytes);
    return static_cast<int>(std::max<int64_t>(1, bandBytes / rowBytes));
}

Outcome WriteParallelPng(TStream& out, const ParallelPngJob& job, const RgbaRowSource& source,
                         const PngRowProgress& progress) {
    if (job.width <= 0 || job.height <= 0 || static_cast<uint32_t>(job.width) > kPngMaxSide ||
        static_cast<uint32_t>(job.height) > kPngMaxSide) {
        return Failure{"a PNG picture of " + std::to_string(job.width) + " x " +
                       std::to_string(job.height) + " pixels cannot be written"};
    }
    const int threads = job.threads > 0 ? std::min(job.threads, kMaxThreads) : CoreCount();
    const int64_t rowBytes = 1 + int64_t{job.width} * static_cast<int64_t>(kBytesPerPixel);
    const int64_t largest = std::max<int64_t>(1, kLargestBandBytes / rowBytes);
    const int bandRows = static_cast<int>(std::min<int64_t>(
        job.bandRows > 0 ? job.bandRows : BandRowsFor(job.width, threads), largest));
    const int level = ZlibLevelFor(job.compression);
    try {
        WriteHead(out, job.width, job.height);
        const Outcome written = WriteBands(out, job, level, threads, bandRows, source, progress);
        if (!written) {
            return written;
        }
        WriteChunk(out, "IEND", {});
        out.Flush();
    } catch (const TStreamException&) {
        return Failure{"the picture could not be written"};
    }
    return {};
}

} // namespace dm
