#include "files/container_test_support.h"
#include "tool_run.h"

#include "files/png_body.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"
#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"
#include "platform/version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace dm {
namespace {

using test::ByteBuilder;
using test::ContainerTempFolder;
using test::FileText;
using test::ReadFileBytes;
using test::RunDtmtool;
using test::ToolRun;
using test::WriteFileBytes;

std::shared_ptr<tilemap> PatternMap(int32_t w, int32_t h) {
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i % 5 * 40);
    }
    return map;
}

std::string Statistics(int64_t uncompressed, int64_t rle, int64_t png) {
    return "FILE SIZE STATISTICS: (excl. extra information)\r\nUncompressed: " +
           std::to_string(uncompressed) + " bytes\r\nRLE compression: " + std::to_string(rle) +
           " bytes\r\nPNG compression: " + std::to_string(png) + " bytes\r\n";
}

class Dtmtool : public testing::Test {
  protected:
    ToolRun Dtm(const std::vector<std::string>& args) { return RunDtmtool(args, folder_); }

    // Saves the map as the editor would, without letting the statistics reach the test's output.
    std::string SaveMap(const tilemap& map, const std::string& name) {
        const std::string path = folder_.Path(name);
        testing::internal::CaptureStdout();
        const int32_t result = Save(map, path);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, 1);
        return path;
    }

    // Writes the map in the uncompressed layout, which the editor reads but never writes.
    std::string SaveRaw(const tilemap& map, const std::string& name) {
        const std::string path = folder_.Path(name);
        WriteFileBytes(path, ByteBuilder()
                                 .Text("DMTM")
                                 .Int(map.tmapw)
                                 .Int(map.tmaph)
                                 .Int(map.GetChecksum())
                                 .Bytes(map.tmap)
                                 .Text("EOF")
                                 .Result());
        return path;
    }

    // The cells of the file at path, which must read without a message.
    std::vector<uint8_t> CellsOf(const std::string& path) {
        test::MessageLog log;
        const std::shared_ptr<tilemap> map = Read(path, log.Callback());
        EXPECT_TRUE(log.messages.empty());
        return map ? map->tmap : std::vector<uint8_t>{};
    }

    ContainerTempFolder folder_;
};

TEST_F(Dtmtool, InfoPrintsFormatSizeAndChecksumOrTheReadersRefusal) {
    std::shared_ptr<tilemap> one = tilemap::Create(1, 1);
    one->SetTile(0, 0, 65, 7, 0, 1);
    std::shared_ptr<tilemap> pattern = PatternMap(30, 20);
    const std::string bad = folder_.Path("bad.dtm");
    WriteFileBytes(bad, ByteBuilder().Text("NOPE").Int(1).Int(1).Int(0).Result());
    std::vector<uint8_t> tampered = ReadFileBytes(SaveMap(*PatternMap(4, 4), "t.dtm"));
    tampered[12] ^= 4;
    WriteFileBytes(folder_.Path("tampered.dtm"), tampered);

    const struct {
        std::string path;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {SaveMap(*one, "one.dtm"), 0, "format: DMTR\nwidth: 1\nheight: 1\nchecksum: 1049066\n", ""},
        {SaveMap(*pattern, "pattern.dtm"), 0,
         "format: DMTP\nwidth: 30\nheight: 20\nchecksum: " +
             std::to_string(pattern->GetChecksum()) + "\n",
         ""},
        {SaveRaw(*one, "raw.dtm"), 0, "format: DMTM\nwidth: 1\nheight: 1\nchecksum: 1049066\n", ""},
        {bad, 1, "", "dtmtool: Unrecognized file header!\n"},
        {folder_.Path("tampered.dtm"), 1, "",
         "dtmtool: File checksum indicates a tampered-with tilemap file; refusing to open.\n"},
        {folder_.Path("missing.dtm"), 1, "",
         "dtmtool: cannot open " + folder_.Path("missing.dtm") + "\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Dtm({"info", c.path});
        EXPECT_EQ(run.status, c.status) << c.path;
        EXPECT_EQ(run.out, c.out) << c.path;
        EXPECT_EQ(run.err, c.err) << c.path;
    }
}

TEST_F(Dtmtool, ResaveWritesWhatTheEditorWouldAndPrintsStatistics) {
    std::shared_ptr<tilemap> map = PatternMap(30, 20);
    const std::string raw = SaveRaw(*map, "raw.dtm");
    const std::vector<uint8_t> editorBytes = ReadFileBytes(SaveMap(*map, "editor.dtm"));
    const std::string out = folder_.Path("out.dtm");

    const ToolRun run = Dtm({"resave", raw, out});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Statistics(1800, rlesize(*map), pngsize(*map)));
    EXPECT_EQ(ReadFileBytes(out), editorBytes);

    // Resaving a file onto itself replaces it with the editor's encoding.
    EXPECT_EQ(Dtm({"resave", raw, raw}).status, 0);
    EXPECT_EQ(ReadFileBytes(raw), editorBytes);

    // A failed read leaves the target alone.
    EXPECT_EQ(Dtm({"resave", folder_.Path("missing.dtm"), out}).status, 1);
    EXPECT_EQ(ReadFileBytes(out), editorBytes);
}

