#include "files/image_export.h"

#include "container_test_support.h"
#include "files/parallel_png_writer.h"
#include "platform/pictures/png_codec.h"
#include "support/peak_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

    // Exports the map to out.png and loads the picture written; null when either fails.
    std::shared_ptr<TPixmap> Exported(const tilemap& map, const ExportLook& look) const {
        const Outcome result = ExportPNG(map, Path("out.png"), 8, look);
        EXPECT_TRUE(result) << result.Why();
        return result ? LoadPixmap(Path("out.png")) : nullptr;
    }

    // A look whose tileset names "glyphs.png" in the test folder, written with sheet pixel
    // (x, y) from colorAt (packed ARGB).
    ExportLook TestLook(int glyphW, int glyphH,
                        const std::function<uint32_t(int, int)>& colorAt) const {
        const std::shared_ptr<TPixmap> sheet =
            TPixmap::Create(16 * glyphW, 16 * glyphH, kPixelFormatRGBA8888, 4);
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

// A map of glyphs whose pattern-sheet blocks are blank, full, column 1 and row 1, in random
// colours, a fifth of the backgrounds 255.
std::shared_ptr<tilemap> PatternMap(int w, int h) {
    const auto map = tilemap::Create(w, h);
    std::mt19937 random(21);
    constexpr uint8_t kGlyphs[] = {0, 1, 16, 17};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            map->SetTile(x, y, kGlyphs[random() % 4], static_cast<uint8_t>(random()),
                         random() % 5 == 0 ? 255 : static_cast<uint8_t>(random()), 1);
        }
    }
    return map;
}

// The pixels of an export of the map with the pattern sheet that differ from what each one
// works out to from the map, the sheet and the palette without the exporter; the first is
// reported.
int WrongPixels(const TPixmap& picture, const tilemap& map) {
    EXPECT_EQ(picture.width, map.tmapw * kGlyphW);
    EXPECT_EQ(picture.height, map.tmaph * kGlyphH);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint8_t glyph = 0, fg = 0, bg = 0;
            map.GrabTile(x / kGlyphW, y / kGlyphH, glyph, fg, bg);
            const uint8_t index = PatternSheet(glyph % 16 * kGlyphW + x % kGlyphW,
                                               glyph / 16 * kGlyphH + y % kGlyphH) == 0xFFFFFFFFu
                                      ? fg
                                      : bg;
            const auto expected = index == 255 ? kTransparent : EntryBytes(index);
            if (PixelBytes(picture, x, y) != expected && wrong++ == 0) {
                ADD_FAILURE() << "first wrong pixel at " << x << "," << y;
            }
        }
    }
    return wrong;
}

TEST_F(ImageExport, PictureIsTheMapTimesTheGlyphSizeAndIsSavedAsRGBA) {
    const ExportLook look = TestLook(8, 12, [](int, int) { return 0xFFFFFFFFu; });
    const auto map = tilemap::Create(2, 1);
    map->SetTile(0, 0, 0, 5, 6, 1);
    map->SetTile(1, 0, 0, 7, 6, 1);
    const auto picture = Exported(*map, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 16);
    EXPECT_EQ(picture->height, 12);
    EXPECT_EQ(picture->format, kPixelFormatRGBA8888);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(PixelBytes(*picture, x, y), EntryBytes(x < 8 ? 5 : 7)) << x << "," << y;
        }
    }
}

TEST_F(ImageExport, OnlyExactlyOpaqueWhiteTakesTheForeground) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(3, 2);
    map->SetTile(2, 1, 17, 1, 2, 1);
    const auto picture = Exported(*map, look);
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
    const auto picture = Exported(*map, look);
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
    const auto picture = Exported(*map, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(PixelBytes(*picture, 1, 2), EntryBytes(9));
}

