#include "files/image_export.h"

#include "platform/png_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace dm {
namespace {

constexpr int kGlyphW = 2;
constexpr int kGlyphH = 3;

// The RGBA8888 bytes a palette entry of TestLook paints.
std::array<uint8_t, 4> EntryBytes(int i) {
    return {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
            static_cast<uint8_t>(i * 3 & 0xFF), 255};
}

std::array<uint8_t, 4> PixelBytes(const TPixmap& picture, int x, int y) {
    std::array<uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), picture.PixelPtr(x, y), 4);
    return bytes;
}

constexpr std::array<uint8_t, 4> kTransparent{0, 0, 0, 0};

class ImageExport : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() /
                  ("duskmarch_export_" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Path(const std::string& name) const { return (folder_ / name).generic_string(); }

    // A look whose tileset names "glyphs.png" in the test folder, written with sheet pixel
    // (x, y) from colorAt (packed ARGB).
    ExportLook TestLook(int glyphW, int glyphH,
                        const std::function<uint32_t(int, int)>& colorAt) const {
        const std::shared_ptr<TPixmap> sheet =
            TPixmap::Create(16 * glyphW, 16 * glyphH, PF_RGBA8888, 4);
        for (int y = 0; y < sheet->height; ++y) {
            for (int x = 0; x < sheet->width; ++x) {
                sheet->WritePixel(x, y, colorAt(x, y));
            }
        }
        EXPECT_TRUE(WritePixmapPNG(*sheet, Path("glyphs_fg.png"), 1));
        ExportLook look;
        look.tilesetPath = Path("glyphs.png");
        look.GlyphWidth = glyphW;
        look.GlyphHeight = glyphH;
        for (int i = 0; i < 256; ++i) {
            const auto bytes = EntryBytes(i);
            look.palette[i] = bytes[0];
            look.palette[256 + i] = bytes[1];
            look.palette[512 + i] = bytes[2];
        }
        return look;
    }

    std::filesystem::path folder_;
};

// Glyph 17 (column 1, row 1) marks two pixels with opaque white; next to them lie a
// half-transparent white and an almost white pixel. Glyphs 1 and 16 are fully white, so a
// block taken from the wrong row or column shows.
uint32_t PatternSheet(int x, int y) {
    const int glyph = y / kGlyphH * 16 + x / kGlyphW;
    const int px = x % kGlyphW, py = y % kGlyphH;
    if (glyph == 1 || glyph == 16) {
        return 0xFFFFFFFFu;
    }
    if (glyph != 17) {
        return 0xFF000000u;
    }
    if ((px == 0 && py == 0) || (px == 1 && py == 2)) {
        return 0xFFFFFFFFu;
    }
    return px == 1 && py == 0 ? 0x80FFFFFFu : 0xFFFFFFFEu;
}

TEST_F(ImageExport, PictureIsTheMapTimesTheGlyphSizeAndIsSavedAsRGBA) {
    const ExportLook look = TestLook(8, 12, [](int, int) { return 0xFFFFFFFFu; });
    const auto map = tilemap::Create(2, 1);
    map->SetTile(0, 0, 0, 5, 6, 1);
    map->SetTile(1, 0, 0, 7, 6, 1);
    const auto picture = ExportPNG(*map, Path("out.png"), 8, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 16);
    EXPECT_EQ(picture->height, 12);
    EXPECT_EQ(picture->format, PF_RGBA8888);
    EXPECT_EQ(PixelBytes(*picture, 7, 11), EntryBytes(5));
    EXPECT_EQ(PixelBytes(*picture, 8, 0), EntryBytes(7));

    const auto saved = LoadPixmap(Path("out.png"));
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->format, PF_RGBA8888);
    ASSERT_EQ(saved->width, 16);
    ASSERT_EQ(saved->height, 12);
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(std::memcmp(saved->PixelPtr(0, y), picture->PixelPtr(0, y), 16 * 4), 0) << y;
    }
}

TEST_F(ImageExport, OnlyExactlyOpaqueWhiteTakesTheForeground) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(3, 2);
    map->SetTile(2, 1, 17, 1, 2, 1);
    const auto picture = ExportPNG(*map, Path("out.png"), 8, look);
    ASSERT_NE(picture, nullptr);
    const int left = 2 * kGlyphW, top = 1 * kGlyphH;
    EXPECT_EQ(PixelBytes(*picture, left + 0, top + 0), EntryBytes(1));
    EXPECT_EQ(PixelBytes(*picture, left + 1, top + 2), EntryBytes(1));
    EXPECT_EQ(PixelBytes(*picture, left + 1, top + 0), EntryBytes(2)); // half-transparent white
    EXPECT_EQ(PixelBytes(*picture, left + 0, top + 1), EntryBytes(2)); // almost white
    EXPECT_EQ(PixelBytes(*picture, left + 1, top + 1), EntryBytes(2));
    EXPECT_EQ(PixelBytes(*picture, left + 0, top + 2), EntryBytes(2));
    // Cells left at glyph 0, colours 0 on black sheet pixels paint entry 0.
    EXPECT_EQ(PixelBytes(*picture, 0, 0), EntryBytes(0));
    EXPECT_EQ(PixelBytes(*picture, left - 1, top + 2), EntryBytes(0));
}

