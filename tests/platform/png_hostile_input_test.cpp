#include "platform/memory_stream.h"
#include "platform/png_codec.h"
#include "png_test_files.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr long kEndChunkBytes = 12;

// A 3 x 2 RGB picture whose every byte differs.
test::PngPicture SmallRgb() {
    test::PngPicture picture = test::Picture(3, 2, PNG_COLOR_TYPE_RGB);
    for (int i = 0; i < 18; ++i)
        picture.rows.push_back(static_cast<uint8_t>(10 + i * 13));
    return picture;
}

const std::vector<uint32_t> kSmallRgbPixels = {0xFF0A1724, 0xFF313E4B, 0xFF586572,
                                               0xFF7F8C99, 0xFFA6B3C0, 0xFFCDDAE7};

// The length and type that open a chunk, without its data.
std::vector<uint8_t> ChunkStart(uint32_t length, const std::string& type) {
    std::vector<uint8_t> out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(length >> shift));
    for (const char c : type)
        out.push_back(static_cast<uint8_t>(c));
    return out;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> bytes, const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// The file with extra bytes placed just before its closing chunk.
std::vector<uint8_t> BeforeEnd(const std::vector<uint8_t>& png, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> out(png.begin(), png.end() - kEndChunkBytes);
    out.insert(out.end(), extra.begin(), extra.end());
    out.insert(out.end(), png.end() - kEndChunkBytes, png.end());
    return out;
}

std::vector<uint32_t> LoadedPixels(TStream& stream) {
    const auto picture = LoadPixmap(stream);
    return picture ? test::Pixels(*picture) : std::vector<uint32_t>{};
}

TEST(PngHostileInput, EveryReaderStopsAfterTheLastRow) {
    const ScratchDir folder;
    const std::string path = folder.File("zeros.png");
    // The 8 GiB of zeros make a file of about 8.5 MB that takes the old decoder most of a minute.
    for (const uint64_t zeros : {uint64_t{0}, uint64_t{1 << 20} + 5, 8 * kGiB}) {
        SCOPED_TRACE(zeros);
        const std::vector<uint8_t> png = test::PngWithDataPastLastRow(SmallRgb(), zeros);
        TMemoryStream stream(png);
        EXPECT_EQ(LoadedPixels(stream), kSmallRgbPixels);

        folder.Write("zeros.png", std::string(png.begin(), png.end()));
        const auto fromFile = LoadPixmap(path);
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

TEST(PngHostileInput, WhatFollowsTheLastRowIsStillChecked) {
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
        {"junk after the end", Joined(png, {'j', 'u', 'n', 'k'}), true},
        {"comment before the end", BeforeEnd(png, comment), true},
        // The loader passes over damaged ancillary chunks, as it always has.
        {"damaged comment", BeforeEnd(png, badComment), true},
        {"no end chunk", {png.begin(), png.end() - kEndChunkBytes}, false},
        {"end chunk cut short", {png.begin(), png.end() - 1}, false},
        {"damaged data past the rows", lastDataFlipped, false},
        {"damaged checksum past the rows", lastChecksumFlipped, false},
        {"second header", BeforeEnd(png, test::PngChunk("IHDR", {0, 0, 0, 1})), false},
        {"unknown critical chunk", BeforeEnd(png, test::PngChunk("QUIT", {})), false},
        {"overlong chunk", BeforeEnd(png, ChunkStart(0x80000000u, "tEXt")), false},
    };
    for (const Case& c : cases) {
        TMemoryStream stream(c.bytes);
        EXPECT_EQ(LoadedPixels(stream), c.loads ? kSmallRgbPixels : std::vector<uint32_t>{})
            << c.what;
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
            TMemoryStream stream(test::EncodePng(picture));
            EXPECT_EQ(LoadedPixels(stream), expected) << width << " x " << height;
        }
    }
}

} // namespace
} // namespace dm
