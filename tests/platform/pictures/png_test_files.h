#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dm::test {

// A picture described the way a PNG file stores it, for writing test files without the codec
// under test.
struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    // Packed rows exactly as the file holds them: sub-byte samples share bytes (first pixel in the
    // high bits) and 16-bit samples are big-endian.
    std::vector<uint8_t> rows;
    std::vector<png_color> palette;
    // Palette alpha values, or one transparent colour for grey and RGB pictures.
    std::vector<uint8_t> paletteAlpha;
    bool hasTransparentColor = false;
    png_color_16 transparentColor{};
};

inline PngPicture Picture(uint32_t width, uint32_t height, int colorType, int bitDepth = 8) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = colorType;
    picture.bitDepth = bitDepth;
    return picture;
}

// The bytes of a PNG file holding the picture; empty when libpng refuses it.
std::vector<uint8_t> EncodePng(const PngPicture& picture);

// The bytes of one chunk: length, type, data and CRC.
std::vector<uint8_t> PngChunk(const std::string& type, const std::vector<uint8_t>& data);

// A PNG of an 8-bit, non-interlaced picture without palette whose compressed image data go on
// after the last row with extraZeros (whole mebibytes) more zero bytes in the same stream, in IDAT
// chunks of at most 1 MiB. A decoder needs only the rows; the rest is what a hostile file adds.
std::vector<uint8_t> PngWithDataPastLastRow(const PngPicture& picture, uint64_t extraZeros);

// A signature and an IHDR chunk claiming the given size for an 8-bit RGB picture, then one small
// IDAT and IEND. The data do not fill the claimed size.
std::vector<uint8_t> PngWithHeaderOnly(uint32_t width, uint32_t height);

} // namespace dm::test