TEST_F(ImageExport, FailuresSayWhyAndLeaveThePreviousPictureAlone) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    ExportLook absent = look;
    absent.tilesetPath = Path("absent.png");
    ExportLook tall = look;
    tall.GlyphHeight = kGlyphH + 1;
    const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    test::WriteFileBytes(Path("out.png"), previous);
    test::WriteFileBytes(Path("locked.png"), previous);
    ::chmod(Path("locked.png").c_str(), 0444);
    const auto map = tilemap::Create(2, 2);
    const struct {
        std::shared_ptr<tilemap> map;
        ExportLook look;
        std::string path;
        std::string error;
    } cases[] = {
        {map, absent, "out.png", "Cannot load the glyph sheet " + Path("absent_fg.png") + "."},
        {map, tall, "out.png",
         "The glyph sheet " + Path("glyphs_fg.png") +
             " is 32 x 48 pixels, too small for 16 x 16 glyphs of 2 x 4 pixels."},
        {tilemap::Create(0, 3), look, "out.png", "The map has no cells to export."},
        {tilemap::Create(500001, 1), look, "out.png",
         "The picture would be 1000002 x 3 pixels; a PNG picture is written at most 1000000 "
         "pixels wide and high."},
        {map, look, "no/such/folder/out.png",
         "Cannot write " + Path("no/such/folder/out.png") + ": No such file or directory."},
        {map, look, "locked.png", "Cannot write " + Path("locked.png") + ": Permission denied."},
    };
    for (const auto& c : cases) {
        const Outcome result = ExportPNG(*c.map, Path(c.path), 8, c.look);
        ASSERT_FALSE(result) << c.error;
        EXPECT_EQ(result.Why(), c.error);
    }
    EXPECT_EQ(test::ReadFileBytes(Path("out.png")), previous);
    EXPECT_EQ(test::ReadFileBytes(Path("locked.png")), previous);
    // The test's own sheet and what was there before; no side file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 3);
}

TEST_F(ImageExport, ProgressRisesThroughRenderingAndEncodingToTheWholeJob) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    // 4 cell rows give 12 picture rows, each adding a twelfth of the 999 short of the total.
    const auto map = tilemap::Create(4, 4);
    std::vector<int> reports;
    const std::string out = Path("out.png");
    ASSERT_TRUE(ExportPNG(*map, out, 8, look, [&reports, &out](int thousandths) {
        reports.push_back(thousandths);
        // The whole job is reported only for a finished file.
        if (thousandths == kProgressTotal) {
            EXPECT_NE(LoadPixmap(out), nullptr);
        }
    }));
    std::vector<int> expected;
    for (int row = 1; row <= 12; ++row) {
        expected.push_back(row * 999 / 12);
    }
    expected.push_back(1000);
    EXPECT_EQ(reports, expected);

    // A picture of more rows than thousandths is told only the figures that rise.
    reports.clear();
    ASSERT_TRUE(ExportPNG(*tilemap::Create(1, 900), out, 0, look,
                          [&reports](int thousandths) { reports.push_back(thousandths); }));
    expected.assign(kProgressTotal, 0);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(reports, expected);
}

TEST_F(ImageExport, FailedWritesNeverReportTheWholeJob) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(2, 2);
    std::vector<int> reports;
    const auto record = [&reports](int thousandths) { reports.push_back(thousandths); };
    EXPECT_FALSE(ExportPNG(*map, Path("no/such/folder/out.png"), 8, look, record));
    EXPECT_TRUE(reports.empty());

    if (std::filesystem::exists("/dev/full")) {
        const Outcome full = ExportPNG(*map, "/dev/full", 8, look, record);
        EXPECT_FALSE(full);
        EXPECT_EQ(full.Why(), "Writing /dev/full failed: No space left on device.");
        // Rows are told once they are in the file, and the first band's write already fails.
        EXPECT_TRUE(reports.empty());
    }
}

TEST_F(ImageExport, ThrowingProgressEndsTheExportDuringEitherStage) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(2, 4);
    const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    test::WriteFileBytes(Path("out.png"), previous);
    for (const int stopAt : {50, 500}) {
        std::vector<int> reports;
        EXPECT_THROW(static_cast<void>(ExportPNG(*map, Path("out.png"), 8, look,
                                                 [&reports, stopAt](int thousandths) {
                                                     reports.push_back(thousandths);
                                                     if (thousandths >= stopAt) {
                                                         throw std::runtime_error("cancelled");
                                                     }
                                                 })),
                     std::runtime_error);
        // Nothing is told after the figure that threw.
        ASSERT_FALSE(reports.empty());
        EXPECT_GE(reports.back(), stopAt);
        EXPECT_EQ(std::count_if(reports.begin(), reports.end(),
                                [stopAt](int figure) { return figure >= stopAt; }),
                  1)
            << stopAt;
        EXPECT_EQ(test::ReadFileBytes(Path("out.png")), previous);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(ImageExport, BandsOfRowsJoinIntoTheWholePicture) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    // About 8000 pixels across, so that the picture's 300 rows make several bands, each ending
    // inside a row of glyphs.
    int cells = 4000;
    while (BandRowsFor(cells * kGlyphW, CoreCount()) % kGlyphH == 0) {
        --cells;
    }
    ASSERT_LT(BandRowsFor(cells * kGlyphW, CoreCount()), 150);
    const auto map = PatternMap(cells, 100);
    const auto picture = Exported(*map, look);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(WrongPixels(*picture, *map), 0);
}

