#include "files/png_body.h"

#include "container_test_support.h"
#include "files/map_limits.h"
#include "files/random.h"
#include "files/vector_list.h"
#include "platform/io/memory_stream.h"
#include "platform/pictures/png_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace dm {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Cells drawn at random, with glyph and colour 255 present in every plane.
std::shared_ptr<tilemap> RandomMap(int32_t w, int32_t h, uint32_t seed) {
    auto map = tilemap::Create(w, h);
    std::mt19937 random(seed);
    for (uint8_t& cell : map->tmap) {
        cell = static_cast<uint8_t>(random());
    }
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t p = 0; p < 3; ++p) {
        map->tmap[p * plane + (seed % plane)] = 255;
    }
    return map;
}

uint32_t Opaque(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The scrambled encoder restated from its rules with the rotation table spelled out. A negative
// remainder counts as the non-negative one, so that no pixel is left unwritten. Counts the
// pixels that received noise into noisy.
std::vector<uint32_t> ReferenceScrambledPixels(const tilemap& map, int& noisy,
                                               RandomGenerator& random) {
    const int32_t w = map.tmapw;
    const int32_t h = map.tmaph;
    const double degrees = 57.29577951308232;
    random.Seed(TruncToInt32(w * (std::acos(static_cast<double>(h)) * degrees)));
    std::vector<vector> positions = createvectorlist(w, h);
    mixvectorlist(positions, random);
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    for (size_t n = 0; n < positions.size(); ++n) {
        const vector at = positions[n];
        uint8_t g = map.tmap[n];
        uint8_t f = map.tmap[positions.size() + n];
        uint8_t b = map.tmap[2 * positions.size() + n];
        const int32_t bound = TruncToInt32(std::asin(static_cast<double>(at.x)) * degrees +
                                           std::acos(static_cast<double>(at.y)) * degrees);
        const int32_t k = (random.Int(0, bound) % 3 + 3) % 3;
        if (random.Int(0, 45) == 0) {
            ++noisy;
            g = static_cast<uint8_t>((g + random.Int(0, 255)) % 256);
            f = static_cast<uint8_t>((f + random.Int(0, 255)) % 256);
            b = static_cast<uint8_t>((b + random.Int(0, 255)) % 256);
        }
        uint32_t pixel = 0;
        switch (k) {
        case 0:
            pixel = Opaque(g, f, b);
            break;
        case 1:
            pixel = Opaque(f, b, g);
            break;
        case 2:
            pixel = Opaque(b, g, f);
            break;
        }
        pixels[static_cast<size_t>(at.y) * w + at.x] = pixel;
    }
    return pixels;
}

class PngBody : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("dm_png_body_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
    RandomGenerator random_;
};

TEST_F(PngBody, UnscrambledPixelsRunDownColumns) {
    auto map = tilemap::Create(3, 2);
    // Cell (x, y) holds glyph 10 + i, foreground 100 + i, background 200 + i, i = x + 3y.
    for (int32_t i = 0; i < 6; ++i) {
        map->tmap[i] = static_cast<uint8_t>(10 + i);
        map->tmap[6 + i] = static_cast<uint8_t>(100 + i);
        map->tmap[12 + i] = static_cast<uint8_t>(200 + i);
    }
    const auto picture = EncodePNG(*map, 0, random_);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(picture->format, kPixelFormatRGB888);
    // Pixel -> the cell index i it carries.
    const int expected[3][2] = {{0, 1}, {2, 3}, {4, 5}};
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 2; ++y) {
            const int i = expected[x][y];
            EXPECT_EQ(picture->ReadPixel(x, y), Opaque(10 + i, 100 + i, 200 + i))
                << "pixel " << x << "," << y;
        }
    }

    auto single = tilemap::Create(1, 1);
    single->tmap = {65, 7, 255};
    const auto dot = EncodePNG(*single, 0, random_);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->ReadPixel(0, 0), Opaque(65, 7, 255));
}

