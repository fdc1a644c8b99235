#include "files/parallel_png_writer.h"

#include "platform/io/memory_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace dm {
namespace {

// A hash of two numbers, to make pixels that look arbitrary but are the same on every run.
uint32_t Mix(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0xC2B2AE3Du;
    return h ^ h >> 13;
}

// A picture built like an export: 2 x 3 blocks, each painted in two colours by a mask of its
// "glyph", so rows repeat inside a row of blocks; every fifth block is noise instead.
std::array<uint8_t, 4> TestPixel(int x, int y) {
    const uint32_t block = Mix(static_cast<uint32_t>(x / 2), static_cast<uint32_t>(y / 3));
    uint32_t color = 0;
    if (block % 5 == 0) {
        color = Mix(static_cast<uint32_t>(x), static_cast<uint32_t>(y) + 1000);
    } else {
        const bool foreground = Mix(block % 16, static_cast<uint32_t>(y % 3 * 2 + x % 2)) & 1;
        color = foreground ? Mix(block, 1) : Mix(block, 2) | 0xFF000000u;
    }
    return {static_cast<uint8_t>(color >> 24), static_cast<uint8_t>(color >> 16),
            static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color)};
}

// Hands out TestPixel rows and notes which rows were asked for, in which bands.
struct RecordingSource {
    std::vector<std::pair<int, int>> bands; // first row, rows

    RgbaRowSource Source() {
        return [this](uint8_t* pixels, size_t stride, int firstRow, int count) {
            bands.emplace_back(firstRow, count);
            for (int row = 0; row < count; ++row) {
                const int y = firstRow + row;
                for (int x = 0; x < width; ++x) {
                    const auto pixel = TestPixel(x, y);
                    std::memcpy(pixels + row * stride + 4 * static_cast<size_t>(x), pixel.data(),
                                4);
                }
            }
        };
    }
    int width = 0;
};

uint32_t BigEndianAt(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
           uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// The chunks after the signature; a failure is added for a bad checksum or a cut chunk.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& file) {
    std::vector<Chunk> chunks;
    const std::vector<uint8_t> signature = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return chunks;
    }
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = BigEndianAt(file, at);
        if (at + 12 + length > file.size()) {
            break;
        }
        Chunk chunk{std::string(file.begin() + at + 4, file.begin() + at + 8),
                    std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)};
        const uLong crc = crc32(0, file.data() + at + 4, 4 + length);
        EXPECT_EQ(crc, BigEndianAt(file, at + 8 + length)) << chunk.type << " at " << at;
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last whole chunk";
    return chunks;
}

// The whole zlib stream inflated; a failure unless it ends exactly, its Adler-32 checked.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& compressed, size_t expectedSize) {
    std::vector<uint8_t> out(expectedSize + 1);
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "data after the end of the zlib stream";
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// Each row as the file must carry it: the "Up" filter type, then each byte less the one above.
std::vector<uint8_t> UpFilteredRows(int width, int height) {
    const size_t rowBytes = 4 * static_cast<size_t>(width);
    std::vector<uint8_t> rows;
    std::vector<uint8_t> above(rowBytes, 0);
    for (int y = 0; y < height; ++y) {
        rows.push_back(2);
        for (int x = 0; x < width; ++x) {
            const auto pixel = TestPixel(x, y);
            for (int c = 0; c < 4; ++c) {
                const size_t i = 4 * static_cast<size_t>(x) + c;
                rows.push_back(static_cast<uint8_t>(pixel[c] - above[i]));
                above[i] = pixel[c];
            }
        }
    }
    return rows;
}

TEST(ParallelPngWriter, EveryLevelWritesAnOrdinaryPngOfExactlyThePixels) {
    const struct {
        int width, height, bandRows, threads;
    } cases[] = {
        {37, 29, 5, 3},  // bands of 5 rows end inside the 3-row blocks; more bands than threads
        {37, 29, 7, 1},  // one thread deflates every band in turn
        {300, 61, 2, 4}, // bands far smaller than the 32 KiB window before them
        {9, 4, 0, 0},    // narrower and shorter than one band, bands and threads by default
        {1, 1, 1, 2},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> filtered = UpFilteredRows(c.width, c.height);
        for (int compression = 0; compression <= 9; ++compression) {
            SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) +
                         ", bands of " + std::to_string(c.bandRows) + ", level " +
                         std::to_string(compression));
            RecordingSource source;
            source.width = c.width;
            TMemoryStream out;
            const ParallelPngJob job{c.width, c.height, compression, c.bandRows, c.threads};
            ASSERT_TRUE(WriteParallelPng(out, job, source.Source()));

            // The rows are asked for once each, in order, a band at a time.
            const int bandRows = c.bandRows > 0 ? c.bandRows : c.height;
            int next = 0;
            for (const auto& [first, rows] : source.bands) {
                EXPECT_EQ(first, next);
                EXPECT_EQ(rows, std::min(bandRows, c.height - first));
                next = first + rows;
            }
            EXPECT_EQ(next, c.height);

            // The project's loader (libpng) gives back exactly the pixels.
            TMemoryStream in(out.Bytes());
            const std::shared_ptr<TPixmap> picture = LoadPixmap(in);
            ASSERT_NE(picture, nullptr);
            ASSERT_EQ(picture->format, kPixelFormatRGBA8888);
            ASSERT_EQ(picture->width, c.width);
            ASSERT_EQ(picture->height, c.height);
            int wrong = 0;
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x) {
                    wrong += std::memcmp(picture->PixelPtr(x, y), TestPixel(x, y).data(), 4) != 0;
                }
            }
            EXPECT_EQ(wrong, 0);

            // Header, image data and end, every checksum right, and the data one whole zlib
            // stream (whose own checksum the loader, stopping after the last row, never reads).
            const std::vector<Chunk> chunks = Chunks(out.Bytes());
            ASSERT_GE(chunks.size(), 3u);
            EXPECT_EQ(chunks.front().type, "IHDR");
            const std::vector<uint8_t> header = {0,
                                                 0,
                                                 static_cast<uint8_t>(c.width >> 8),
                                                 static_cast<uint8_t>(c.width),
                                                 0,
                                                 0,
                                                 0,
                                                 static_cast<uint8_t>(c.height),
                                                 8,
                                                 6,
                                                 0,
                                                 0,
                                                 0}; // 8 bits, RGBA, not interlaced
            EXPECT_EQ(chunks.front().data, header);
            EXPECT_EQ(chunks.back().type, "IEND");
            EXPECT_TRUE(chunks.back().data.empty());
            std::vector<uint8_t> data;
            for (size_t i = 1; i + 1 < chunks.size(); ++i) {
                EXPECT_EQ(chunks[i].type, "IDAT");
                data.insert(data.end(), chunks[i].data.begin(), chunks[i].data.end());
            }
            EXPECT_EQ(Inflate(data, filtered.size()), filtered);
            // Level 0 stores the rows; every other level makes this picture smaller.
            if (compression == 0) {
                EXPECT_GT(data.size(), filtered.size());
            } else if (c.width * c.height > 100) {
                EXPECT_LT(data.size(), filtered.size());
            }
        }
    }
}

