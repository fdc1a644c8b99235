#include "platform/pictures/png_codec.h"

#include "platform/io/memory_stream.h"
#include "platform/pictures/png_test_files.h"
#include "platform/scratch_dir.h"
#include "support/peak_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace dm {
namespace {

using test::EncodePng;

std::shared_ptr<TPixmap> LoadBytes(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    return LoadPixmap(stream);
}

std::vector<uint32_t> Pixels(const TPixmap& p) {
    std::vector<uint32_t> out;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            out.push_back(p.ReadPixel(x, y));
    return out;
}

std::vector<uint8_t> Encode(const TPixmap& p, int compression) {
    TMemoryStream stream;
    EXPECT_TRUE(WritePixmapPNG(p, stream, compression));
    return stream.TakeBytes();
}

// Fills a pixmap with colours that differ in every channel from pixel to pixel.
std::shared_ptr<TPixmap> Varied(int width, int height, int format) {
    auto p = TPixmap::Create(width, height, format, 4);
    std::mt19937 random(static_cast<uint32_t>(width * 131 + height * 7 + format));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p->WritePixel(x, y, static_cast<uint32_t>(random()));
    return p;
}

// A fresh folder under the system's temporary directory, removed afterwards.
class PngFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("dm_png_codec_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST(PngLoad, GreyLoadsAsI8) {
    auto picture = test::Picture(3, 2, PNG_COLOR_TYPE_GRAY);
    picture.rows = {0, 128, 255, 7, 8, 9};
    auto p = LoadBytes(EncodePng(picture));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatI8);
    EXPECT_EQ(p->width, 3);
    EXPECT_EQ(p->height, 2);
    EXPECT_EQ(p->pitch, 4);
    EXPECT_EQ(Pixels(*p), (std::vector<uint32_t>{0xFF000000, 0xFF808080, 0xFFFFFFFF, 0xFF070707,
                                                 0xFF080808, 0xFF090909}));
}

TEST(PngLoad, GreyBelowEightBitsIsExpanded) {
    // Two-bit samples 0, 1, 2, 3 in one byte, then 3, 2 padded.
    auto picture = test::Picture(4, 2, PNG_COLOR_TYPE_GRAY, 2);
    picture.rows = {0x1B, 0xE0};
    auto p = LoadBytes(EncodePng(picture));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatI8);
    EXPECT_EQ(std::vector<uint8_t>(p->pixels, p->pixels + 4),
              (std::vector<uint8_t>{0, 85, 170, 255}));
    EXPECT_EQ(std::vector<uint8_t>(p->PixelPtr(0, 1), p->PixelPtr(0, 1) + 4),
              (std::vector<uint8_t>{255, 170, 0, 0}));

    auto oneBit = test::Picture(9, 1, PNG_COLOR_TYPE_GRAY, 1);
    oneBit.rows = {0xA5, 0x80};
    auto q = LoadBytes(EncodePng(oneBit));
    ASSERT_TRUE(q);
    EXPECT_EQ(std::vector<uint8_t>(q->pixels, q->pixels + 9),
              (std::vector<uint8_t>{255, 0, 255, 0, 0, 255, 0, 255, 255}));
}

TEST(PngLoad, PaletteLoadsAsRgbOrWithAlphaAsRgba) {
    auto picture = test::Picture(3, 1, PNG_COLOR_TYPE_PALETTE, 4);
    picture.palette = {{10, 20, 30}, {40, 50, 60}, {250, 240, 230}};
    picture.rows = {0x21, 0x00};
    auto p = LoadBytes(EncodePng(picture));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatRGB888);
    EXPECT_EQ(std::vector<uint8_t>(p->pixels, p->pixels + 9),
              (std::vector<uint8_t>{250, 240, 230, 40, 50, 60, 10, 20, 30}));

    picture.paletteAlpha = {0, 128};
    auto q = LoadBytes(EncodePng(picture));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->format, kPixelFormatRGBA8888);
    EXPECT_EQ(Pixels(*q), (std::vector<uint32_t>{0xFFFAF0E6, 0x8028323C, 0x000A141E}));
}

TEST(PngLoad, SixteenBitRgbIsCutToEightBits) {
    auto picture = test::Picture(2, 1, PNG_COLOR_TYPE_RGB, 16);
    picture.rows = {0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xAB, 0x01, 0xCD, 0x02, 0xEF, 0x03};
    auto p = LoadBytes(EncodePng(picture));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatRGB888);
    EXPECT_EQ(Pixels(*p), (std::vector<uint32_t>{0xFF123456, 0xFFABCDEF}));
}

