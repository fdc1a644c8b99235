#include "platform/pictures/png_test_files.h"
#include "seeds.h"

#include "platform/io/memory_stream.h"
#include "platform/pictures/png_codec.h"

namespace dm::seeds {

namespace {

int Channels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// A pattern that differs between neighbours, channels and rows, so that every filter type and
// every sample bit is used; samples stay below limit.
uint32_t Sample(uint32_t x, uint32_t y, int channel, uint32_t limit) {
    return (x * 37 + y * 101 + static_cast<uint32_t>(channel) * 59 + x * y * 11) % limit;
}

// Rows packed as the file holds them: sub-byte samples first pixel in the high bits, 16-bit
// samples big-endian.
std::vector<uint8_t> PackedRows(const test::PngPicture& picture, uint32_t limit) {
    const int channels = Channels(picture.colorType);
    const uint32_t bitsPerRow = picture.width * static_cast<uint32_t>(channels * picture.bitDepth);
    const uint32_t rowBytes = (bitsPerRow + 7) / 8;
    std::vector<uint8_t> rows(static_cast<size_t>(rowBytes) * picture.height);
    for (uint32_t y = 0; y < picture.height; ++y) {
        uint8_t* row = rows.data() + static_cast<size_t>(y) * rowBytes;
        uint32_t bit = 0;
        for (uint32_t x = 0; x < picture.width; ++x) {
            for (int c = 0; c < channels; ++c, bit += static_cast<uint32_t>(picture.bitDepth)) {
                const uint32_t value = Sample(x, y, c, limit);
                if (picture.bitDepth == 16) {
                    row[bit / 8] = static_cast<uint8_t>(value >> 8);
                    row[bit / 8 + 1] = static_cast<uint8_t>(value);
                } else {
                    const uint32_t shift = 8 - picture.bitDepth - bit % 8;
                    row[bit / 8] |= static_cast<uint8_t>(value << shift);
                }
            }
        }
    }
    return rows;
}

struct Kind {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlaced;
    bool transparency; // a tRNS chunk: palette alphas, or one transparent grey or RGB colour
};

// Every colour type at every depth it allows, with and without transparency and interlacing.
constexpr Kind kKinds[] = {
    {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"grey4", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"grey8_trns", PNG_COLOR_TYPE_GRAY, 8, false, true},
    {"grey2_trns_interlaced", PNG_COLOR_TYPE_GRAY, 2, true, true},
    {"grey16_interlaced", PNG_COLOR_TYPE_GRAY, 16, true, false},
    {"grey_alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"grey_alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"grey_alpha8_interlaced", PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false},
    {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
    {"palette2", PNG_COLOR_TYPE_PALETTE, 2, false, false},
    {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
    {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"palette4_trns", PNG_COLOR_TYPE_PALETTE, 4, false, true},
    {"palette8_trns_interlaced", PNG_COLOR_TYPE_PALETTE, 8, true, true},
    {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"rgb8_trns", PNG_COLOR_TYPE_RGB, 8, false, true},
    {"rgb16_trns_interlaced", PNG_COLOR_TYPE_RGB, 16, true, true},
    {"rgb8_interlaced", PNG_COLOR_TYPE_RGB, 8, true, false},
    {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
    {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
    {"rgba8_interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false},
};

// Enough columns and rows for every interlace pass to hold pixels.
constexpr uint32_t kInterlacedSide = 9;
constexpr uint32_t kWidth = 5;
constexpr uint32_t kHeight = 3;
// An 8-bit palette of fewer colours than its indices allow, as most such pictures have.
constexpr uint32_t kPaletteEightBitColors = 40;

std::vector<uint8_t> LibpngPicture(const Kind& kind) {
    const uint32_t side = kind.interlaced ? kInterlacedSide : 0;
    test::PngPicture picture =
        test::Picture(side ? side : kWidth, side ? side : kHeight, kind.colorType, kind.bitDepth);
    picture.interlaced = kind.interlaced;
    uint32_t limit = 1u << kind.bitDepth;
    if (kind.colorType == PNG_COLOR_TYPE_PALETTE) {
        limit = kind.bitDepth == 8 ? kPaletteEightBitColors : limit;
        for (uint32_t i = 0; i < limit; ++i)
            picture.palette.push_back({static_cast<png_byte>(i * 53), static_cast<png_byte>(i * 7),
                                       static_cast<png_byte>(255 - i * 3)});
        if (kind.transparency)
            for (uint32_t i = 0; i < limit; i += 2)
                picture.paletteAlpha.push_back(static_cast<uint8_t>(i * 17));
    } else if (kind.transparency) {
        picture.hasTransparentColor = true;
        const auto value = static_cast<png_uint_16>(Sample(1, 1, 0, limit));
        picture.transparentColor = {0, value, value, value, value};
    }
    picture.rows = PackedRows(picture, limit);
    return test::EncodePng(picture);
}

struct WriterKind {
    const char* name;
    int format;
    int compression;
};

// What the program's own encoder writes; level 0 stores the pixels uncompressed, so that a
// mutated byte changes a pixel rather than breaking the compressed stream.
constexpr WriterKind kWriterKinds[] = {
    {"writer_grey", kPixelFormatI8, 9},
    {"writer_rgb", kPixelFormatRGB888, 9},
    {"writer_rgb_stored", kPixelFormatRGB888, 0},
    {"writer_rgba", kPixelFormatRGBA8888, 9},
    {"writer_rgba_stored", kPixelFormatRGBA8888, 0},
    {"writer_alpha", kPixelFormatA8, 6},
};

std::vector<uint8_t> WriterPicture(const WriterKind& kind) {
    const auto pixmap = TPixmap::Create(kWidth, kHeight, kind.format, 4);
    for (int y = 0; y < pixmap->height; ++y)
        for (int x = 0; x < pixmap->width; ++x) {
            const auto ux = static_cast<uint32_t>(x);
            const auto uy = static_cast<uint32_t>(y);
            pixmap->WritePixel(x, y,
                               Sample(ux, uy, 3, 256) << 24 | Sample(ux, uy, 0, 256) << 16 |
                                   Sample(ux, uy, 1, 256) << 8 | Sample(ux, uy, 2, 256));
        }
    TMemoryStream out;
    WritePixmapPNG(*pixmap, out, kind.compression);
    return out.TakeBytes();
}

} // namespace

std::vector<Seed> PictureSeeds() {
    std::vector<Seed> seeds;
    for (const Kind& kind : kKinds)
        seeds.push_back({std::string(kind.name) + ".png", LibpngPicture(kind)});
    for (const WriterKind& kind : kWriterKinds)
        seeds.push_back({std::string(kind.name) + ".png", WriterPicture(kind)});
    return seeds;
}

} // namespace dm::seeds