TEST_F(Dtmtool, EncodeAndDecodeRoundTrip) {
    std::shared_ptr<tilemap> map = PatternMap(9, 5);
    map->SetTile(8, 4, 255, 255, 255, 1);
    const std::string source = SaveMap(*map, "source.dtm");
    const std::string plain = folder_.Path("plain.png");
    const std::string scrambled = folder_.Path("scrambled.png");

    ToolRun run = Dtm({"encode", source, plain});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFileBytes(plain), EncodeUnscrambledPNGBytes(*map).value());
    run = Dtm({"encode", source, scrambled, "--scramble"});
    EXPECT_EQ(run.status, 0) << run.err;
    RandomGenerator random;
    EXPECT_EQ(ReadFileBytes(scrambled), EncodePNGBytes(*map, 1, random).value());
    EXPECT_NE(ReadFileBytes(scrambled), ReadFileBytes(plain));

    const std::string decoded = folder_.Path("decoded.dtm");
    run = Dtm({"decode", scrambled, decoded, "--scramble"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Statistics(135, rlesize(*map), pngsize(*map)));
    EXPECT_EQ(CellsOf(decoded), map->tmap);

    EXPECT_EQ(Dtm({"decode", plain, decoded}).status, 0);
    EXPECT_EQ(CellsOf(decoded), map->tmap);

    // Decoding a scrambled picture without the flag gives other cells, saved all the same.
    EXPECT_EQ(Dtm({"decode", scrambled, decoded}).status, 0);
    const std::vector<uint8_t> unscrambled = CellsOf(decoded);
    EXPECT_EQ(unscrambled.size(), map->tmap.size());
    EXPECT_NE(unscrambled, map->tmap);
}

TEST_F(Dtmtool, PathsAreTakenAsWritten) {
    std::filesystem::create_directory(folder_.Root() / "sub");
    const std::shared_ptr<tilemap> map = PatternMap(6, 4);
    SaveMap(*map, "source.dtm");
    // Each command reads the previous one's output; every name is relative to the folder.
    const std::vector<std::string> commands[] = {
        {"resave", "source.dtm", "sub\\x.dtm"},
        {"resave", "sub\\x.dtm", "..\\up.dtm"},
        {"encode", "..\\up.dtm", "pic\\1.png"},
        {"decode", "pic\\1.png", "sub\\back.dtm"},
        {"info", "sub\\back.dtm"},
    };
    for (const std::vector<std::string>& args : commands) {
        const ToolRun run = Dtm(args);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
    }
    for (const char* name : {"sub\\x.dtm", "..\\up.dtm", "sub\\back.dtm"}) {
        EXPECT_EQ(CellsOf(folder_.Path(name)), map->tmap) << name;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(folder_.Path("pic\\1.png")));
    EXPECT_TRUE(std::filesystem::is_empty(folder_.Root() / "sub"));
    EXPECT_FALSE(std::filesystem::exists(folder_.Root().parent_path() / "up.dtm"));
}