TEST(PngLoad, TransparencyAndGreyAlphaLoadAsRgba) {
    auto grey = test::Picture(3, 1, PNG_COLOR_TYPE_GRAY);
    grey.rows = {50, 51, 50};
    grey.hasTransparentColor = true;
    grey.transparentColor.gray = 50;
    auto p = LoadBytes(EncodePng(grey));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatRGBA8888);
    EXPECT_EQ(Pixels(*p), (std::vector<uint32_t>{0x00323232, 0xFF333333, 0x00323232}));

    auto greyAlpha = test::Picture(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA);
    greyAlpha.rows = {9, 200, 250, 0};
    auto q = LoadBytes(EncodePng(greyAlpha));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->format, kPixelFormatRGBA8888);
    EXPECT_EQ(Pixels(*q), (std::vector<uint32_t>{0xC8090909, 0x00FAFAFA}));

    auto rgb = test::Picture(2, 1, PNG_COLOR_TYPE_RGB);
    rgb.rows = {1, 2, 3, 4, 5, 6};
    rgb.hasTransparentColor = true;
    rgb.transparentColor.red = 4;
    rgb.transparentColor.green = 5;
    rgb.transparentColor.blue = 6;
    auto r = LoadBytes(EncodePng(rgb));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->format, kPixelFormatRGBA8888);
    EXPECT_EQ(Pixels(*r), (std::vector<uint32_t>{0xFF010203, 0x00040506}));

    auto greyAlpha16 = test::Picture(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16);
    greyAlpha16.rows = {0x40, 0x99, 0x80, 0x11};
    auto s = LoadBytes(EncodePng(greyAlpha16));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->format, kPixelFormatRGBA8888);
    EXPECT_EQ(s->ReadPixel(0, 0), 0x80404040u);
}

TEST(PngLoad, RgbaAndInterlacedPictures) {
    auto rgba = test::Picture(2, 1, PNG_COLOR_TYPE_RGB_ALPHA);
    rgba.rows = {1, 2, 3, 4, 250, 251, 252, 253};
    auto p = LoadBytes(EncodePng(rgba));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPixelFormatRGBA8888);
    EXPECT_EQ(std::vector<uint8_t>(p->pixels, p->pixels + 8), rgba.rows);

    auto interlaced = test::Picture(11, 9, PNG_COLOR_TYPE_RGB);
    interlaced.interlaced = true;
    for (int i = 0; i < 11 * 9 * 3; ++i)
        interlaced.rows.push_back(static_cast<uint8_t>(i * 7));
    auto q = LoadBytes(EncodePng(interlaced));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->format, kPixelFormatRGB888);
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(std::vector<uint8_t>(q->PixelPtr(0, y), q->PixelPtr(0, y) + 33),
                  std::vector<uint8_t>(interlaced.rows.begin() + y * 33,
                                       interlaced.rows.begin() + (y + 1) * 33))
            << "row " << y;
}

TEST(PngLoad, StartsAtTheStreamPosition) {
    auto picture = test::Picture(1, 1, PNG_COLOR_TYPE_GRAY);
    picture.rows = {77};
    std::vector<uint8_t> bytes{'j', 'u', 'n', 'k'};
    const auto png = EncodePng(picture);
    bytes.insert(bytes.end(), png.begin(), png.end());
    TMemoryStream stream(bytes);
    ASSERT_EQ(stream.Seek(4), 4);
    auto p = LoadPixmap(stream);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(0, 0), 0xFF4D4D4Du);
}

TEST(PngLoad, NotAPngGivesNull) {
    EXPECT_FALSE(LoadBytes({}));
    EXPECT_FALSE(LoadBytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}));
    EXPECT_FALSE(LoadBytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}));
    // One wrong byte in an otherwise good file.
    auto picture = test::Picture(2, 2, PNG_COLOR_TYPE_GRAY);
    picture.rows = {1, 2, 3, 4};
    auto bytes = EncodePng(picture);
    ASSERT_TRUE(LoadBytes(bytes));
    bytes[1] = 'p';
    EXPECT_FALSE(LoadBytes(bytes));
}

