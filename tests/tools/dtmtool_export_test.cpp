#include "files/container_test_support.h"
#include "tool_run.h"

#include "files/tilemap_file.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace dm {
namespace {

using test::ContainerTempFolder;
using test::RunDtmtool;
using test::ToolRun;

class DtmtoolExport : public testing::Test {
  protected:
    void SetUp() override {
        // An 8 x 8 tileset whose glyphs are white in their left half only, and a palette of
        // 256 greys.
        WritePicture("glyphs_fg.png", 128, 128,
                     [](int x, int) { return x % 8 < 4 ? 0xFFFFFFFFu : 0xFF000000u; });
        WritePicture("glyphs_bg.png", 128, 128, [](int, int) { return 0xFFFFFFFFu; });
        WritePicture("grey.png", 16, 16, [](int x, int y) {
            return 0xFF000000u | static_cast<uint32_t>(y * 16 + x) * 0x010101u;
        });
        std::ofstream(folder_.Path("look.txt")) << "tileset " << folder_.Path("glyphs.png")
                                                << "\npallet " << folder_.Path("grey.png") << "\n";

        const auto map = tilemap::Create(3, 2);
        map->SetTile(2, 1, 65, 200, 40, 1);
        map->SetTile(0, 0, 65, 255, 7, 1);
        testing::internal::CaptureStdout();
        EXPECT_EQ(Save(*map, folder_.Path("in.dtm")), 1);
        testing::internal::GetCapturedStdout();
    }

    void WritePicture(const std::string& name, int width, int height,
                      const std::function<uint32_t(int, int)>& colorAt) {
        const auto picture = TPixmap::Create(width, height, kPixelFormatRGB888, 4);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                picture->WritePixel(x, y, colorAt(x, y));
            }
        }
        ASSERT_TRUE(WritePixmapPNG(*picture, folder_.Path(name), 1));
    }

    // Runs "dtmtool export" with the arguments from inside the test folder.
    ToolRun Export(std::vector<std::string> args) {
        args.insert(args.begin(), "export");
        return RunDtmtool(args, folder_);
    }

    ContainerTempFolder folder_;
};

std::array<uint8_t, 4> PixelBytes(const TPixmap& picture, int x, int y) {
    std::array<uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), picture.PixelPtr(x, y), 4);
    return bytes;
}

TEST_F(DtmtoolExport, RendersTheMapWithTheConfiguredLook) {
    const ToolRun run = Export({"in.dtm", "out.png", "--config", "look.txt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const auto picture = LoadPixmap(folder_.Path("out.png"));
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->format, kPixelFormatRGBA8888);
    ASSERT_EQ(picture->width, 24);
    ASSERT_EQ(picture->height, 16);
    using Bytes = std::array<uint8_t, 4>;
    EXPECT_EQ(PixelBytes(*picture, 16, 8), (Bytes{200, 200, 200, 255}));
    EXPECT_EQ(PixelBytes(*picture, 23, 15), (Bytes{40, 40, 40, 255}));
    EXPECT_EQ(PixelBytes(*picture, 3, 0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(PixelBytes(*picture, 4, 0), (Bytes{7, 7, 7, 255}));
}

TEST_F(DtmtoolExport, ExportOverTheFileSizeLimitFailsAndKeepsThePreviousPicture) {
    const auto map = tilemap::Create(64, 64);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i * 31);
    }
    testing::internal::CaptureStdout();
    ASSERT_EQ(Save(*map, folder_.Path("big.dtm")), 1);
    testing::internal::GetCapturedStdout();
    const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    test::WriteFileBytes(folder_.Path("out.png"), previous);
    // Files may grow to 2 kB; the stored picture takes 1 MB.
    const ToolRun run = test::RunDtmtool(
        {"export", "big.dtm", "out.png", "--config", "look.txt", "--compression", "0"}, folder_,
        "ulimit -f 4");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: Failed to export tilemap image! Writing " +
                           folder_.Path("out.png") + " failed: File too large.\n");
    EXPECT_EQ(test::ReadFileBytes(folder_.Path("out.png")), previous);
    for (const std::string& name : folder_.Names()) {
        EXPECT_FALSE(name.starts_with(".out.png.")) << name;
    }
}