TEST_F(PngBody, ScrambledPixelsFollowTheirRules) {
    int noisy = 0;
    for (const auto& [w, h, seed] :
         {std::tuple{2, 2, 1u}, std::tuple{1, 2, 2u}, std::tuple{2, 1, 3u}, std::tuple{1, 1, 4u},
          std::tuple{9, 7, 5u}, std::tuple{30, 20, 6u}}) {
        const auto map = RandomMap(w, h, seed);
        const std::vector<uint32_t> expected = ReferenceScrambledPixels(*map, noisy, random_);
        const auto picture = EncodePNG(*map, 1, random_);
        ASSERT_NE(picture, nullptr);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                EXPECT_EQ(picture->ReadPixel(x, y), expected[static_cast<size_t>(y) * w + x])
                    << w << " x " << h << " pixel " << x << "," << y;
            }
        }
    }
    EXPECT_GT(noisy, 0);
}

TEST_F(PngBody, BytesInMemoryMatchTheSavedFile) {
    const auto map = RandomMap(23, 17, 5);
    for (const int32_t scramble : {0, 1}) {
        const std::filesystem::path path = folder_ / ("map" + std::to_string(scramble) + ".png");
        ASSERT_NE(EncodePNG(*map, path.string(), scramble, random_), nullptr);
        const std::optional<Bytes> bytes = EncodePNGBytes(*map, scramble, random_);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(ReadFile(path), *bytes);
        ASSERT_GT(bytes->size(), 26u);
        EXPECT_EQ(std::memcmp(bytes->data(), kPngSignature, 8), 0);
        EXPECT_EQ((*bytes)[24], 8); // bit depth
        EXPECT_EQ((*bytes)[25], 2); // colour type RGB
    }
    EXPECT_EQ(pngsize(*map), static_cast<int64_t>(EncodePNGBytes(*map, 0, random_)->size()));
    EXPECT_EQ(EncodePNG(*map, (folder_ / "missing" / "map.png").string(), 0, random_), nullptr);
    // A failed encode leaves the file it would have replaced as it was.
    const std::string locked = (folder_ / "locked.png").string();
    const Bytes previous = {'o', 'l', 'd'};
    test::WriteFileBytes(locked, previous);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_EQ(EncodePNG(*map, locked, 1, random_), nullptr);
    EXPECT_EQ(ReadFile(locked), previous);
}

TEST_F(PngBody, FileImageEmbedsThePicture) {
    auto map = tilemap::Create(1, 1);
    map->tmap = {65, 7, 0};
    const Bytes png = *EncodePNGBytes(*map, 0, random_);
    TMemoryStream out;
    EXPECT_EQ(WritePNG(*map, out), 1);
    TMemoryStream in(out.Bytes());
    EXPECT_EQ(in.ReadString(4), "DMTP");
    EXPECT_EQ(in.ReadInt(), 1);
    EXPECT_EQ(in.ReadInt(), 1);
    EXPECT_EQ(in.ReadInt(), 1049066);
    EXPECT_EQ(in.ReadDouble(), static_cast<double>(png.size()));
    Bytes embedded(png.size());
    in.ReadBytes(embedded.data(), static_cast<int64_t>(embedded.size()));
    EXPECT_EQ(embedded, png);
    EXPECT_EQ(in.ReadString(3), "EOF");
    EXPECT_TRUE(in.Eof());

    TMemoryStream measuredOnce;
    WritePNG(*map, measuredOnce, png);
    EXPECT_EQ(measuredOnce.Bytes(), out.Bytes());

    const auto empty = tilemap::Create(0, 0);
    TMemoryStream nothing;
    EXPECT_EQ(WritePNG(*empty, nothing), 0);
    EXPECT_EQ(nothing.Size(), 0);
    EXPECT_EQ(pngsize(*empty), -1);
    EXPECT_EQ(EncodePNG(*empty, 0, random_), nullptr);
}

