#include "files/container_test_support.h"
#include "tool_run.h"

#include "files/tilemap_file.h"
#include "platform/pixmap.h"
#include "platform/png_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace dm {
namespace {

using test::ContainerTempFolder;
using test::FileText;
using test::ReadFileBytes;
using test::RunDtmtool;
using test::ToolRun;
using test::WriteFileBytes;

// A 2 x 2 map: "AB" in 200 on 40, then a light shade with no foreground on 7 and a full block
// in 9 with no background.
std::shared_ptr<tilemap> SmallMap() {
    const auto map = tilemap::Create(2, 2);
    map->SetTile(0, 0, 'A', 200, 40, 1);
    map->SetTile(1, 0, 'B', 200, 40, 1);
    map->SetTile(0, 1, 176, 255, 7, 1);
    map->SetTile(1, 1, 219, 9, 255, 1);
    return map;
}

class DtmtoolInterchange : public testing::Test {
  protected:
    void SetUp() override {
        // Entry i of the palette is grey (i, i, i).
        const auto grey = TPixmap::Create(16, 16, PF_RGB888, 4);
        for (int i = 0; i < 256; ++i) {
            grey->WritePixel(i % 16, i / 16, 0xFF000000u | static_cast<uint32_t>(i) * 0x010101u);
        }
        ASSERT_TRUE(WritePixmapPNG(*grey, folder_.Path("grey.png"), 1));
    }

    ToolRun Dtm(const std::vector<std::string>& args) { return RunDtmtool(args, folder_); }

    void SaveMap(const tilemap& map, const std::string& name) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(Save(map, folder_.Path(name)), 1);
        testing::internal::GetCapturedStdout();
    }

    std::vector<uint8_t> CellsOf(const std::string& name) {
        const auto map = Read(folder_.Path(name), {});
        return map ? map->tmap : std::vector<uint8_t>{};
    }

    ContainerTempFolder folder_;
};

TEST_F(DtmtoolInterchange, ConvertsToXpAndBackToTextAndShowsInColour) {
    SaveMap(*SmallMap(), "in.dtm");
    ToolRun run = Dtm({"convert", "in.dtm", "out.xp", "--palette", "grey.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    run = Dtm({"convert", "out.xp", "back.dtm", "--palette", "grey.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("FILE SIZE STATISTICS"));
    // The shade's missing foreground was written as its background's colour.
    std::vector<uint8_t> expected = SmallMap()->tmap;
    expected[6] = 7;
    EXPECT_EQ(CellsOf("back.dtm"), expected);

    // The shipped palette's colours are all distinct, so they survive the trip as well.
    ASSERT_EQ(Dtm({"convert", "in.dtm", "shipped.xp"}).status, 0);
    ASSERT_EQ(Dtm({"convert", "shipped.xp", "shipped.dtm"}).status, 0);
    EXPECT_EQ(CellsOf("shipped.dtm"), expected);

    EXPECT_EQ(Dtm({"convert", "in.dtm", "out.ans", "--palette", "grey.png"}).status, 0);
    const std::string rows[] = {"\x1b[38;2;200;200;200;48;2;40;40;40mAB\x1b[0m",
                                "\x1b[39;48;2;7;7;7m \x1b[38;2;9;9;9;49m"};
    EXPECT_EQ(FileText(folder_.Path("out.ans")), rows[0] + "\r\n" + rows[1] + "\xDB\x1b[0m\r\n");
    EXPECT_EQ(Dtm({"convert", "in.dtm", "OUT.TXT"}).status, 0);
    EXPECT_EQ(FileText(folder_.Path("OUT.TXT")), "AB\n\u2591\u2588\n");
    run = Dtm({"show", "in.dtm", "--palette", "grey.png"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, rows[0] + "\n" + rows[1] + "\u2588\x1b[0m\n");
}

TEST_F(DtmtoolInterchange, DiffListsSizeChangeAndDifferingCells) {
    const auto base = SmallMap();
    SaveMap(*base, "base.dtm");
    const auto changed = base->Copy();
    changed->SetTile(1, 0, 'C', 200, 41, 1);
    SaveMap(*changed, "changed.dtm");
    const auto wider = tilemap::Create(3, 2);
    tilemap::CopyRect(*base, 0, 0, 2, 2, *wider, 0, 0, 1);
    wider->SetTile(0, 1, 1, 2, 3, 1);
    SaveMap(*wider, "wider.dtm");
    ASSERT_EQ(Dtm({"convert", "base.dtm", "base.xp"}).status, 0);
    const auto noise = tilemap::Create(12, 10);
    noise->Fill(1, 1, 1, 1);
    SaveMap(*noise, "noise.dtm");
    SaveMap(*tilemap::Create(12, 10), "blank.dtm");

    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"base.dtm", "base.dtm"}, 0, ""},
        // The shade's missing foreground took its background's colour in the .xp image.
        {{"base.dtm", "base.xp"}, 1, "0,1: 176 255 7 -> 176 7 7\n"},
        {{"base.dtm", "changed.dtm"}, 1, "1,0: 66 200 40 -> 67 200 41\n"},
        {{"base.dtm", "changed.dtm", "--summary"}, 1, "1 cell differs\n"},
        {{"base.dtm", "wider.dtm"}, 1, "size: 2 x 2 -> 3 x 2\n0,1: 176 255 7 -> 1 2 3\n"},
        {{"wider.dtm", "base.dtm", "--summary"}, 1, "size: 3 x 2 -> 2 x 2\n1 cell differs\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "diff");
        const ToolRun run = Dtm(args);
        EXPECT_EQ(run.status, c.status) << c.args[1];
        EXPECT_EQ(run.out, c.out) << c.args[1];
        EXPECT_EQ(run.err, "");
    }

    // A long listing ends after 100 cells.
    const ToolRun run = Dtm({"diff", "blank.dtm", "noise.dtm"});
    EXPECT_TRUE(run.out.starts_with("0,0: 0 0 0 -> 1 1 1\n1,0: 0 0 0 -> 1 1 1\n")) << run.out;
    EXPECT_TRUE(run.out.ends_with("\n3,8: 0 0 0 -> 1 1 1\nand 20 more cells\n")) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 101);
}