TEST_F(DtmtoolExport, ShippedConfigurationAndArtAreFoundBesideTheProgram) {
    // A configuration outside the program's folder still names the shipped art relatively.
    std::ofstream(folder_.Path("shipped.txt"))
        << "tileset data\\image\\curses.png\npallet data/image/pallet.png\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"in.dtm", "default.png"},
          std::vector<std::string>{"in.dtm", "relative.png", "--config", "shipped.txt"}}) {
        const ToolRun run = Export(args);
        EXPECT_EQ(run.status, 0) << run.err;
        const auto picture = LoadPixmap(folder_.Path(args[1]));
        ASSERT_NE(picture, nullptr) << args[1];
        const auto sheet = LoadPixmap(std::filesystem::path(DTMTOOL_PATH).parent_path() /
                                      "data/image/curses_fg.png");
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(picture->width, 3 * (sheet->width / 16));
        EXPECT_EQ(picture->height, 2 * (sheet->height / 16));
    }
}

TEST_F(DtmtoolExport, StartUpFailuresEndWithStatus255AndTheMessage) {
    std::ofstream(folder_.Path("broken.txt")) << "tileset " << folder_.Path("none.png") << "\n";
    ToolRun run = Export({"in.dtm", "out.png", "--config", "broken.txt"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err, "Failed to load " + folder_.Path("none_fg.png") + "\n");

    run = Export({"in.dtm", "out.png", "--config", "missing.txt"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err, "Failed to read " + folder_.Path("missing.txt") + "\n");

    std::ofstream(folder_.Path("bad.txt")) << "width 80\ncolour 3\n";
    run = Export({"in.dtm", "out.png", "--config", "bad.txt"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err,
              "Unrecognized keyword 'colour' on line 2 of " + folder_.Path("bad.txt") + "\n");
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out.png")));
}

// Quoted text of the configuration can hold any byte; the messages quoting it show them escaped.
TEST_F(DtmtoolExport, BytesOfTheConfigurationAreShownEscaped) {
    std::ofstream(folder_.Path("odd.txt"))
        << "title \"Map\033]0;x\007y\npallet " << folder_.Path("grey.png") << "\ntileset \""
        << folder_.Path("gl\033[2Jyphs.png") << "\"\n";
    const ToolRun run = Export({"in.dtm", "out.png", "--config", "odd.txt"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err, "Improperly teminated string on line 1 of " + folder_.Path("odd.txt") +
                           " ( Map\\x1b]0;x\\x07y )\nFailed to load " +
                           folder_.Path("gl\\x1b[2Jyphs_fg.png") + "\n");
}

// With the current folder removed, relative paths cannot be found and say so; absolute ones work.
TEST_F(DtmtoolExport, ARemovedCurrentFolderLeavesOnlyAbsolutePaths) {
    const std::filesystem::path gone = folder_.Root() / "gone";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"in.dtm", folder_.Path("out.png")},
         1,
         "dtmtool: cannot find in.dtm from the current folder: No such file or directory\n"},
        {{folder_.Path("in.dtm"), folder_.Path("out.png"), "--config", "look.txt"},
         1,
         "dtmtool: cannot find look.txt from the current folder: No such file or directory\n"},
        {{folder_.Path("in.dtm"), folder_.Path("out.png"), "--config", folder_.Path("look.txt")},
         0,
         ""},
    };
    for (const auto& c : cases) {
        std::filesystem::create_directory(gone);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "export");
        const ToolRun run = RunDtmtool(args, folder_, "cd gone && rmdir ../gone");
        EXPECT_EQ(run.status, c.status) << c.err;
        EXPECT_EQ(run.err, c.err);
    }
    const auto picture = LoadPixmap(folder_.Path("out.png"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 24);
}

TEST_F(DtmtoolExport, BadArgumentsAndFailedExportsAreReported) {
    ToolRun run = Export({"in.dtm", "no/folder/out.png", "--config", "look.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: Failed to export tilemap image! Cannot write " +
                           folder_.Path("no/folder/out.png") + ": No such file or directory.\n");

    run = Export({"in.dtm", "out.png", "--compression", "10"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("dtmtool: --compression needs a level from 0 to 9\n"));
    run = Export({"in.dtm", "out.png", "--config"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("dtmtool: --config needs a path\n"));
    run = Export({"in.dtm"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("dtmtool: expected 2 file names, got 1\n"));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out.png")));
}

TEST_F(DtmtoolExport, CompressionLevelIsPassedOn) {
    ASSERT_EQ(Export({"in.dtm", "stored.png", "--config", "look.txt", "--compression", "0"}).status,
              0);
    ASSERT_EQ(Export({"in.dtm", "packed.png", "--config", "look.txt", "--compression", "9"}).status,
              0);
    EXPECT_GT(std::filesystem::file_size(folder_.Path("stored.png")),
              std::filesystem::file_size(folder_.Path("packed.png")));
}

} // namespace
} // namespace dm