TEST_F(ImageExport, ColourIndex255LeavesPixelsTransparent) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(3, 1);
    map->SetTile(0, 0, 17, 255, 4, 1);
    map->SetTile(1, 0, 17, 4, 255, 1);
    map->SetTile(2, 0, 17, 255, 255, 1);
    const auto picture = ExportPNG(*map, Path("out.png"), 8, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(PixelBytes(*picture, 0, 0), kTransparent);
    EXPECT_EQ(PixelBytes(*picture, 1, 0), EntryBytes(4));
    EXPECT_EQ(PixelBytes(*picture, 2, 0), EntryBytes(4));
    EXPECT_EQ(PixelBytes(*picture, 3, 0), kTransparent);
    for (int y = 0; y < kGlyphH; ++y) {
        for (int x = 4; x < 6; ++x) {
            EXPECT_EQ(PixelBytes(*picture, x, y), kTransparent) << x << "," << y;
        }
    }
}

TEST_F(ImageExport, TheMapsTransparentColourIsPaintedLikeAnyOther) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, [](int, int) { return 0xFF000000u; });
    const auto map = tilemap::Create(1, 1);
    map->transparentcolor = 9;
    map->SetTile(0, 0, 0, 9, 9, 1);
    const auto picture = ExportPNG(*map, Path("out.png"), 8, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(PixelBytes(*picture, 1, 2), EntryBytes(9));
}

TEST_F(ImageExport, FailuresGiveNullAndLeaveNoFile) {
    const auto map = tilemap::Create(2, 2);
    ExportLook look;
    look.tilesetPath = Path("absent.png");
    look.GlyphWidth = 8;
    look.GlyphHeight = 8;
    EXPECT_EQ(ExportPNG(*map, Path("out.png"), 8, look), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));

    // A sheet smaller than 16 x 16 glyphs of the look's size cannot be sampled.
    look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    look.GlyphHeight = kGlyphH + 1;
    EXPECT_EQ(ExportPNG(*map, Path("out.png"), 8, look), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));

    look.GlyphHeight = kGlyphH;
    EXPECT_EQ(ExportPNG(*tilemap::Create(0, 3), Path("out.png"), 8, look), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));

    EXPECT_EQ(ExportPNG(*map, Path("no/such/folder/out.png"), 8, look), nullptr);
}

TEST_F(ImageExport, ProgressRisesThroughRenderingAndEncodingToTheWholeJob) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    // 4 cell rows give 12 picture rows: rendering reports 25, 50, 75, 100 thousandths, then
    // each encoded picture row adds a twelfth of the 899 left short of the total.
    const auto map = tilemap::Create(4, 4);
    std::vector<int> reports;
    const std::string out = Path("out.png");
    ASSERT_NE(ExportPNG(*map, out, 8, look,
                        [&reports, &out](int thousandths) {
                            reports.push_back(thousandths);
                            // The whole job is reported only for a finished file.
                            if (thousandths == kExportProgressTotal) {
                                EXPECT_NE(LoadPixmap(out), nullptr);
                            }
                        }),
              nullptr);
    std::vector<int> expected{25, 50, 75, 100};
    for (int row = 1; row <= 12; ++row) {
        expected.push_back(100 + row * 899 / 12);
    }
    expected.push_back(1000);
    EXPECT_EQ(reports, expected);

    // A picture of more rows than thousandths is told only the figures that rise.
    reports.clear();
    ASSERT_NE(ExportPNG(*tilemap::Create(1, 900), out, 0, look,
                        [&reports](int thousandths) { reports.push_back(thousandths); }),
              nullptr);
    expected.assign(kExportProgressTotal, 0);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(reports, expected);
}

TEST_F(ImageExport, FailedWritesNeverReportTheWholeJob) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(2, 2);
    std::vector<int> reports;
    const auto record = [&reports](int thousandths) { reports.push_back(thousandths); };
    EXPECT_EQ(ExportPNG(*map, Path("no/such/folder/out.png"), 8, look, record), nullptr);
    EXPECT_EQ(reports, (std::vector<int>{50, 100}));

    if (std::filesystem::exists("/dev/full")) {
        reports.clear();
        EXPECT_EQ(ExportPNG(*map, "/dev/full", 8, look, record), nullptr);
        ASSERT_FALSE(reports.empty());
        EXPECT_LT(reports.back(), kExportProgressTotal);
    }
}

TEST_F(ImageExport, ThrowingProgressEndsTheExportDuringEitherStage) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(2, 4);
    for (const int stopAt : {50, 500}) {
        std::vector<int> reports;
        EXPECT_THROW(ExportPNG(*map, Path("out.png"), 8, look,
                               [&reports, stopAt](int thousandths) {
                                   reports.push_back(thousandths);
                                   if (thousandths >= stopAt) {
                                       throw std::runtime_error("cancelled");
                                   }
                               }),
                     std::runtime_error);
        // Nothing is told after the figure that threw.
        ASSERT_FALSE(reports.empty());
        EXPECT_GE(reports.back(), stopAt);
        EXPECT_EQ(std::count_if(reports.begin(), reports.end(),
                                [stopAt](int figure) { return figure >= stopAt; }),
                  1)
            << stopAt;
    }
}

TEST_F(ImageExport, CompressionLevelReachesTheWriter) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(32, 32);
    ASSERT_NE(ExportPNG(*map, Path("stored.png"), 0, look), nullptr);
    ASSERT_NE(ExportPNG(*map, Path("packed.png"), 9, look), nullptr);
    EXPECT_GT(std::filesystem::file_size(Path("stored.png")),
              4 * std::filesystem::file_size(Path("packed.png")));
}

} // namespace
} // namespace dm