TEST(PngLoad, TruncatedOrDamagedGivesNull) {
    auto picture = test::Picture(16, 16, PNG_COLOR_TYPE_RGB);
    for (int i = 0; i < 16 * 16 * 3; ++i)
        picture.rows.push_back(static_cast<uint8_t>(i * 13 + i / 7));
    const auto bytes = EncodePng(picture);
    ASSERT_TRUE(LoadBytes(bytes));
    for (size_t length = 0; length < bytes.size(); ++length)
        ASSERT_FALSE(LoadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)))
            << "cut at " << length << " of " << bytes.size();

    // A flipped bit inside the image data fails its checksum.
    auto damaged = bytes;
    damaged[bytes.size() / 2] ^= 0x10;
    EXPECT_FALSE(LoadBytes(damaged));
}

TEST(PngLoad, PicturesOverTheLimitsGiveNull) {
    EXPECT_FALSE(LoadBytes(test::PngWithHeaderOnly(100000, 100000)));
    EXPECT_FALSE(LoadBytes(test::PngWithHeaderOnly(kPngMaxSide + 1, 1)));
    EXPECT_FALSE(LoadBytes(test::PngWithHeaderOnly(1, kPngMaxSide + 1)));
    // Each side within its limit, but too many pixels together.
    EXPECT_FALSE(LoadBytes(test::PngWithHeaderOnly(kPngMaxSide, kPngMaxSide)));
    // A picture as wide as allowed loads.
    auto widest = test::Picture(kPngMaxSide, 1, PNG_COLOR_TYPE_GRAY);
    widest.rows.assign(kPngMaxSide, 3);
    const auto small = EncodePng(widest);
    auto wide = LoadBytes(small);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->width, static_cast<int>(kPngMaxSide));
    EXPECT_EQ(wide->ReadPixel(kPngMaxSide - 1, 0), 0xFF030303u);
}

// Lets a set number of bytes through, then fails the way the test asks.
class FailingStream : public TMemoryStream {
  public:
    enum class Failure { ShortRead, LogicError };
    FailingStream(std::vector<uint8_t> bytes, int64_t goodBytes, Failure failure)
        : TMemoryStream(std::move(bytes)), goodBytes_(goodBytes), failure_(failure) {}

    int64_t Read(void* buffer, int64_t count) override {
        const int64_t allowed = std::min(count, goodBytes_ - Pos());
        if (allowed <= 0 && failure_ == Failure::LogicError)
            throw std::logic_error("device gone");
        return TMemoryStream::Read(buffer, std::max<int64_t>(allowed, 0));
    }
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t allowed = std::min(count, goodBytes_ - Pos());
        if (allowed <= 0 && failure_ == Failure::LogicError)
            throw std::logic_error("device gone");
        return TMemoryStream::Write(buffer, std::max<int64_t>(allowed, 0));
    }

  private:
    int64_t goodBytes_;
    Failure failure_;
};

TEST(PngLoad, StreamErrorsGiveNullOtherErrorsPassOn) {
    auto picture = test::Picture(4, 4, PNG_COLOR_TYPE_GRAY);
    picture.rows.assign(16, 9);
    const auto bytes = EncodePng(picture);
    FailingStream shortRead(bytes, 40, FailingStream::Failure::ShortRead);
    EXPECT_FALSE(LoadPixmap(shortRead));
    FailingStream broken(bytes, 40, FailingStream::Failure::LogicError);
    EXPECT_THROW(LoadPixmap(broken), std::logic_error);
}

// The rows ReadPngBands hands over, joined into one picture's pixels, with every band's first row
// and height.
struct BandRead {
    bool ok = false;
    std::vector<PngLayout> layouts;
    std::vector<std::pair<int, int>> bands;
    std::vector<uint32_t> pixels;
    int format = 0;
};

BandRead ReadBands(const std::vector<uint8_t>& bytes, int bandRows) {
    BandRead read;
    TMemoryStream stream(bytes);
    read.ok = ReadPngBands(
        stream, bandRows,
        [&](const PngLayout& layout) {
            read.layouts.push_back(layout);
            return true;
        },
        [&](const TPixmap& band, int firstRow) {
            read.bands.emplace_back(firstRow, band.height);
            read.format = band.format;
            const std::vector<uint32_t> rows = Pixels(band);
            read.pixels.insert(read.pixels.end(), rows.begin(), rows.end());
        });
    return read;
}

