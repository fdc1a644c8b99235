#include "files/png_body.h"

#include "files/map_limits.h"
#include "files/png_dimensions.h"
#include "files/random.h"
#include "files/vector_list.h"
#include "platform/memory_stream.h"
#include "platform/open_stream.h"
#include "platform/png_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

namespace dm {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr int kPngCompression = 9;
// Signature and header chunk, enough to learn the picture's size before decoding it.
constexpr int64_t kPngHeadBytes = 24;

using Cell = std::array<uint8_t, 3>; // glyph, foreground, background

// Both sides reseed from the picture's size. For every height above 1 the arc cosine is not a
// number, so all such maps start from the default seed.
void SeedFromSize(int32_t w, int32_t h) {
    const double degrees = std::acos(static_cast<double>(h)) * kDegreesPerRadian;
    SeedRandom(TruncToInt32(static_cast<double>(w) * degrees));
}

// The upper bound of the rotation draw at pixel (x, y). Only coordinates 0 and 1 lie inside the
// arc functions' domain; elsewhere the sum is not a number and truncates to INT32_MIN.
int32_t RotationBound(int32_t x, int32_t y) {
    if (x > 1 || y > 1) {
        return INT32_MIN;
    }
    return TruncToInt32(std::asin(static_cast<double>(x)) * kDegreesPerRadian +
                        std::acos(static_cast<double>(y)) * kDegreesPerRadian);
}

// The channel rotation of pixel (x, y), 0 to 2. The draw can come out as INT32_MIN, whose
// remainder is negative; such a pixel would stay unwritten and its cell be lost, so a negative
// remainder is taken up to the matching non-negative one.
int DrawRotation(const vector& position, int32_t scramble) {
    const int32_t r = RandomInt(0, RotationBound(position.x, position.y));
    const auto product =
        static_cast<int32_t>(static_cast<uint32_t>(r) * static_cast<uint32_t>(scramble));
    const int k = product % 3;
    return k < 0 ? k + 3 : k;
}

// Draws the noise decision; with scrambling off the draw still happens but never adds noise.
bool DrawNoise(int32_t scramble) {
    const bool hit = RandomInt(0, 45) == 0;
    return hit && scramble != 0;
}

// Rotation k puts cell component (k + i) mod 3 into channel i (red, green, blue).
uint32_t PackRotated(const Cell& cell, int k) {
    return 0xFF000000u | uint32_t{cell[k % 3]} << 16 | uint32_t{cell[(k + 1) % 3]} << 8 |
           uint32_t{cell[(k + 2) % 3]};
}

Cell UnpackRotated(uint32_t argb, int k) {
    const Cell channels = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                           static_cast<uint8_t>(argb)};
    Cell cell{};
    for (int i = 0; i < 3; ++i) {
        cell[(k + i) % 3] = channels[i];
    }
    return cell;
}

// The positions in the order that carries the cells, row by row.
std::vector<vector> CellPositions(int32_t w, int32_t h, int32_t scramble) {
    SeedFromSize(w, h);
    std::vector<vector> positions = createvectorlist(w, h);
    if (scramble != 0) {
        mixvectorlist(positions);
    }
    return positions;
}

// Each pixel draws a rotation and a noise decision, each one real of two generator steps.
constexpr uint64_t kStepsPerPixel = 4;

// Without scrambling the draws change no pixel, so they are skipped; the generator still ends
// where they would leave it.
void SkipUnscrambledDraws(int32_t w, int32_t h) {
    SeedFromSize(w, h);
    GlobalRandom().Advance(kStepsPerPixel * static_cast<uint64_t>(w) * static_cast<uint64_t>(h));
}

// Pixel (x, y) carries cell x * h + y, so the cells run down the picture's columns while the
// pixels run along its rows. Writing the picture goes by tiles 8 columns wide and 64 rows high,
// whose 24 column pieces (one cache line per plane and column) and 64 row pieces stay in the
// first-level cache together even when a power-of-two height maps every column to the same few
// cache sets.
constexpr int kTileWidth = 8;
constexpr int kTileHeight = 64;
// Rows decoded at a time: a cache line of every column of every plane.
constexpr int kBandRows = 64;

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

// Glyph in red, foreground in green, background in blue.
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

// Byte j of an RGB888 picture row is channel j % 3 of pixel j / 3, so reading the picture means
// transposing its rows of bytes: 16 x 16 blocks of them are transposed in vector registers.
using Bytes16 [[gnu::vector_size(16)]] = uint8_t;
constexpr int kBlock = 16;

Bytes16 InterleaveLow(Bytes16 a, Bytes16 b) {
    return __builtin_shuffle(a, b, Bytes16{0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23});
}