TEST_F(PngBody, MapsRoundTripWithAndWithoutScrambling) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 7},   {9, 1},  {3, 2},
                                                 {2, 2}, {37, 23}, {64, 64}};
    uint32_t seed = 11;
    for (const auto& [w, h] : sizes) {
        const auto map = RandomMap(w, h, ++seed);
        for (const int32_t scramble : {0, 1}) {
            const std::optional<Bytes> png = EncodePNGBytes(*map, scramble, random_);
            ASSERT_TRUE(png.has_value());
            const auto decoded = DecodePNG(*png, scramble, random_);
            ASSERT_NE(decoded, nullptr);
            EXPECT_EQ(decoded->tmapw, w);
            EXPECT_EQ(decoded->tmaph, h);
            EXPECT_EQ(decoded->tmap, map->tmap) << w << " x " << h << " scramble " << scramble;
            EXPECT_EQ(decoded->GetChecksum(), map->GetChecksum());

            const std::filesystem::path path = folder_ / "round.png";
            ASSERT_NE(EncodePNG(*map, path.string(), scramble, random_), nullptr);
            const auto fromFile = DecodePNG(path.string(), scramble, random_);
            ASSERT_NE(fromFile, nullptr);
            EXPECT_EQ(fromFile->tmap, map->tmap);
        }
    }
}

TEST_F(PngBody, ScrambledFilesReportRisingProgressEndingWhenDone) {
    const auto map = RandomMap(40, 30, 5);
    const std::string path = (folder_ / "progress.png").string();
    std::vector<int> reports;
    const WorkProgress record = [&reports](int thousandths) { reports.push_back(thousandths); };
    ASSERT_NE(EncodePNG(*map, path, 1, random_, record), nullptr);
    const size_t encoded = reports.size();
    ASSERT_NE(DecodePNG(path, 1, random_, record), nullptr);
    for (const auto& [from, to] :
         {std::pair{size_t{0}, encoded}, std::pair{encoded, reports.size()}}) {
        ASSERT_GT(to - from, 5u); // the shuffle's walks and, encoding, the picture's rows
        EXPECT_TRUE(std::is_sorted(reports.begin() + from, reports.begin() + to));
        EXPECT_EQ(reports[to - 1], kProgressTotal);
        EXPECT_EQ(std::count(reports.begin() + from, reports.begin() + to, kProgressTotal), 1);
    }
}

TEST_F(PngBody, UnscrambledCodingLeavesTheGeneratorWhereItsDrawsWould) {
    // Every size reseeds to the default state; each pixel then draws a rotation and a noise
    // decision, and a draw takes one real whatever its bounds.
    const auto map = RandomMap(37, 23, 5);
    RandomGenerator expected;
    for (int pixel = 0; pixel < 37 * 23; ++pixel) {
        expected.Int(0, INT32_MIN);
        expected.Int(0, 45);
    }
    random_.Seed(99);
    const auto picture = EncodePNG(*map, 0, random_);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(random_.State(), expected.State());
    random_.Seed(99);
    ASSERT_NE(DecodePNG(*picture, 0, random_), nullptr);
    EXPECT_EQ(random_.State(), expected.State());
}

// The PNG bytes of the picture whose pixel (x, y) carries cell x * h + y, built without the
// encoder under test.
Bytes PngOfColumns(const tilemap& map) {
    const int32_t w = map.tmapw;
    const int32_t h = map.tmaph;
    const size_t plane = static_cast<size_t>(w) * static_cast<size_t>(h);
    const auto picture = TPixmap::Create(w, h, kPixelFormatRGB888, 4);
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t y = 0; y < h; ++y) {
            const size_t n = static_cast<size_t>(x) * static_cast<size_t>(h) + y;
            picture->WritePixel(x, y,
                                Opaque(map.tmap[n], map.tmap[plane + n], map.tmap[2 * plane + n]));
        }
    }
    TMemoryStream out;
    EXPECT_TRUE(WritePixmapPNG(*picture, out, 1));
    return out.TakeBytes();
}