TEST(PngBands, RowsEqualTheWholePictureInEveryFormat) {
    auto palette = test::Picture(5, 7, PNG_COLOR_TYPE_PALETTE, 8);
    palette.palette = {{10, 20, 30}, {40, 50, 60}, {250, 240, 230}};
    for (int i = 0; i < 35; ++i)
        palette.rows.push_back(static_cast<uint8_t>(i % 3));
    auto interlaced = test::Picture(11, 9, PNG_COLOR_TYPE_RGB);
    interlaced.interlaced = true;
    for (int i = 0; i < 11 * 9 * 3; ++i)
        interlaced.rows.push_back(static_cast<uint8_t>(i * 7));
    const std::vector<std::vector<uint8_t>> files = {
        Encode(*Varied(13, 10, kPixelFormatI8), 6),
        Encode(*Varied(13, 10, kPixelFormatRGB888), 6),
        Encode(*Varied(13, 10, kPixelFormatRGBA8888), 6),
        EncodePng(palette),
        EncodePng(interlaced),
    };
    for (size_t f = 0; f < files.size(); ++f) {
        const auto whole = LoadBytes(files[f]);
        ASSERT_TRUE(whole) << "file " << f;
        for (const int bandRows : {1, 3, 4, 64}) {
            const BandRead read = ReadBands(files[f], bandRows);
            SCOPED_TRACE("file " + std::to_string(f) + ", bands of " + std::to_string(bandRows));
            ASSERT_TRUE(read.ok);
            ASSERT_EQ(read.layouts.size(), 1u);
            EXPECT_EQ(read.layouts[0].width, whole->width);
            EXPECT_EQ(read.layouts[0].height, whole->height);
            EXPECT_EQ(read.layouts[0].format, whole->format);
            EXPECT_EQ(read.format, whole->format);
            EXPECT_EQ(read.pixels, Pixels(*whole));
            // Bands follow each other without gaps; an interlaced picture comes whole.
            const int expectedRows = f == 4 ? whole->height : std::min(bandRows, whole->height);
            int next = 0;
            for (const auto& [first, rows] : read.bands) {
                EXPECT_EQ(first, next);
                EXPECT_EQ(rows, std::min(expectedRows, whole->height - first));
                next = first + rows;
            }
            EXPECT_EQ(next, whole->height);
        }
    }
}

TEST(PngBands, RefusalsAndFailuresHandOverNothingOrReportFalse) {
    const std::vector<uint8_t> png = Encode(*Varied(20, 30, kPixelFormatRGB888), 6);
    TMemoryStream refused(png);
    int sinkCalls = 0;
    EXPECT_FALSE(ReadPngBands(
        refused, 8, [](const PngLayout&) { return false; },
        [&](const TPixmap&, int) { ++sinkCalls; }));
    EXPECT_EQ(sinkCalls, 0);

    EXPECT_FALSE(ReadBands(png, 0).ok);
    EXPECT_FALSE(ReadBands(png, -5).ok);
    EXPECT_TRUE(ReadBands(png, 0).bands.empty());

    // Cut in the pixel data: the rows decoded before the cut may arrive, but the read fails.
    const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    EXPECT_FALSE(ReadBands(cut, 4).ok);
    // Damage after the pixel data fails the read too, as it fails the whole load.
    std::vector<uint8_t> badEnd = png;
    badEnd[badEnd.size() - 5] ^= 0x40;
    EXPECT_FALSE(LoadBytes(badEnd));
    const BandRead damaged = ReadBands(badEnd, 4);
    EXPECT_FALSE(damaged.ok);
    EXPECT_EQ(damaged.bands.size(), 8u);

    EXPECT_FALSE(ReadBands({'n', 'o', 't', ' ', 'p', 'n', 'g', '!', 0, 0}, 4).ok);
    EXPECT_FALSE(ReadBands(test::PngWithHeaderOnly(kPngMaxSide + 1, 1), 4).ok);
    EXPECT_TRUE(ReadBands(test::PngWithHeaderOnly(kPngMaxSide + 1, 1), 4).layouts.empty());
}