// A stream that takes a given number of bytes and fails every write after them.
class FillingStream : public TMemoryStream {
  public:
    explicit FillingStream(int64_t room) : room_(room) {}
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t taken = std::min(count, room_ - Size());
        return taken > 0 ? TMemoryStream::Write(buffer, taken) : 0;
    }

  private:
    int64_t room_;
};

TEST(ParallelPngWriter, FailsBeforeAnyWorkOrAtTheFirstFailedWrite) {
    // Sizes no PNG is written at are refused before a row is asked for or a byte written.
    const struct {
        int width, height;
        std::string why;
    } refused[] = {
        {0, 5, "a PNG picture of 0 x 5 pixels cannot be written"},
        {5, -1, "a PNG picture of 5 x -1 pixels cannot be written"},
        {1000001, 1, "a PNG picture of 1000001 x 1 pixels cannot be written"},
        {1, 1000001, "a PNG picture of 1 x 1000001 pixels cannot be written"},
    };
    for (const auto& r : refused) {
        RecordingSource source;
        source.width = r.width;
        TMemoryStream out;
        const Outcome written =
            WriteParallelPng(out, {r.width, r.height, 8, 0, 0}, source.Source());
        ASSERT_FALSE(written);
        EXPECT_EQ(written.Why(), r.why);
        EXPECT_TRUE(source.bands.empty());
        EXPECT_EQ(out.Size(), 0);
    }

    // Stored bands take at least their rows' bytes. Each one is flushed before the next is
    // waited for, so a failed write ends the work with at most a band per thread rendered
    // beyond the bands in the stream, and only the rows in the stream are told.
    static constexpr int kWidth = 64, kHeight = 400, kBandRows = 4, kThreads = 2;
    constexpr int kHeadBytes = 33, kBandBytes = kBandRows * (4 * kWidth + 1);
    for (const int room : {0, 20, 4000, 20000}) {
        RecordingSource source;
        source.width = kWidth;
        FillingStream out(room);
        std::vector<int> told;
        const Outcome written = WriteParallelPng(out, {kWidth, kHeight, 0, kBandRows, kThreads},
                                                 source.Source(), [&told](int rows, int total) {
                                                     EXPECT_EQ(total, kHeight);
                                                     told.push_back(rows);
                                                 });
        ASSERT_FALSE(written) << room;
        EXPECT_EQ(written.Why(), "the picture could not be written");
        const int bandsWritten = static_cast<int>(told.size()) / kBandRows;
        EXPECT_EQ(told.size() % kBandRows, 0u) << room;
        for (size_t i = 0; i < told.size(); ++i) {
            EXPECT_EQ(told[i], static_cast<int>(i) + 1);
        }
        EXPECT_LE(bandsWritten, std::max(0, room - kHeadBytes) / kBandBytes) << room;
        EXPECT_LE(static_cast<int>(source.bands.size()), bandsWritten + kThreads) << room;
        if (room < kHeadBytes) {
            EXPECT_TRUE(source.bands.empty()) << room;
        } else {
            EXPECT_GE(bandsWritten, room / kBandBytes - 1) << room;
        }
    }
}

TEST(ParallelPngWriter, BandsInFlightStayWithinAFewMegabytes) {
    for (const int width : {1, 2048, 8192, 1000000}) {
        for (const int threads : {1, 2, 64}) {
            const int rows = BandRowsFor(width, threads);
            const int64_t rowBytes = 1 + 4 * int64_t{width};
            EXPECT_GE(rows, 1);
            EXPECT_LE(rows * rowBytes, std::max<int64_t>(rowBytes, 2 << 20)) << width;
            EXPECT_LE(rows * rowBytes * threads, std::max<int64_t>(threads * rowBytes, 16 << 20))
                << width << " " << threads;
        }
    }
}

} // namespace
} // namespace dm
