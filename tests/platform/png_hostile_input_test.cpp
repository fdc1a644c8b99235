#include "platform/memory_stream.h"
#include "platform/png_codec.h"
#include "png_test_files.h"
#include "scratch_dir.h"
#include "support/peak_memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr long kEndChunkBytes = 12;
constexpr long kHeaderEnd = 8 + 12 + 13;

// A 3 x 2 RGB picture whose every byte differs.
test::PngPicture SmallRgb() {
    test::PngPicture picture = test::Picture(3, 2, PNG_COLOR_TYPE_RGB);
    for (int i = 0; i < 18; ++i)
        picture.rows.push_back(static_cast<uint8_t>(10 + i * 13));
    return picture;
}

const std::vector<uint32_t> kSmallRgbPixels = {0xFF0A1724, 0xFF313E4B, 0xFF586572,
                                               0xFF7F8C99, 0xFFA6B3C0, 0xFFCDDAE7};

// The file with extra bytes put in `at` bytes from its start, or from its end when negative.
std::vector<uint8_t> Inserted(std::vector<uint8_t> png, long at,
                              const std::vector<uint8_t>& extra) {
    png.insert(at < 0 ? png.end() + at : png.begin() + at, extra.begin(), extra.end());
    return png;
}

// The length and type that open a chunk, and a few bytes of the data it claims.
std::vector<uint8_t> ChunkStart(uint32_t length, const std::string& type) {
    std::vector<uint8_t> out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(length >> shift));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), {'k', 'e', 'y', 0, 0, 0, 0, 0});
    return out;
}

std::vector<uint32_t> LoadedPixels(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    const auto picture = LoadPixmap(stream);
    return picture ? test::Pixels(*picture) : std::vector<uint32_t>{};
}

TEST(PngHostileInput, EveryReaderStopsAfterTheLastRow) {
    const ScratchDir folder;
    // The 8 GiB of zeros make a file of about 8.5 MB that takes the old decoder most of a minute.
    for (const uint64_t zeros : {uint64_t{0}, uint64_t{1 << 20} + 5, 8 * kGiB}) {
        SCOPED_TRACE(zeros);
        const std::vector<uint8_t> png = test::PngWithDataPastLastRow(SmallRgb(), zeros);
        EXPECT_EQ(LoadedPixels(png), kSmallRgbPixels);

        const auto fromFile =
            LoadPixmap(folder.Write("zeros.png", std::string(png.begin(), png.end())));
        ASSERT_TRUE(fromFile);
        EXPECT_EQ(test::Pixels(*fromFile), kSmallRgbPixels);

        TMemoryStream banded(png);
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(ReadPngBands(banded, 1, nullptr, [&pixels](const TPixmap& band, int) {
            const std::vector<uint32_t> row = test::Pixels(band);
            pixels.insert(pixels.end(), row.begin(), row.end());
        }));
        EXPECT_EQ(pixels, kSmallRgbPixels);
    }
}

TEST(PngHostileInput, SkippedChunksChangeNoPixelAndWhatFollowsTheLastRowIsStillChecked) {
    // 2 GiB of zeros after the rows fill three IDAT chunks; the rows end in the first.
    const std::vector<uint8_t> png = test::PngWithDataPastLastRow(SmallRgb(), 2 * kGiB);
    const std::vector<uint8_t> comment = test::PngChunk("tEXt", {'k', 0, 'v'});
    std::vector<uint8_t> badComment = comment;
    badComment.back() ^= 1;
    std::vector<uint8_t> lastDataFlipped = png;
    lastDataFlipped[png.size() - kEndChunkBytes - 100] ^= 0x20;
    std::vector<uint8_t> lastChecksumFlipped = png;
    lastChecksumFlipped[png.size() - kEndChunkBytes - 1] ^= 1;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool loads;
    };
    const Case cases[] = {
        {"whole", png, true},
        {"junk after the end", Inserted(png, static_cast<long>(png.size()), {'j', 'k'}), true},
        {"comment before the end", Inserted(png, -kEndChunkBytes, comment), true},
        // The loader passes over damaged ancillary chunks, as it always has.
        {"damaged comment", Inserted(png, -kEndChunkBytes, badComment), true},
        {"gamma", Inserted(png, kHeaderEnd, test::PngChunk("gAMA", {0, 0, 0x27, 0x10})), true},
        {"significant bits", Inserted(png, kHeaderEnd, test::PngChunk("sBIT", {4, 4, 4})), true},
        {"background", Inserted(png, kHeaderEnd, test::PngChunk("bKGD", {0, 9, 0, 9, 0, 9})), true},
        {"private", Inserted(png, kHeaderEnd, test::PngChunk("prIv", std::vector<uint8_t>(40, 7))),
         true},
        {"no end chunk", {png.begin(), png.end() - kEndChunkBytes}, false},
        {"end chunk cut short", {png.begin(), png.end() - 1}, false},
        {"damaged data past the rows", lastDataFlipped, false},
        {"damaged checksum past the rows", lastChecksumFlipped, false},
        {"second header", Inserted(png, -kEndChunkBytes, test::PngChunk("IHDR", {0, 0, 0, 1})),
         false},
        {"unknown critical chunk", Inserted(png, -kEndChunkBytes, test::PngChunk("QUIT", {})),
         false},
        {"overlong chunk", Inserted(png, -kEndChunkBytes, ChunkStart(0x80000000u, "tEXt")), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadedPixels(c.bytes), c.loads ? kSmallRgbPixels : std::vector<uint32_t>{})
            << c.what;
    }
}

TEST(PngHostileInput, ALengthClaimedByAnAncillaryChunkIsNeverAllocated) {
    if (!test::PeakMemory::Reset())
        GTEST_SKIP() << "the peak resident memory cannot be read or reset here";
    const std::vector<uint8_t> png = test::EncodePng(SmallRgb());
    for (const char* type :
         {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL", "gAMA", "prIv"}) {
        ASSERT_TRUE(test::PeakMemory::Reset());
        const int64_t before = test::PeakMemory::Peak();
        EXPECT_TRUE(LoadedPixels(Inserted(png, kHeaderEnd, ChunkStart(0x7FFFFFF0u, type))).empty())
            << type;
        EXPECT_LT(test::PeakMemory::Peak() - before, 64 << 20) << type;
    }
}

TEST(PngHostileInput, InterlacedPicturesOfEverySmallSizeLoadWhole) {
    // Passes without columns or rows are where the decoder's count of rows could go wrong.
    for (uint32_t width = 1; width <= 10; ++width) {
        for (uint32_t height = 1; height <= 10; ++height) {
            test::PngPicture picture = test::Picture(width, height, PNG_COLOR_TYPE_GRAY);
            picture.interlaced = true;
            std::vector<uint32_t> expected;
            for (uint32_t i = 0; i < width * height; ++i) {
                picture.rows.push_back(static_cast<uint8_t>(i * 29 + 3));
                expected.push_back(0xFF000000u | picture.rows.back() * 0x010101u);
            }
            EXPECT_EQ(LoadedPixels(test::EncodePng(picture)), expected) << width << " x " << height;
        }
    }
}

} // namespace
} // namespace dm