TEST_F(Dtmtool, FailuresAndUsageErrorsGiveTheirStatusAndMessage) {
    const std::string source = SaveMap(*PatternMap(3, 3), "source.dtm");
    const std::string notPng = folder_.Path("not.png");
    WriteFileBytes(notPng, {'n', 'o', 't'});
    const std::string out = folder_.Path("out.dtm");
    const std::string root = folder_.Root().string();

    const struct {
        std::vector<std::string> args;
        int status;
        std::string err; // the whole message, or its start where usage text follows
    } cases[] = {
        {{"encode", source, folder_.Path("no/such/folder.png")},
         1,
         "dtmtool: Failed to encode tilemap image! Cannot write " +
             folder_.Path("no/such/folder.png") + ": No such file or directory.\n"},
        {{"decode", notPng, out}, 1, "dtmtool: Unable to read PNG image file.\n"},
        {{"decode", folder_.Path("missing.png"), out},
         1,
         "dtmtool: cannot open " + folder_.Path("missing.png") + "\n"},
        {{"decode", root, out}, 1, "dtmtool: cannot open " + root + "\n"},
        {{"frobnicate"}, 2, "dtmtool: unknown command \"frobnicate\""},
        {{"info"}, 2, "dtmtool: expected 1 file name, got 0\nusage: dtmtool info"},
        {{"resave", "a.dtm", "b.dtm", "c.dtm"}, 2, "dtmtool: expected 2 file names, got 3\n"},
        {{"info", "a.dtm", "--scramble"}, 2, "dtmtool: unknown option --scramble\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.err);
        const ToolRun run = Dtm(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(c.status == 2 ? run.err.starts_with(c.err) : run.err == c.err) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));

    ToolRun run = Dtm({});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: dtmtool COMMAND"), std::string::npos);

    run = Dtm({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* name :
         {"info", "resave", "encode", "decode", "export", "convert", "show", "diff"}) {
        EXPECT_NE(run.out.find(std::string("  ") + name + " "), std::string::npos) << name;
        const ToolRun help = Dtm({name, "--help"});
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_TRUE(help.out.starts_with(std::string("usage: dtmtool ") + name + " ")) << name;
        EXPECT_EQ(help.err, "");
    }

    run = Dtm({"--version"});
    EXPECT_EQ(std::tuple(run.status, run.out, run.err),
              std::tuple(0, "dtmtool " + std::string(kDuskmarchVersion) + "\n", std::string()));
}

// A damaged trailer of ESC c BEL would reset the terminal and ring it if printed as read.
TEST_F(Dtmtool, BytesReadFromAFileAreShownEscapedInEveryMessage) {
    SaveMap(*PatternMap(2, 2), "good.dtm");
    std::vector<uint8_t> bytes = ReadFileBytes(SaveRaw(*PatternMap(2, 2), "bad.dtm"));
    std::copy_n("\033c\007", 3, bytes.end() - 3);
    WriteFileBytes(folder_.Path("bad.dtm"), bytes);
    const std::string refusal =
        "dtmtool: Did not encounter expected EOF, encountered \\x1bc\\x07 instead.\n";
    const std::vector<std::string> commands[] = {
        {"info", "bad.dtm"},
        {"resave", "bad.dtm", "out.dtm"},
        {"encode", "bad.dtm", "o.png"},
        {"convert", "bad.dtm", "out.txt"},
        {"show", "bad.dtm"},
        {"diff", "good.dtm", "bad.dtm"},
    };
    for (const std::vector<std::string>& args : commands) {
        const ToolRun run = Dtm(args);
        EXPECT_EQ(run.status, args[0] == "diff" ? 2 : 1) << args[0];
        EXPECT_EQ(run.err, refusal) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
    }
}

// "--" ends the options; a save that fails says why, a name with "::" included.
TEST_F(Dtmtool, OptionsEndAtDoubleDashAndFailedSavesSayWhy) {
    SaveMap(*PatternMap(3, 2), "--odd.dtm");
    ToolRun run = Dtm({"info", "--", "--odd.dtm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("format: DMTR\nwidth: 3\nheight: 2\n")) << run.out;
    run = Dtm({"resave", "--", "--odd.dtm", "-copy.dtm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CellsOf(folder_.Path("-copy.dtm")), PatternMap(3, 2)->tmap);
    EXPECT_TRUE(Dtm({"info", "--odd.dtm"}).err.starts_with("dtmtool: unknown option --odd.dtm"));
    EXPECT_EQ(Dtm({"info", "--", "--help"}).err, "dtmtool: cannot open --help\n");

    const std::string protocol =
        "the name holds \"::\", which marks a stream protocol rather than a file";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } failures[] = {
        {{"resave", "--odd.dtm", "a::b.dtm"}, "dtmtool: failed to save a::b.dtm: " + protocol},
        {{"resave", "--odd.dtm", "/dev/full"},
         "dtmtool: failed to save /dev/full: No space left on device"},
        {{"resave", "--odd.dtm", "none/x.dtm"},
         "dtmtool: failed to save none/x.dtm: No such file or directory"},
        {{"decode", "pic.png", "a::b.dtm"}, "dtmtool: failed to save a::b.dtm: " + protocol},
        {{"convert", "--odd.dtm", "c::d.xp"}, "dtmtool: failed to write c::d.xp: " + protocol},
        {{"encode", "--odd.dtm", "e::f.png"},
         "dtmtool: Failed to encode tilemap image! Cannot write e::f.png: " + protocol + "."},
    };
    ASSERT_EQ(Dtm({"encode", "--", "--odd.dtm", "pic.png"}).status, 0);
    for (const auto& failure : failures) {
        // Options are read before and after "--" alike until it comes.
        std::vector<std::string> args = failure.args;
        args.insert(args.begin() + 1, "--");
        run = Dtm(args);
        EXPECT_EQ(run.status, 1) << failure.err;
        EXPECT_EQ(run.err, failure.err + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("a::b.dtm")));
}

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

// Entry i of the palette in grey.png is grey (i, i, i).
class DtmtoolInterchange : public Dtmtool {
  protected:
    void SetUp() override {
        const auto grey = TPixmap::Create(16, 16, kPixelFormatRGB888, 4);
        for (int i = 0; i < 256; ++i) {
            grey->WritePixel(i % 16, i / 16, 0xFF000000u | static_cast<uint32_t>(i) * 0x010101u);
        }
        ASSERT_TRUE(WritePixmapPNG(*grey, folder_.Path("grey.png"), 1));
    }
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
    EXPECT_EQ(CellsOf(folder_.Path("back.dtm")), expected);

    // The shipped palette's colours are all distinct, so they survive the trip as well.
    ASSERT_EQ(Dtm({"convert", "in.dtm", "shipped.xp"}).status, 0);
    ASSERT_EQ(Dtm({"convert", "shipped.xp", "shipped.dtm"}).status, 0);
    EXPECT_EQ(CellsOf(folder_.Path("shipped.dtm")), expected);

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
        {{"diff", "base.dtm", "base.dtm"}, 0, ""},
        // The shade's missing foreground took its background's colour in the .xp image.
        {{"diff", "base.dtm", "base.xp"}, 1, "0,1: 176 255 7 -> 176 7 7\n"},
        {{"diff", "base.dtm", "changed.dtm"}, 1, "1,0: 66 200 40 -> 67 200 41\n"},
        {{"diff", "base.dtm", "changed.dtm", "--summary"}, 1, "1 cell differs\n"},
        {{"diff", "base.dtm", "wider.dtm"}, 1, "size: 2 x 2 -> 3 x 2\n0,1: 176 255 7 -> 1 2 3\n"},
        {{"diff", "wider.dtm", "base.dtm", "--summary"},
         1,
         "size: 3 x 2 -> 2 x 2\n1 cell differs\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Dtm(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[2];
        EXPECT_EQ(run.out + run.err, c.out) << c.args[2];
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
        {{"convert", "in.dtm", "no/such/out.xp"},
         1,
         "dtmtool: failed to write no/such/out.xp: No such file or directory\n"},
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