TEST(PngBands, WhatTheSinkThrowsReachesTheCaller) {
    const std::vector<uint8_t> png = Encode(*Varied(6, 9, kPixelFormatRGB888), 6);
    TMemoryStream stream(png);
    int sinkCalls = 0;
    EXPECT_THROW(ReadPngBands(stream, 2, nullptr,
                              [&](const TPixmap&, int) {
                                  ++sinkCalls;
                                  throw std::logic_error("sink");
                              }),
                 std::logic_error);
    EXPECT_EQ(sinkCalls, 1);
}

TEST(PngSave, RoundTripsEveryFormat) {
    struct Case {
        int format;
        int loadedFormat;
    };
    for (const Case c :
         {Case{kPixelFormatI8, kPixelFormatI8}, Case{kPixelFormatBGR888, kPixelFormatRGB888},
          Case{kPixelFormatRGB888, kPixelFormatRGB888},
          Case{kPixelFormatBGRA8888, kPixelFormatRGBA8888},
          Case{kPixelFormatRGBA8888, kPixelFormatRGBA8888}}) {
        auto original = Varied(7, 5, c.format);
        auto loaded = LoadBytes(Encode(*original, 6));
        ASSERT_TRUE(loaded) << "format " << c.format;
        EXPECT_EQ(loaded->format, c.loadedFormat);
        EXPECT_EQ(loaded->width, 7);
        EXPECT_EQ(loaded->height, 5);
        EXPECT_EQ(Pixels(*loaded), Pixels(*original)) << "format " << c.format;
    }
}

TEST(PngSave, AlphaOnlyIsWrittenAsWhiteRgba) {
    auto alpha = TPixmap::Create(3, 2, kPixelFormatA8, 4);
    const std::vector<uint8_t> values{0, 1, 127, 128, 254, 255};
    for (int i = 0; i < 6; ++i)
        *alpha->PixelPtr(i % 3, i / 3) = values[static_cast<size_t>(i)];
    auto loaded = LoadBytes(Encode(*alpha, 9));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->format, kPixelFormatRGBA8888);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::vector<uint8_t>(loaded->PixelPtr(i % 3, i / 3),
                                       loaded->PixelPtr(i % 3, i / 3) + 4),
                  (std::vector<uint8_t>{255, 255, 255, values[static_cast<size_t>(i)]}));
}

TEST(PngSave, WindowsAndCompressionLevels) {
    // A window's rows are further apart than its width; only its own pixels are written.
    auto big = Varied(9, 7, kPixelFormatRGB888);
    auto window = big->Window(2, 3, 4, 3);
    auto loaded = LoadBytes(Encode(*window, 1));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->width, 4);
    EXPECT_EQ(loaded->height, 3);
    EXPECT_EQ(Pixels(*loaded), Pixels(*window));

    // Levels outside 0-9 are clamped, not refused; level 0 stores without compressing.
    auto flat = TPixmap::Create(64, 64, kPixelFormatRGBA8888, 4);
    flat->ClearPixels(0xFF336699);
    const auto stored = Encode(*flat, -3);
    const auto packed = Encode(*flat, 42);
    EXPECT_EQ(stored, Encode(*flat, 0));
    EXPECT_EQ(packed, Encode(*flat, 9));
    EXPECT_GT(stored.size(), 64u * 64u * 4u);
    EXPECT_LT(packed.size(), 1000u);
    EXPECT_EQ(Pixels(*LoadBytes(stored)), Pixels(*flat));
    EXPECT_EQ(Pixels(*LoadBytes(packed)), Pixels(*flat));
}

TEST(PngSave, StreamFailuresReachTheCaller) {
    auto p = Varied(32, 32, kPixelFormatRGBA8888);
    FailingStream full({}, 100, FailingStream::Failure::ShortRead);
    EXPECT_THROW(WritePixmapPNG(*p, full, 6), TStreamWriteException);
    FailingStream broken({}, 100, FailingStream::Failure::LogicError);
    EXPECT_THROW(WritePixmapPNG(*p, broken, 6), std::logic_error);
}

