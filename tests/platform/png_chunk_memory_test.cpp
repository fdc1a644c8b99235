#include "platform/memory_stream.h"
#include "platform/png_codec.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace dm {
namespace {

// The peak resident memory of this process in KiB, or -1 where /proc does not tell.
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    return -1;
}

// Lowers the peak to what is resident now; false where the system cannot.
bool ResetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

std::vector<uint8_t> SmallPicture() {
    auto picture = test::Picture(3, 2, PNG_COLOR_TYPE_RGB);
    for (int i = 0; i < 18; ++i)
        picture.rows.push_back(static_cast<uint8_t>(i * 14));
    return test::EncodePng(picture);
}

// The picture with bytes put in right after its header chunk.
std::vector<uint8_t> AfterHeader(std::vector<uint8_t> png, const std::vector<uint8_t>& bytes) {
    constexpr size_t kHeaderEnd = 8 + 12 + 13;
    png.insert(png.begin() + kHeaderEnd, bytes.begin(), bytes.end());
    return png;
}

// A chunk that claims almost 2 GiB of data and holds a few bytes of it.
std::vector<uint8_t> HugeChunkStart(const std::string& type) {
    std::vector<uint8_t> bytes = {0x7F, 0xFF, 0xFF, 0xF0};
    bytes.insert(bytes.end(), type.begin(), type.end());
    bytes.insert(bytes.end(), {'k', 'e', 'y', 0, 0, 0, 0, 0});
    return bytes;
}

std::shared_ptr<TPixmap> LoadBytes(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    return LoadPixmap(stream);
}

TEST(PngChunkMemory, ALengthClaimedByAnAncillaryChunkIsNeverAllocated) {
    if (PeakResidentKiB() < 0 || !ResetPeakResident())
        GTEST_SKIP() << "the peak resident memory cannot be read or reset here";
    constexpr long kMostGrowthKiB = 64 * 1024;
    for (const char* type :
         {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL", "gAMA", "prIv"}) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(ResetPeakResident());
        const long before = PeakResidentKiB();
        EXPECT_EQ(LoadBytes(AfterHeader(SmallPicture(), HugeChunkStart(type))), nullptr);
        EXPECT_LT(PeakResidentKiB() - before, kMostGrowthKiB);
    }
}

TEST(PngChunkMemory, SkippedChunksLeaveThePixelsAsTheyAre) {
    const std::vector<uint8_t> plain = SmallPicture();
    const auto expected = LoadBytes(plain);
    ASSERT_NE(expected, nullptr);
    const std::vector<std::vector<uint8_t>> chunks = {
        test::PngChunk("tEXt", {'T', 'i', 't', 'l', 'e', 0, 'D', 'u', 's', 'k'}),
        test::PngChunk("gAMA", {0, 0, 0x27, 0x10}),
        test::PngChunk("sBIT", {4, 4, 4}),
        test::PngChunk("bKGD", {0, 9, 0, 9, 0, 9}),
        test::PngChunk("prIv", std::vector<uint8_t>(40, 7)),
    };
    for (const auto& chunk : chunks) {
        SCOPED_TRACE(std::string(chunk.begin() + 4, chunk.begin() + 8));
        const auto loaded = LoadBytes(AfterHeader(plain, chunk));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->format, PF_RGB888);
        EXPECT_EQ(test::Pixels(*loaded), test::Pixels(*expected));
    }
}

} // namespace
} // namespace dm