TEST_F(ImageExport, EveryCompressionLevelGivesThePictureExactly) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    // Far narrower and shorter than one band.
    const auto map = PatternMap(11, 7);
    for (int compression = 0; compression <= 9; ++compression) {
        const std::string path = Path("level" + std::to_string(compression) + ".png");
        const Outcome result = ExportPNG(*map, path, compression, look);
        ASSERT_TRUE(result) << result.Why();
        const auto picture = LoadPixmap(path);
        ASSERT_NE(picture, nullptr) << compression;
        EXPECT_EQ(WrongPixels(*picture, *map), 0) << compression;
    }
}

// Runs an export in a child process whose files may grow to limitBytes, as on a nearly full
// disk, and returns what it reported: "ok" or the error, then the last progress figure.
std::string ExportWithFileSizeLimit(const tilemap& map, const std::string& path,
                                    const ExportLook& look, rlim_t limitBytes) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limitBytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int last = 0;
        const Outcome result =
            ExportPNG(map, path, 8, look, [&last](int thousandths) { last = thousandths; });
        const std::string report = (result ? "ok" : result.Why()) + " " + std::to_string(last);
        const bool sent = ::write(pipeEnds[1], report.data(), report.size()) ==
                          static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof(buffer))) > 0;) {
        report.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? report : "child failed";
}

TEST_F(ImageExport, AFullDiskEndsTheWorkAtTheFirstFailedWrite) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    // 2048 x 3000 pixels of glyphs in random colours: a dozen bands of megabytes each.
    const auto map = PatternMap(1024, 1000);
    const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    test::WriteFileBytes(Path("out.png"), previous);

    const std::string report = ExportWithFileSizeLimit(*map, Path("out.png"), look, 64 << 10);
    const std::string error = "Writing " + Path("out.png") + " failed: File too large. ";
    ASSERT_EQ(report.substr(0, error.size()), error);
    // Progress tells the rows in the file: at most the first band's before the failure.
    const int rowsPerBand = BandRowsFor(2048, CoreCount());
    EXPECT_LE(std::stoi(report.substr(error.size())), kProgressTotal * rowsPerBand / 3000);
    EXPECT_LT(std::stoi(report.substr(error.size())), 100);
    EXPECT_EQ(test::ReadFileBytes(Path("out.png")), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(ImageExport, MemoryDoesNotGrowWithThePicture) {
    if (!test::PeakMemory::Reset()) {
        GTEST_SKIP() << "peak memory cannot be measured on this system";
    }
    const ExportLook look =
        TestLook(8, 14, [](int x, int y) { return (x + y) % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u; });
    // 2048 x 7168 pixels: 56 MiB as one RGBA picture.
    const auto map = tilemap::Create(256, 512);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i * 7 % 251);
    }
    ASSERT_TRUE(test::PeakMemory::Reset());
    const int64_t before = test::PeakMemory::Current();
    const Outcome result = ExportPNG(*map, Path("big.png"), 1, look);
    const int64_t added = test::PeakMemory::Peak() - before;
    ASSERT_TRUE(result) << result.Why();
    EXPECT_LT(added, 16 << 20);
}

TEST_F(ImageExport, CompressionLevelReachesTheWriter) {
    const ExportLook look = TestLook(kGlyphW, kGlyphH, PatternSheet);
    const auto map = tilemap::Create(32, 32);
    ASSERT_TRUE(ExportPNG(*map, Path("stored.png"), 0, look));
    ASSERT_TRUE(ExportPNG(*map, Path("packed.png"), 9, look));
    EXPECT_GT(std::filesystem::file_size(Path("stored.png")),
              4 * std::filesystem::file_size(Path("packed.png")));
}

} // namespace
} // namespace dm
