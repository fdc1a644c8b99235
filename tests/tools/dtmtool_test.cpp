#include "files/container_test_support.h"

#include "files/png_body.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace dm {
namespace {

using test::ByteBuilder;
using test::ContainerTempFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Dtmtool : public testing::Test {
  protected:
    ToolRun Dtm(const std::vector<std::string>& args) {
        std::string command = Quote(DTMTOOL_PATH);
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        const std::string out = folder_.Path("stdout.txt");
        const std::string err = folder_.Path("stderr.txt");
        command += " >" + Quote(out) + " 2>" + Quote(err);
        ToolRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = FileText(out);
        run.err = FileText(err);
        return run;
    }

    // Saves the map as the editor would, without letting the statistics reach the test's output.
    std::string SaveMap(const tilemap& map, const std::string& name) {
        const std::string path = folder_.Path(name);
        testing::internal::CaptureStdout();
        const int32_t result = Save(map, path);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, 1);
        return path;
    }

    std::shared_ptr<tilemap> ReadBack(const std::string& path) {
        test::MessageLog log;
        std::shared_ptr<tilemap> map = Read(path, log.Callback());
        EXPECT_TRUE(log.messages.empty());
        return map;
    }

    ContainerTempFolder folder_;
};

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

TEST_F(Dtmtool, InfoPrintsFormatSizeAndChecksum) {
    std::shared_ptr<tilemap> one = tilemap::Create(1, 1);
    one->SetTile(0, 0, 65, 7, 0, 1);
    ToolRun run = Dtm({"info", SaveMap(*one, "one.dtm")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "format: DMTR\nwidth: 1\nheight: 1\nchecksum: 1049066\n");
    EXPECT_EQ(run.err, "");

    std::shared_ptr<tilemap> pattern = PatternMap(30, 20);
    run = Dtm({"info", SaveMap(*pattern, "pattern.dtm")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "format: DMTP\nwidth: 30\nheight: 20\nchecksum: " +
                           std::to_string(pattern->GetChecksum()) + "\n");

    const std::string raw = folder_.Path("raw.dtm");
    WriteFileBytes(raw, ByteBuilder()
                            .Text("DMTM")
                            .Int(1)
                            .Int(1)
                            .Int(one->GetChecksum())
                            .Bytes(one->tmap)
                            .Text("EOF")
                            .Result());
    run = Dtm({"info", raw});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "format: DMTM\nwidth: 1\nheight: 1\nchecksum: 1049066\n");
}

TEST_F(Dtmtool, InfoRefusesBadFilesWithTheReadersMessage) {
    const std::string bad = folder_.Path("bad.dtm");
    WriteFileBytes(bad, ByteBuilder().Text("NOPE").Int(1).Int(1).Int(0).Result());
    ToolRun run = Dtm({"info", bad});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "dtmtool: Unrecognized file header!\n");

    std::vector<uint8_t> tampered = ReadFileBytes(SaveMap(*PatternMap(4, 4), "t.dtm"));
    tampered[12] ^= 4;
    WriteFileBytes(bad, tampered);
    run = Dtm({"info", bad});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "dtmtool: File checksum indicates a tampered-with tilemap file; refusing to open.\n");

    run = Dtm({"info", folder_.Path("missing.dtm")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: cannot open " + folder_.Path("missing.dtm") + "\n");
}

TEST_F(Dtmtool, ResaveWritesWhatTheEditorWouldAndPrintsStatistics) {
    std::shared_ptr<tilemap> map = PatternMap(30, 20);
    const std::string raw = folder_.Path("raw.dtm");
    WriteFileBytes(raw, ByteBuilder()
                            .Text("DMTM")
                            .Int(30)
                            .Int(20)
                            .Int(map->GetChecksum())
                            .Bytes(map->tmap)
                            .Text("EOF")
                            .Result());
    const std::string editor_copy = SaveMap(*map, "editor.dtm");
    const std::string out = folder_.Path("out.dtm");

    const ToolRun run = Dtm({"resave", raw, out});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, Statistics(1800, rlesize(*map), pngsize(*map)));
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(editor_copy));

    // Resaving a file onto itself replaces it with the editor's encoding.
    const ToolRun in_place = Dtm({"resave", raw, raw});
    EXPECT_EQ(in_place.status, 0);
    EXPECT_EQ(ReadFileBytes(raw), ReadFileBytes(editor_copy));

    const ToolRun refused = Dtm({"resave", folder_.Path("missing.dtm"), out});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(editor_copy));
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
    EXPECT_EQ(ReadFileBytes(plain), EncodePNGBytes(*map, 0).value());
    run = Dtm({"encode", source, scrambled, "--scramble"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(scrambled), EncodePNGBytes(*map, 1).value());
    EXPECT_NE(ReadFileBytes(scrambled), ReadFileBytes(plain));

    const std::string decoded = folder_.Path("decoded.dtm");
    run = Dtm({"decode", scrambled, decoded, "--scramble"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Statistics(135, rlesize(*map), pngsize(*map)));
    std::shared_ptr<tilemap> back = ReadBack(decoded);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tmap, map->tmap);

    run = Dtm({"decode", plain, decoded});
    EXPECT_EQ(run.status, 0) << run.err;
    back = ReadBack(decoded);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tmap, map->tmap);

    // Decoding a scrambled picture without the flag gives other cells, saved all the same.
    run = Dtm({"decode", scrambled, decoded});
    EXPECT_EQ(run.status, 0);
    back = ReadBack(decoded);
    ASSERT_TRUE(back);
    EXPECT_NE(back->tmap, map->tmap);
}

TEST_F(Dtmtool, EncodeAndDecodeReportFailures) {
    const std::string source = SaveMap(*PatternMap(3, 3), "source.dtm");
    ToolRun run = Dtm({"encode", source, folder_.Path("no/such/folder.png")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: Failed to encode tilemap image!\n");

    const std::string not_png = folder_.Path("not.png");
    WriteFileBytes(not_png, {'n', 'o', 't'});
    run = Dtm({"decode", not_png, folder_.Path("out.dtm")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: Unable to read PNG image file.\n");
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("out.dtm")));

    run = Dtm({"decode", folder_.Path("missing.png"), folder_.Path("out.dtm")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: cannot open " + folder_.Path("missing.png") + "\n");

    run = Dtm({"decode", folder_.Root().string(), folder_.Path("out.dtm")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: cannot open " + folder_.Root().string() + "\n");
}

TEST_F(Dtmtool, HelpAndUsageErrors) {
    ToolRun run = Dtm({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* name : {"info", "resave", "encode", "decode"}) {
        EXPECT_NE(run.out.find(std::string("  ") + name + " "), std::string::npos) << name;
        const ToolRun help = Dtm({name, "--help"});
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.out.rfind(std::string("usage: dtmtool ") + name + " ", 0), 0u) << name;
        EXPECT_EQ(help.err, "");
    }

    run = Dtm({});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: dtmtool COMMAND"), std::string::npos);

    run = Dtm({"frobnicate"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dtmtool: unknown command \"frobnicate\"", 0), 0u);

    run = Dtm({"info"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dtmtool: expected 1 file name, got 0\nusage: dtmtool info", 0), 0u);

    run = Dtm({"resave", "a.dtm", "b.dtm", "c.dtm"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dtmtool: expected 2 file names, got 3\n", 0), 0u);

    run = Dtm({"info", "a.dtm", "--scramble"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dtmtool: unknown option --scramble\n", 0), 0u);
}

} // namespace
} // namespace dm