TEST(PngSave, RowProgressCountsEveryRowUpToTheHeight) {
    for (const int format : {kPixelFormatRGBA8888, kPixelFormatBGR888, kPixelFormatA8}) {
        auto p = Varied(6, 5, format);
        TMemoryStream stream;
        std::vector<std::pair<int, int>> calls;
        int64_t bytesAtLastRow = -1;
        ASSERT_TRUE(WritePixmapPNG(*p, stream, 6, [&](int rowsWritten, int rowsTotal) {
            calls.emplace_back(rowsWritten, rowsTotal);
            if (rowsWritten == rowsTotal)
                bytesAtLastRow = stream.Size();
        }));
        EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}))
            << "format " << format;
        // Watching the rows changes nothing in the file; by the last row only the 12-byte
        // closing chunk is still to come.
        const auto bytes = stream.TakeBytes();
        EXPECT_EQ(bytes, Encode(*p, 6)) << "format " << format;
        EXPECT_EQ(bytesAtLastRow + 12, static_cast<int64_t>(bytes.size())) << "format " << format;
    }
}

TEST(PngSave, ThrowingRowProgressStopsTheWriteAndReachesTheCaller) {
    auto p = Varied(4, 9, kPixelFormatRGB888);
    TMemoryStream stream;
    int lastRow = 0;
    EXPECT_THROW(WritePixmapPNG(*p, stream, 6,
                                [&lastRow](int rowsWritten, int) {
                                    lastRow = rowsWritten;
                                    if (rowsWritten == 3)
                                        throw std::runtime_error("cancelled");
                                }),
                 std::runtime_error);
    EXPECT_EQ(lastRow, 3);
}

TEST_F(PngFiles, SaveAndLoadThroughFiles) {
    auto original = Varied(10, 6, kPixelFormatBGRA8888);
    const auto path = PathOf("picture.png");
    ASSERT_TRUE(WritePixmapPNG(*original, path, 8));
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(bytes, Encode(*original, 8));

    auto loaded = LoadPixmap(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Pixels(*loaded), Pixels(*original));

    // An existing file is replaced, not appended to.
    auto small = Varied(1, 1, kPixelFormatI8);
    ASSERT_TRUE(WritePixmapPNG(*small, path, 8));
    EXPECT_EQ(std::filesystem::file_size(path), Encode(*small, 8).size());
    EXPECT_EQ(Pixels(*LoadPixmap(path)), Pixels(*small));
}

TEST_F(PngFiles, MissingFilesAndFoldersFail) {
    auto p = Varied(2, 2, kPixelFormatRGB888);
    EXPECT_FALSE(WritePixmapPNG(*p, PathOf("no/such/folder/picture.png"), 9));
    EXPECT_FALSE(std::filesystem::exists(PathOf("no")));
    EXPECT_FALSE(LoadPixmap(PathOf("missing.png")));
    EXPECT_FALSE(LoadPixmap(folder_.string()));

    const auto text = PathOf("notes.png");
    std::ofstream(text) << "not a picture";
    EXPECT_FALSE(LoadPixmap(text));
}

TEST(PngSave, FullDiskThrowsWriteException) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    auto p = Varied(128, 128, kPixelFormatRGBA8888);
    EXPECT_THROW(WritePixmapPNG(*p, "/dev/full", 0), TStreamWriteException);
    auto tiny = Varied(1, 1, kPixelFormatI8);
    EXPECT_THROW(WritePixmapPNG(*tiny, "/dev/full", 9), TStreamWriteException);
}

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
    const auto picture = LoadBytes(bytes);
    return picture ? Pixels(*picture) : std::vector<uint32_t>{};
}

TEST(PngHostileInput, EveryReaderStopsAfterTheLastRow) {
    const ScratchDir folder;
    // The 8 GiB of zeros make a file of about 8.5 MB that takes the old decoder most of a minute.
    for (const uint64_t zeros : {uint64_t{0}, 8 * kGiB}) {
        SCOPED_TRACE(zeros);
        const std::vector<uint8_t> png = test::PngWithDataPastLastRow(SmallRgb(), zeros);
        EXPECT_EQ(LoadedPixels(png), kSmallRgbPixels);

        const auto fromFile =
            LoadPixmap(folder.Write("zeros.png", std::string(png.begin(), png.end())));
        ASSERT_TRUE(fromFile);
        EXPECT_EQ(Pixels(*fromFile), kSmallRgbPixels);

        TMemoryStream banded(png);
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(ReadPngBands(banded, 1, nullptr, [&pixels](const TPixmap& band, int) {
            const std::vector<uint32_t> row = Pixels(band);
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
    const std::vector<uint8_t> png = EncodePng(SmallRgb());
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
            EXPECT_EQ(LoadedPixels(EncodePng(picture)), expected) << width << " x " << height;
        }
    }
}

} // namespace
} // namespace dm
