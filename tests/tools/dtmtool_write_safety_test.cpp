#include "files/container_test_support.h"
#include "files/killed_save.h"
#include "support/closing_fifo.h"
#include "tool_run.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace dm {
namespace {

using test::ContainerTempFolder;
using test::ReadFileBytes;
using test::RunDtmtool;
using test::ToolRun;
using test::WriteFileBytes;

std::string SaveQuietly(const tilemap& map, const std::string& path) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(Save(map, path), 1);
    testing::internal::GetCapturedStdout();
    return path;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(DtmtoolWriteSafety, SaveExportAndEncodeKeepEveryFileButTheirOwnLeftovers) {
    ContainerTempFolder folder;
    const std::string map = SaveQuietly(*tilemap::Create(4, 3), folder.Path("castle.dtm"));
    const std::string picture = folder.Path("castle.png");
    // A user's backups, another tool's temporary file, a side file of an earlier version, and a
    // file merely named like the program's own side files.
    const std::vector<std::string> users = {
        ".castle.dtm.backup",     ".castle.png.before",           ".castle.dtm.A1b2C3",
        ".castle.png.tmp.123456", ".castle.dtm.duskmarch-Mine00", ".castle.png.duskmarch-Mine00"};
    for (const std::string& name : users) {
        WriteFileBytes(folder.Path(name), Bytes("kept: " + name));
    }
    // The program's own, left by a save and by an export killed midway.
    const std::string staleMap = test::LeaveKilledSave(map, Bytes("DMTR"));
    const std::string stalePicture = test::LeaveKilledSave(picture, Bytes("\x89PNG"));
    ASSERT_FALSE(staleMap.empty());
    ASSERT_FALSE(stalePicture.empty());

    for (const std::vector<std::string>& args : {std::vector<std::string>{"resave", map, map},
                                                 {"export", map, picture},
                                                 {"encode", map, picture}}) {
        const ToolRun run = RunDtmtool(args, folder);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
    }
    std::vector<std::string> expected = users;
    expected.insert(expected.end(), {"castle.dtm", "castle.png", "stderr.txt", "stdout.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.Names(), expected);
    for (const std::string& name : users) {
        EXPECT_EQ(ReadFileBytes(folder.Path(name)), Bytes("kept: " + name)) << name;
    }
}

TEST(DtmtoolWriteSafety, WritingIntoAPipeWhoseReaderQuitsFailsWithStatus1) {
    ContainerTempFolder folder;
    // Noise, so that every output is larger than the pipe holds.
    std::mt19937 random(11);
    const std::string map =
        SaveQuietly(*test::RandomMap(random, 200, 200, 256), folder.Path("noise.dtm"));
    const std::string fifo = folder.Path("pipe");
    const struct {
        std::vector<std::string> args;
        std::string err; // how the message starts
    } cases[] = {
        {{"resave", map, fifo}, "dtmtool: "},
        {{"export", map, fifo}, "dtmtool: Failed to export tilemap image!"},
        {{"encode", map, fifo, "--scramble"},
         "dtmtool: Failed to encode tilemap image! Writing " + fifo + " failed: Broken pipe.\n"},
    };
    for (const auto& c : cases) {
        const test::ClosingFifo reader(fifo);
        ASSERT_TRUE(reader.Ready());
        // Ended by SIGPIPE, the shell would report status 141.
        const ToolRun run = RunDtmtool(c.args, folder);
        EXPECT_EQ(run.status, 1) << c.args[0];
        EXPECT_TRUE(run.err.starts_with(c.err)) << run.err;
        std::filesystem::remove(fifo);
    }
}

TEST(DtmtoolWriteSafety, EncodingAMapWiderThanAPngRefusesBeforeAnyWork) {
    ContainerTempFolder folder;
    const std::string map = SaveQuietly(*tilemap::Create(16777216, 1), folder.Path("row.dtm"));
    const ToolRun run = RunDtmtool({"encode", map, folder.Path("row.png"), "--scramble"}, folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dtmtool: Failed to encode tilemap image! The map is 16777216 x 1 cells; a "
                       "PNG picture is written at most 1000000 pixels wide and high.\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"row.dtm", "stderr.txt", "stdout.txt"}));
}

} // namespace
} // namespace dm
