#include "files/cell_picture_layout.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace dm {

namespace {

// Pixel (x, y) carries cell x * h + y, so the cells run down the picture's columns while the
// pixels run along its rows. Writing the picture goes by tiles 8 columns wide and 64 rows high,
// whose 24 column pieces (one cache line per plane and column) and 64 row pieces stay in the
// first-level cache together even when a power-of-two height maps every column to the same few
// cache sets.
constexpr int kTileWidth = 8;
constexpr int kTileHeight = 64;

template <typename CopyCell>
void ForEachPixelByTiles(int w, int h, CopyCell copy) {
    for (int x0 = 0; x0 < w; x0 += kTileWidth) {
        const int x1 = std::min(w, x0 + kTileWidth);
        for (int y0 = 0; y0 < h; y0 += kTileHeight) {
            const int y1 = std::min(h, y0 + kTileHeight);
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    copy(x, y,
                         static_cast<size_t>(x) * static_cast<size_t>(h) + static_cast<size_t>(y));
                }
            }
        }
    }
}

} // namespace

void CellsToPixels(const tilemap& map, TPixmap& picture) {
    const size_t plane = map.tmap.size() / 3;
    const uint8_t* glyphs = map.tmap.data();
    const uint8_t* foregrounds = glyphs + plane;
    const uint8_t* backgrounds = foregrounds + plane;
    ForEachPixelByTiles(picture.width, picture.height, [&](int x, int y, size_t n) {
        uint8_t* pixel = picture.PixelPtr(x, y);
        pixel[0] = glyphs[n];
        pixel[1] = foregrounds[n];
        pixel[2] = backgrounds[n];
    });
}

namespace {

// Byte j of an RGB888 picture row is channel j % 3 of pixel j / 3, so reading the picture means
// transposing its rows of bytes: 16 x 16 blocks of them are transposed in vector registers.
using Bytes16 [[gnu::vector_size(16)]] = uint8_t;
constexpr int kBlock = 16;

Bytes16 InterleaveLow(Bytes16 a, Bytes16 b) {
    return __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
}

Bytes16 InterleaveHigh(Bytes16 a, Bytes16 b) {
    return __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15,
                                   31);
}

// Interleaves row i with row i + 8; four rounds move byte c of row r to byte r of row c. The loops
// are unrolled so that the rows stay in vector registers.
std::array<Bytes16, kBlock> InterleaveRound(const std::array<Bytes16, kBlock>& rows) {
    std::array<Bytes16, kBlock> next;
#pragma GCC unroll 8
    for (int i = 0; i < kBlock / 2; ++i) {
        next[2 * i] = InterleaveLow(rows[i], rows[i + kBlock / 2]);
        next[2 * i + 1] = InterleaveHigh(rows[i], rows[i + kBlock / 2]);
    }
    return next;
}

std::array<Bytes16, kBlock> Transpose(const std::array<Bytes16, kBlock>& rows) {
    return InterleaveRound(InterleaveRound(InterleaveRound(InterleaveRound(rows))));
}

} // namespace

// The inverse of CellsToPixels for the RGB888 rows firstRow to firstRow + rows.height - 1 of the
// map's picture. The rows go in groups of 16 pixels, whose 48 bytes per row are three byte blocks
// wide: after transposing, byte column k of a group is channel k % 3 of its pixel k / 3 down 16
// rows, one piece of a plane's column. Each block column of a group is copied down the whole band
// before the next, so that the 16 plane columns it writes stay in the first-level cache until
// their cache lines are full.
void PixelsToCells(const TPixmap& rows, int firstRow, tilemap& map) {
    const size_t plane = map.tmap.size() / 3;
    const auto h = static_cast<size_t>(map.tmaph);
    std::array<size_t, 3 * kBlock> byteOffsets;
    for (size_t k = 0; k < byteOffsets.size(); ++k) {
        byteOffsets[k] = k % 3 * plane + k / 3 * h;
    }
    const int fullWidth = rows.width - rows.width % kBlock;
    const int fullHeight = rows.height - rows.height % kBlock;
    for (int x0 = 0; x0 < fullWidth; x0 += kBlock) {
        uint8_t* group = map.tmap.data() + static_cast<size_t>(x0) * h + firstRow;
        for (int k0 = 0; k0 < 3 * kBlock; k0 += kBlock) {
            for (int y0 = 0; y0 < fullHeight; y0 += kBlock) {
                std::array<Bytes16, kBlock> block;
#pragma GCC unroll 16
                for (int i = 0; i < kBlock; ++i) {
                    std::memcpy(&block[i], rows.PixelPtr(x0, y0 + i) + k0, kBlock);
                }
                block = Transpose(block);
#pragma GCC unroll 16
                for (int i = 0; i < kBlock; ++i) {
                    std::memcpy(group + y0 + byteOffsets[k0 + i], &block[i], kBlock);
                }
            }
        }
    }
    // The pixels left over, right of the last full group and below the last full block.
    for (int y = 0; y < rows.height; ++y) {
        for (int x = y < fullHeight ? fullWidth : 0; x < rows.width; ++x) {
            const uint8_t* pixel = rows.PixelPtr(x, y);
            const size_t n = static_cast<size_t>(x) * h + static_cast<size_t>(firstRow + y);
            map.tmap[n] = pixel[0];
            map.tmap[plane + n] = pixel[1];
            map.tmap[2 * plane + n] = pixel[2];
        }
    }
}

} // namespace dm
