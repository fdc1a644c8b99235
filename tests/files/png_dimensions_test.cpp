#include "files/png_body.h"
#include "files/png_dimensions.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(PngDimensions, ReadsTheHeaderChunk) {
    const std::shared_ptr<tilemap> map = tilemap::Create(300, 7);
    const std::optional<PictureSize> size =
        ReadPngDimensions(EncodeUnscrambledPNGBytes(*map).value());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 300);
    EXPECT_EQ(size->height, 7);

    std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*map).value();
    png[16] = 0xFF, png[17] = 0xFF, png[18] = 0xFF, png[19] = 0xFF;
    EXPECT_EQ(ReadPngDimensions(png)->width, 4294967295);
}

TEST(PngDimensions, NeedsSignatureAndHeaderChunk) {
    std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*tilemap::Create(2, 2)).value();
    EXPECT_FALSE(ReadPngDimensions({png.begin(), png.begin() + 23}));
    EXPECT_TRUE(ReadPngDimensions({png.begin(), png.begin() + 24}));
    std::vector<uint8_t> wrongSignature = png;
    wrongSignature[1] = 'Q';
    EXPECT_FALSE(ReadPngDimensions(wrongSignature));
    std::vector<uint8_t> wrongChunk = png;
    wrongChunk[12] = 'J';
    EXPECT_FALSE(ReadPngDimensions(wrongChunk));
    EXPECT_FALSE(ReadPngDimensions({}));
}

} // namespace
} // namespace dm
