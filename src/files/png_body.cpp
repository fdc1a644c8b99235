#include "files/png_body.h"

#include "files/cell_picture_layout.h"
#include "files/map_limits.h"
#include "files/png_dimensions.h"
#include "files/random.h"
#include "files/side_file_writer.h"
#include "files/vector_list.h"
#include "platform/io/memory_stream.h"
#include "platform/io/open_stream.h"
#include "platform/pictures/png_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

namespace dm {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr int kPngCompression = 9;

// Shares of the whole work: placing the cells in shuffled order takes the most time by far
// when encoding; loading the picture comes first when decoding.
constexpr int kShuffleShare = 800;
constexpr int kLoadShare = 100;

std::shared_ptr<TPixmap> EncodePicture(const tilemap& map, int32_t scramble,
                                       RandomGenerator& random, const WorkProgress& progress);
std::shared_ptr<tilemap> DecodePicture(const TPixmap& picture, int32_t scramble,
                                       RandomGenerator& random, const WorkProgress& progress);
// Signature and header chunk, enough to learn the picture's size before decoding it.
constexpr int64_t kPngHeadBytes = 24;

using Cell = std::array<uint8_t, 3>; // glyph, foreground, background

// Both sides reseed from the picture's size. For every height above 1 the arc cosine is not a
// number, so all such maps start from the default seed.
void SeedFromSize(int32_t w, int32_t h, RandomGenerator& random) {
    const double degrees = std::acos(static_cast<double>(h)) * kDegreesPerRadian;
    random.Seed(TruncToInt32(static_cast<double>(w) * degrees));
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
int DrawRotation(const vector& position, int32_t scramble, RandomGenerator& random) {
    const int32_t r = random.Int(0, RotationBound(position.x, position.y));
    const auto product =
        static_cast<int32_t>(static_cast<uint32_t>(r) * static_cast<uint32_t>(scramble));
    const int k = product % 3;
    return k < 0 ? k + 3 : k;
}

// Draws the noise decision; with scrambling off the draw still happens but never adds noise.
bool DrawNoise(int32_t scramble, RandomGenerator& random) {
    const bool hit = random.Int(0, 45) == 0;
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
std::vector<vector> CellPositions(int32_t w, int32_t h, int32_t scramble, RandomGenerator& random,
                                  const WorkProgress& progress) {
    SeedFromSize(w, h, random);
    std::vector<vector> positions = createvectorlist(w, h);
    if (scramble != 0) {
        mixvectorlist(positions, random, progress);
    }
    return positions;
}

// Each pixel draws a rotation and a noise decision, each one real of two generator steps.
constexpr uint64_t kStepsPerPixel = 4;

// Without scrambling the draws change no pixel, so they are skipped; the generator still ends
// where they would leave it.
void SkipUnscrambledDraws(int32_t w, int32_t h, RandomGenerator& random) {
    SeedFromSize(w, h, random);
    random.Advance(kStepsPerPixel * static_cast<uint64_t>(w) * static_cast<uint64_t>(h));
}

// Rows decoded at a time: a cache line of every column of every plane.
constexpr int kBandRows = 64;

// Decodes an RGB picture band by band straight into the cells, so that the whole picture is
// never held. rgb turns false, with nothing decoded, for a picture of another format.
std::shared_ptr<tilemap> DecodeUnscrambledRgb(TStream& in, bool& rgb, RandomGenerator& random) {
    std::shared_ptr<tilemap> map;
    const bool decoded = ReadPngBands(
        in, kBandRows,
        [&](const PngLayout& layout) {
            rgb = layout.format == kPixelFormatRGB888;
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
    SkipUnscrambledDraws(map->tmapw, map->tmaph, random);
    return map;
}

// Decodes a picture at the stream's position, refusing one announced as too large before any
// pixel is decoded.
std::shared_ptr<tilemap> DecodeStream(TStream& in, int32_t scramble, RandomGenerator& random,
                                      const WorkProgress& progress) {
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
        std::shared_ptr<tilemap> map = DecodeUnscrambledRgb(in, rgb, random);
        if (rgb || in.Seek(start) != start) {
            return map;
        }
    }
    const std::shared_ptr<TPixmap> picture = LoadPixmap(in);
    if (!picture) {
        return nullptr;
    }
    return DecodePicture(*picture, scramble, random,
                         StageProgress(progress, kLoadShare, kProgressTotal - 1));
}

} // namespace

namespace {

std::shared_ptr<TPixmap> EncodePicture(const tilemap& map, int32_t scramble,
                                       RandomGenerator& random, const WorkProgress& progress) {
    const int32_t w = map.tmapw;
    const int32_t h = map.tmaph;
    if (w <= 0 || h <= 0) {
        return nullptr;
    }
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (map.tmap.size() != 3 * plane) {
        return nullptr;
    }
    std::shared_ptr<TPixmap> picture = TPixmap::Create(w, h, kPixelFormatRGB888, 4);
    if (!picture) {
        return nullptr;
    }
    if (scramble == 0) {
        CellsToPixels(map, *picture);
        SkipUnscrambledDraws(w, h, random);
        return picture;
    }
    const std::vector<vector> positions = CellPositions(w, h, scramble, random, progress);
    for (size_t n = 0; n < plane; ++n) {
        const vector position = positions[n];
        Cell cell = {map.tmap[n], map.tmap[plane + n], map.tmap[2 * plane + n]};
        const int k = DrawRotation(position, scramble, random);
        if (DrawNoise(scramble, random)) {
            for (uint8_t& component : cell) {
                component = static_cast<uint8_t>(component + random.Int(0, 255));
            }
        }
        picture->WritePixel(position.x, position.y, PackRotated(cell, k));
    }
    return picture;
}

} // namespace

std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, int32_t scramble, RandomGenerator& random) {
    return EncodePicture(map, scramble, random, {});
}

Outcome CheckEncodable(const tilemap& map) {
    const int64_t w = map.tmapw;
    const int64_t h = map.tmaph;
    if (w <= 0 || h <= 0 || map.tmap.size() != static_cast<size_t>(w * h * 3)) {
        return Failure{"The map has no cells to encode."};
    }
    if (w > kPngMaxSide || h > kPngMaxSide) {
        return Failure{"The map is " + std::to_string(w) + " x " + std::to_string(h) +
                       " cells; a PNG picture is written at most " + std::to_string(kPngMaxSide) +
                       " pixels wide and high."};
    }
    return {};
}

Expected<std::shared_ptr<TPixmap>> EncodePNGFile(const tilemap& map, const std::string& path,
                                                 int32_t scramble, RandomGenerator& random,
                                                 const WorkProgress& progress) {
    if (const Outcome encodable = CheckEncodable(map); !encodable) {
        return encodable.Error();
    }
    // Like a saved map, the picture replaces the file at path only once it is complete. The side
    // file comes first, so that a path that cannot be written fails before the long shuffle.
    const Expected<std::unique_ptr<SideFileWriter>> writer = SideFileWriter::Open(path);
    if (!writer) {
        return Failure{"Cannot write " + path + ": " + writer.Why() + "."};
    }
    std::shared_ptr<TPixmap> picture =
        EncodePicture(map, scramble, random, StageProgress(progress, 0, kShuffleShare));
    if (!picture) {
        return Failure{"Not enough memory for a picture of " + std::to_string(map.tmapw) + " x " +
                       std::to_string(map.tmaph) + " pixels."};
    }
    Outcome written = Failure{"the PNG encoder stopped"};
    try {
        const WorkProgress writing = StageProgress(progress, kShuffleShare, kProgressTotal - 1);
        const PngRowProgress rows = [&writing](int done, int total) {
            if (writing) {
                writing(static_cast<int>(int64_t{done} * kProgressTotal / total));
            }
        };
        if (WritePixmapPNG(*picture, (*writer)->Stream(), kPngCompression, rows)) {
            written = Outcome();
        }
    } catch (const TStreamWriteException&) {
        // The stream keeps the system's reason, which the commit gives.
    }
    if (const Outcome committed = (*writer)->Commit(written); !committed) {
        return Failure{"Writing " + path + " failed: " + committed.Why() + "."};
    }
    if (progress) {
        progress(kProgressTotal);
    }
    return picture;
}

std::shared_ptr<TPixmap> EncodePNG(const tilemap& map, const std::string& path, int32_t scramble,
                                   RandomGenerator& random, const WorkProgress& progress) {
    Expected<std::shared_ptr<TPixmap>> picture =
        EncodePNGFile(map, path, scramble, random, progress);
    return picture ? std::move(*picture) : nullptr;
}

std::optional<std::vector<uint8_t>> EncodePNGBytes(const tilemap& map, int32_t scramble,
                                                   RandomGenerator& random) {
    if (!CheckEncodable(map)) {
        return std::nullopt;
    }
    const std::shared_ptr<TPixmap> picture = EncodePNG(map, scramble, random);
    if (!picture) {
        return std::nullopt;
    }
    TMemoryStream out;
    if (!WritePixmapPNG(*picture, out, kPngCompression)) {
        return std::nullopt;
    }
    return out.TakeBytes();
}

std::optional<std::vector<uint8_t>> EncodeUnscrambledPNGBytes(const tilemap& map) {
    RandomGenerator unscrambled;
    return EncodePNGBytes(map, 0, unscrambled);
}

int64_t pngsize(const tilemap& map) {
    const std::optional<std::vector<uint8_t>> png = EncodeUnscrambledPNGBytes(map);
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
    const std::optional<std::vector<uint8_t>> png = EncodeUnscrambledPNGBytes(map);
    if (!png) {
        return 0;
    }
    WritePNG(map, out, *png);
    return 1;
}

std::shared_ptr<tilemap> DecodePNG(const std::string& path, int32_t scramble,
                                   RandomGenerator& random, const WorkProgress& progress) {
    const std::shared_ptr<TStream> in = OpenReadStream(path);
    if (!in) {
        return nullptr;
    }
    std::shared_ptr<tilemap> map = DecodeStream(*in, scramble, random, progress);
    in->Close();
    if (map && progress) {
        progress(kProgressTotal);
    }
    return map;
}

std::shared_ptr<tilemap> DecodePNG(std::vector<uint8_t> png, int32_t scramble,
                                   RandomGenerator& random) {
    TMemoryStream in(std::move(png));
    return DecodeStream(in, scramble, random, {});
}

std::shared_ptr<tilemap> DecodeUnscrambledPNG(std::vector<uint8_t> png) {
    RandomGenerator unscrambled;
    return DecodePNG(std::move(png), 0, unscrambled);
}

std::shared_ptr<tilemap> DecodePNG(const TPixmap& picture, int32_t scramble,
                                   RandomGenerator& random) {
    return DecodePicture(picture, scramble, random, {});
}

namespace {

std::shared_ptr<tilemap> DecodePicture(const TPixmap& picture, int32_t scramble,
                                       RandomGenerator& random, const WorkProgress& progress) {
    const int32_t w = picture.width;
    const int32_t h = picture.height;
    if (!IsMapSizeAllowed(w, h)) {
        return nullptr;
    }
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    if (scramble == 0 && picture.format == kPixelFormatRGB888) {
        PixelsToCells(picture, 0, *map);
        SkipUnscrambledDraws(w, h, random);
        return map;
    }
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    const std::vector<vector> positions = CellPositions(w, h, scramble, random, progress);
    for (size_t n = 0; n < plane; ++n) {
        const vector position = positions[n];
        const int k = DrawRotation(position, scramble, random);
        Cell cell = UnpackRotated(picture.ReadPixel(position.x, position.y), k);
        if (DrawNoise(scramble, random)) {
            for (uint8_t& component : cell) {
                component = static_cast<uint8_t>(component - random.Int(0, 255));
            }
        }
        map->tmap[n] = cell[0];
        map->tmap[plane + n] = cell[1];
        map->tmap[2 * plane + n] = cell[2];
    }
    return map;
}

} // namespace

} // namespace dm