Bytes16 InterleaveHigh(Bytes16 a, Bytes16 b) {
    return __builtin_shuffle(a, b,
                             Bytes16{8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31});
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

// Decodes an RGB picture band by band straight into the cells, so that the whole picture is
// never held. rgb turns false, with nothing decoded, for a picture of another format.
std::shared_ptr<tilemap> DecodeUnscrambledRgb(TStream& in, bool& rgb) {
    std::shared_ptr<tilemap> map;
    const bool decoded = ReadPngBands(
        in, kBandRows,
        [&](const PngLayout& layout) {
            rgb = layout.format == PF_RGB888;
            if (!rgb || !IsMapSizeAllowed(layout.width, layout.height)) {
                return false;
            }
            map = tilemap::Create(layout.width, layout.height);
            return true;
        },
        [&](const TPixmap& band, int firstRow) { PixelsToCells(band, firstRow, *map); });
    if (!decoded) {
        return nullptr;
    }
    SkipUnscrambledDraws(map->tmapw, map->tmaph);
    return map;
}

// Decodes a picture at the stream's position, refusing one announced as too large before any
// pixel is decoded.
std::shared_ptr<tilemap> DecodeStream(TStream& in, int32_t scramble) {
    const int64_t start = in.Pos();
    std::vector<uint8_t> head(kPngHeadBytes);
    const int64_t got = in.Read(head.data(), kPngHeadBytes);
    head.resize(static_cast<size_t>(got > 0 ? got : 0));
    const std::optional<PictureSize> size = ReadPngDimensions(head);
    if (size && !IsMapSizeAllowed(size->width, size->height)) {
        return nullptr;
    }
    if (start < 0 || in.Seek(start) != start) {
        return nullptr;
    }
    if (scramble == 0) {
        bool rgb = true;
        std::shared_ptr<tilemap> map = DecodeUnscrambledRgb(in, rgb);
        if (rgb || in.Seek(start) != start) {
            return map;
        }
    }
    const std::shared_ptr<TPixmap> picture = LoadPixmap(in);
    if (!picture) {
        return nullptr;
    }
    return DecodePNG(*picture, scramble);
}

} // namespace

std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, int32_t scramble) {
    const int32_t w = map.tmapw;
    const int32_t h = map.tmaph;
    if (w <= 0 || h <= 0) {
        return nullptr;
    }
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (map.tmap.size() != 3 * plane) {
        return nullptr;
    }
    std::shared_ptr<TPixmap> picture = TPixmap::Create(w, h, PF_RGB888, 4);
    if (!picture) {
        return nullptr;
    }
    if (scramble == 0) {
        CellsToPixels(map, *picture);
        SkipUnscrambledDraws(w, h);
        return picture;
    }
    const std::vector<vector> positions = CellPositions(w, h, scramble);
    for (size_t n = 0; n < plane; ++n) {
        const vector position = positions[n];
        Cell cell = {map.tmap[n], map.tmap[plane + n], map.tmap[2 * plane + n]};
        const int k = DrawRotation(position, scramble);
        if (DrawNoise(scramble)) {
            for (uint8_t& component : cell) {
                component = static_cast<uint8_t>(component + RandomInt(0, 255));
            }
        }
        picture->WritePixel(position.x, position.y, PackRotated(cell, k));
    }
    return picture;
}

std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, const std::string& path, int32_t scramble) {
    std::shared_ptr<TPixmap> picture = EncodePNG(map, scramble);
    if (!picture) {
        return nullptr;
    }
    try {
        if (!WritePixmapPNG(*picture, path, kPngCompression)) {
            return nullptr;
        }
    } catch (const TStreamWriteException&) {
        return nullptr;
    }
    return picture;
}

std::optional<std::vector<uint8_t>> EncodePNGBytes(const tilemap& map, int32_t scramble) {
    const std::shared_ptr<TPixmap> picture = EncodePNG(map, scramble);
    if (!picture) {
        return std::nullopt;
    }
    TMemoryStream out;
    if (!WritePixmapPNG(*picture, out, kPngCompression)) {
        return std::nullopt;
    }
    return out.TakeBytes();
}

int64_t pngsize(const tilemap& map) {
    const std::optional<std::vector<uint8_t>> png = EncodePNGBytes(map, 0);
    return png ? static_cast<int64_t>(png->size()) : -1;
}

void WritePNG(const tilemap& map, TStream& out, const std::vector<uint8_t>& png) {
    out.WriteString("DMTP");
    out.WriteInt(map.tmapw);
    out.WriteInt(map.tmaph);
    out.WriteInt(map.GetChecksum());
    out.WriteDouble(static_cast<double>(png.size()));
    out.WriteBytes(png.data(), static_cast<int64_t>(png.size()));
    out.WriteString("EOF");
}

int32_t WritePNG(const tilemap& map, TStream& out) {
    const std::optional<std::vector<uint8_t>> png = EncodePNGBytes(map, 0);
    if (!png) {
        return 0;
    }
    WritePNG(map, out, *png);
    return 1;
}

std::shared_ptr<tilemap> DecodePNG(const std::string& path, int32_t scramble) {
    const std::shared_ptr<TStream> in = OpenReadStream(path);
    if (!in) {
        return nullptr;
    }
    std::shared_ptr<tilemap> map = DecodeStream(*in, scramble);
    in->Close();
    return map;
}

std::shared_ptr<tilemap> DecodePNG(std::vector<uint8_t> png, int32_t scramble) {
    TMemoryStream in(std::move(png));
    return DecodeStream(in, scramble);
}

std::shared_ptr<tilemap> DecodePNG(const TPixmap& picture, int32_t scramble) {
    const int32_t w = picture.width;
    const int32_t h = picture.height;
    if (!IsMapSizeAllowed(w, h)) {
        return nullptr;
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    if (scramble == 0 && picture.format == PF_RGB888) {
        PixelsToCells(picture, 0, *map);
        SkipUnscrambledDraws(w, h);
        return map;
    }
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    const std::vector<vector> positions = CellPositions(w, h, scramble);
    for (size_t n = 0; n < plane; ++n) {
        const vector position = positions[n];
        const int k = DrawRotation(position, scramble);
        Cell cell = UnpackRotated(picture.ReadPixel(position.x, position.y), k);
        if (DrawNoise(scramble)) {
            for (uint8_t& component : cell) {
                component = static_cast<uint8_t>(component - RandomInt(0, 255));
            }
        }
        map->tmap[n] = cell[0];
        map->tmap[plane + n] = cell[1];
        map->tmap[2 * plane + n] = cell[2];
    }
    return map;
}

} // namespace dm