TEST_F(PngBody, UnscrambledBytesDecodeAtEverySizeLikeTheWholePicture) {
    // Sizes around the 16-pixel blocks and the 64-row bands, including single rows and columns.
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1},   {1, 70},  {70, 1},  {16, 16},
                                                 {17, 33}, {33, 64}, {48, 65}, {21, 130}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const auto map = RandomMap(w, h, static_cast<uint32_t>(w * 1000 + h));
        const Bytes png = PngOfColumns(*map);
        random_.Seed(7);
        const auto decoded = DecodePNG(png, 0, random_);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->tmapw, w);
        EXPECT_EQ(decoded->tmaph, h);
        EXPECT_EQ(decoded->tmap, map->tmap);
        const int32_t state = random_.State();

        TMemoryStream in(png);
        const auto picture = LoadPixmap(in);
        ASSERT_NE(picture, nullptr);
        random_.Seed(7);
        const auto whole = DecodePNG(*picture, 0, random_);
        ASSERT_NE(whole, nullptr);
        EXPECT_EQ(whole->tmap, map->tmap);
        EXPECT_EQ(random_.State(), state);
    }
}

TEST_F(PngBody, UnscrambledGreyAndAlphaBytesDecodeLikeTheirPictures) {
    const auto map = RandomMap(19, 70, 3);
    const auto opaque = EncodePNG(*map, 0, random_);
    ASSERT_NE(opaque, nullptr);
    for (const int format : {kPixelFormatI8, kPixelFormatRGBA8888}) {
        SCOPED_TRACE("format " + std::to_string(format));
        const auto converted = opaque->Convert(format);
        ASSERT_NE(converted, nullptr);
        TMemoryStream out;
        ASSERT_TRUE(WritePixmapPNG(*converted, out, 1));
        const Bytes png = out.TakeBytes();
        TMemoryStream in(png);
        const auto loaded = LoadPixmap(in);
        ASSERT_NE(loaded, nullptr);
        ASSERT_EQ(loaded->format, format);
        random_.Seed(11);
        const auto reference = DecodePNG(*loaded, 0, random_);
        ASSERT_NE(reference, nullptr);
        const int32_t state = random_.State();
        random_.Seed(11);
        const auto decoded = DecodePNG(png, 0, random_);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->tmap, reference->tmap);
        EXPECT_EQ(random_.State(), state);
    }
}

TEST_F(PngBody, PicturesWithAlphaDecodeLikeOpaqueOnes) {
    const auto map = RandomMap(13, 11, 21);
    const auto opaque = EncodePNG(*map, 0, random_);
    ASSERT_NE(opaque, nullptr);
    const auto withAlpha = TPixmap::Create(13, 11, kPixelFormatRGBA8888, 4);
    ASSERT_NE(withAlpha, nullptr);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 13; ++x) {
            withAlpha->WritePixel(x, y, opaque->ReadPixel(x, y));
        }
    }
    for (const int32_t scramble : {0, 1}) {
        const auto decoded = DecodePNG(*withAlpha, scramble, random_);
        ASSERT_NE(decoded, nullptr);
        const auto reference = DecodePNG(*opaque, scramble, random_);
        ASSERT_NE(reference, nullptr);
        EXPECT_EQ(decoded->tmap, reference->tmap) << "scramble " << scramble;
    }
    EXPECT_EQ(DecodePNG(*withAlpha, 0, random_)->tmap, map->tmap);
}