TEST_F(DtmtoolInterchange, RefusesBadInputAndArguments) {
    SaveMap(*SmallMap(), "in.dtm");
    WriteFileBytes(folder_.Path("bad.xp"), {'n', 'o', 't', ' ', 'g', 'z'});
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err; // the whole message, or its start where usage text follows
    } cases[] = {
        {{"convert", "bad.xp", "out.dtm", "--palette", "grey.png"},
         1,
         "dtmtool: The .xp image is not an intact gzip stream (incorrect header check).\n"},
        {{"diff", "in.dtm", "bad.xp"},
         2,
         "dtmtool: The .xp image is not an intact gzip stream (incorrect header check).\n"},
        {{"diff", "missing.dtm", "in.dtm"}, 2, "dtmtool: cannot open missing.dtm\n"},
        {{"convert", "missing.xp", "out.dtm"}, 1, "dtmtool: cannot open missing.xp\n"},
        {{"convert", "in.dtm", "no/such/out.xp"}, 1, "dtmtool: failed to write no/such/out.xp\n"},
        {{"convert", "in.dtm", "out.xp", "--palette", "missing.png"},
         255,
         "Failed to load missing.png\n"},
        {{"convert", "in.dtm", "out.png"},
         2,
         "dtmtool: cannot tell the format of out.png from its extension; use .dtm, .xp, .ans "
         "or .txt\nusage: dtmtool convert"},
        {{"convert", "in.dtm", "out.xp", "--layer", "0"},
         2,
         "dtmtool: --layer applies only to an .xp input\n"},
        {{"convert", "a.xp", "out.dtm", "--layer", "-1"},
         2,
         "dtmtool: --layer needs a layer number from 0\n"},
        {{"convert", "a.xp", "out.dtm", "--palette"}, 2, "dtmtool: --palette needs a value\n"},
        {{"diff", "in.dtm"}, 2, "dtmtool: expected 2 file names, got 1\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Dtm(c.args);
        EXPECT_EQ(run.status, c.status) << c.err;
        EXPECT_TRUE(c.status == 2 ? run.err.starts_with(c.err) : run.err == c.err) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out.dtm")));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out.xp")));
}

} // namespace
} // namespace dm