TEST_F(PngBody, ScramblingShufflesRepeatablyAndNeedsItsKey) {
    const auto map = RandomMap(40, 30, 99);
    const Bytes first = *EncodePNGBytes(*map, 1, random_);
    random_.Seed(123);
    random_.Int(0, 1000);
    random_.Real();
    const Bytes second = *EncodePNGBytes(*map, 1, random_);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, *EncodePNGBytes(*map, 0, random_));

    const auto unscrambled_read = DecodePNG(first, 0, random_);
    ASSERT_NE(unscrambled_read, nullptr);
    EXPECT_NE(unscrambled_read->tmap, map->tmap);
}

TEST_F(PngBody, OtherScrambleValuesLoseNoCell) {
    // With these values most rotation remainders come out negative.
    for (const int32_t scramble : {2, -1, 7}) {
        const auto map = RandomMap(31, 29, static_cast<uint32_t>(scramble + 50));
        const auto picture = EncodePNG(*map, scramble, random_);
        ASSERT_NE(picture, nullptr);
        const auto decoded = DecodePNG(*picture, scramble, random_);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->tmap, map->tmap) << "scramble " << scramble;
    }
}

TEST_F(PngBody, PicturesOverTheCellLimitAreRefused) {
    EXPECT_TRUE(IsMapSizeAllowed(4096, 4096));
    EXPECT_TRUE(IsMapSizeAllowed(16384, 1024));
    EXPECT_TRUE(IsMapSizeAllowed(1, kMaxMapCells));
    EXPECT_FALSE(IsMapSizeAllowed(4097, 4096));
    EXPECT_FALSE(IsMapSizeAllowed(16384, 1025));
    EXPECT_FALSE(IsMapSizeAllowed(kMaxMapCells + 1, 1));
    EXPECT_FALSE(IsMapSizeAllowed(0, 5));
    EXPECT_FALSE(IsMapSizeAllowed(5, -1));
    EXPECT_FALSE(IsMapSizeAllowed(int64_t{1} << 32, int64_t{1} << 32));

    // A valid grey picture just over the limit, which the picture loader itself accepts.
    const auto big = TPixmap::Create(4097, 4096, kPixelFormatI8, 4);
    ASSERT_NE(big, nullptr);
    big->ClearPixels(0);
    TMemoryStream encoded;
    ASSERT_TRUE(WritePixmapPNG(*big, encoded, 1));
    const Bytes png = encoded.TakeBytes();
    {
        TMemoryStream check(png);
        ASSERT_NE(LoadPixmap(check), nullptr);
    }
    EXPECT_EQ(DecodePNG(png, 0, random_), nullptr);
    EXPECT_EQ(DecodePNG(*big, 1, random_), nullptr);
    const std::filesystem::path path = folder_ / "big.png";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    EXPECT_EQ(DecodePNG(path.string(), 0, random_), nullptr);
}

TEST_F(PngBody, UndecodableInputGivesNull) {
    EXPECT_EQ(DecodePNG(Bytes{}, 0, random_), nullptr);
    EXPECT_EQ(DecodePNG(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}, 1, random_), nullptr);
    std::mt19937 random(3);
    Bytes garbage(5000);
    for (uint8_t& byte : garbage) {
        byte = static_cast<uint8_t>(random());
    }
    EXPECT_EQ(DecodePNG(garbage, 0, random_), nullptr);
    std::memcpy(garbage.data(), kPngSignature, 8);
    EXPECT_EQ(DecodePNG(garbage, 0, random_), nullptr);

    const Bytes png = *EncodePNGBytes(*RandomMap(20, 20, 8), 0, random_);
    EXPECT_EQ(DecodePNG(Bytes(png.begin(), png.begin() + png.size() / 2), 0, random_), nullptr);
    EXPECT_EQ(DecodePNG(Bytes(png.begin(), png.begin() + 20), 0, random_), nullptr);

    EXPECT_EQ(DecodePNG((folder_ / "absent.png").string(), 0, random_), nullptr);
    const std::filesystem::path text = folder_ / "text.png";
    std::ofstream(text) << "hello";
    EXPECT_EQ(DecodePNG(text.string(), 0, random_), nullptr);
}

} // namespace
} // namespace dm
