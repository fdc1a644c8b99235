#include "container_test_support.h"

#include "files/png_body.h"
#include "files/rle_body.h"
#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace dm {
namespace {

using test::ByteBuilder;
using test::ContainerTempFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::string StatisticsLines(int64_t uncompressed, int64_t rle, int64_t png) {
    return "FILE SIZE STATISTICS: (excl. extra information)\r\n"
           "Uncompressed: " +
           std::to_string(uncompressed) + " bytes\r\nRLE compression: " + std::to_string(rle) +
           " bytes\r\nPNG compression: " + std::to_string(png) + " bytes\r\n";
}

// Saves and returns what the save printed.
std::string SaveCapturingOutput(const tilemap& map, const std::string& path, int32_t& result) {
    testing::internal::CaptureStdout();
    result = Save(map, path);
    return testing::internal::GetCapturedStdout();
}

TEST(TilemapSave, SingleCellMapIsTheSmallestRunLengthFile) {
    ContainerTempFolder folder;
    std::shared_ptr<tilemap> map = tilemap::Create(1, 1);
    map->SetTile(0, 0, 65, 7, 0, 1);
    const std::string path = folder.Path("one.dtm");

    int32_t result = 0;
    const std::string output = SaveCapturingOutput(*map, path, result);

    EXPECT_EQ(result, 1);
    const std::vector<uint8_t> expected = {'D',  'M',  'T',  'R',  0x01, 0x00, 0x00, 0x00, 0x01,
                                           0x00, 0x00, 0x00, 0xEA, 0x01, 0x10, 0x00, 0x00, 0x41,
                                           0x00, 0x07, 0x00, 0x00, 'E',  'O',  'F'};
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(output, StatisticsLines(3, 6, pngsize(*map)));
    EXPECT_GT(pngsize(*map), 6);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"one.dtm"});
}

TEST(TilemapSave, ReplacesALongerFileEntirely) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("old.dtm");
    WriteFileBytes(path, std::vector<uint8_t>(5000, 0xAB));
    std::shared_ptr<tilemap> map = tilemap::Create(2, 1);

    int32_t result = 0;
    const std::string output = SaveCapturingOutput(*map, path, result);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadFileBytes(path), ByteBuilder()
                                       .Text("DMTR")
                                       .Int(2)
                                       .Int(1)
                                       .Int(1048576)
                                       .Bytes({0x05, 0x00})
                                       .Text("EOF")
                                       .Result());
    EXPECT_EQ(output, StatisticsLines(6, 2, pngsize(*map)));
}

// A pattern that deflate shrinks but that changes value at nearly every byte.
std::shared_ptr<tilemap> RepeatingPatternMap(int32_t w, int32_t h) {
    std::shared_ptr<tilemap> map = tilemap::Create(w, h);
    for (size_t i = 0; i < map->tmap.size(); ++i) {
        map->tmap[i] = static_cast<uint8_t>(i % 7 * 30);
    }
    return map;
}

TEST(TilemapSave, PictureBodyWhenItIsStrictlySmallest) {
    ContainerTempFolder folder;
    std::shared_ptr<tilemap> map = RepeatingPatternMap(40, 30);
    const std::string path = folder.Path("pattern.dtm");
    const std::vector<uint8_t> png = EncodeUnscrambledPNGBytes(*map).value();
    ASSERT_LT(static_cast<int64_t>(png.size()), 40 * 30 * 3);
    ASSERT_LT(static_cast<int64_t>(png.size()), rlesize(*map));

    int32_t result = 0;
    const std::string output = SaveCapturingOutput(*map, path, result);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(output, StatisticsLines(3600, rlesize(*map), static_cast<int64_t>(png.size())));
    EXPECT_EQ(ReadFileBytes(path), ByteBuilder()
                                       .Text("DMTP")
                                       .Int(40)
                                       .Int(30)
                                       .Int(map->GetChecksum())
                                       .Double(static_cast<double>(png.size()))
                                       .Bytes(png)
                                       .Text("EOF")
                                       .Result());
    // The picture is built in memory: no temporary file appears in the current folder.
    EXPECT_FALSE(std::filesystem::exists("dtm_temp_file.png"));
}

// Maps of a growing noisy prefix over a zero background: each step adds run-length bytes two at
// a time while the picture grows more slowly, so the two sizes cross; the search returns a map
// where they are equal and one where the picture is smaller by exactly two bytes.
struct Crossing {
    std::shared_ptr<tilemap> tie;
    std::shared_ptr<tilemap> pictureSmaller;
};

Crossing FindCrossing() {
    Crossing found;
    for (int period = 3; period < 12 && !(found.tie && found.pictureSmaller); ++period) {
        std::shared_ptr<tilemap> map = tilemap::Create(48, 48);
        for (size_t noisy = 0; noisy < map->tmap.size(); ++noisy) {
            map->tmap[noisy] = static_cast<uint8_t>(noisy * 37 % period + 1);
            const int64_t png = pngsize(*map);
            const int64_t rle = rlesize(*map);
            if (png < 0 || png >= static_cast<int64_t>(map->tmap.size())) {
                continue;
            }
            if (png == rle && !found.tie) {
                found.tie = map->Copy();
            }
            if (png == rle - 2 && !found.pictureSmaller) {
                found.pictureSmaller = map->Copy();
            }
            if (png < rle - 64) {
                break;
            }
        }
    }
    return found;
}

std::string Magic(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.begin() + std::min<size_t>(4, bytes.size()));
}

TEST(TilemapSave, TiesGoToTheRunLengthBody) {
    ContainerTempFolder folder;
    const Crossing crossing = FindCrossing();
    ASSERT_TRUE(crossing.tie);
    ASSERT_TRUE(crossing.pictureSmaller);

    int32_t result = 0;
    const std::string tiePath = folder.Path("tie.dtm");
    const std::string output = SaveCapturingOutput(*crossing.tie, tiePath, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Magic(tiePath), "DMTR");
    const int64_t size = rlesize(*crossing.tie);
    EXPECT_EQ(output, StatisticsLines(48 * 48 * 3, size, size));
    EXPECT_EQ(static_cast<int64_t>(ReadFileBytes(tiePath).size()), 16 + size + 3);

    const std::string smallerPath = folder.Path("smaller.dtm");
    SaveCapturingOutput(*crossing.pictureSmaller, smallerPath, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Magic(smallerPath), "DMTP");
}

TEST(TilemapSave, MapsThatCouldNotBeReadBackAreNotWritten) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("empty.dtm");
    int32_t result = 1;
    const std::string output = SaveCapturingOutput(*tilemap::Create(0, 0), path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(output, "");
    EXPECT_FALSE(std::filesystem::exists(path));

    tilemap inconsistent;
    inconsistent.tmapw = 4;
    inconsistent.tmaph = 4;
    inconsistent.tmap.assign(5, 0);
    SaveCapturingOutput(inconsistent, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TilemapSave, MissingFolderFailsWithoutStatistics) {
    ContainerTempFolder folder;
    int32_t result = 1;
    const std::string output =
        SaveCapturingOutput(*tilemap::Create(3, 3), folder.Path("no/such/map.dtm"), result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(folder.Names().empty());
}

TEST(TilemapSave, BackslashesArePartOfTheFileName) {
    ContainerTempFolder folder;
    std::filesystem::create_directory(folder.Root() / "maps");
    const std::shared_ptr<tilemap> map = tilemap::Create(2, 2);
    map->SetTile(1, 1, 66, 4, 5, 0);
    for (const std::string name : {"maps\\town.dtm", "..\\up.dtm"}) {
        int32_t result = 0;
        SaveCapturingOutput(*map, folder.Path(name), result);
        EXPECT_EQ(result, 1) << name;
        const std::shared_ptr<tilemap> back = Read(folder.Path(name), nullptr);
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(back->tmap, map->tmap);
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"..\\up.dtm", "maps", "maps\\town.dtm"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Root() / "maps"));
    EXPECT_FALSE(std::filesystem::exists(folder.Root().parent_path() / "up.dtm"));
}

TEST(TilemapSave, LongThinMapsComeBackFromThePictureBody) {
    ContainerTempFolder folder;
    for (const auto& [w, h] : {std::pair{1, 20000}, std::pair{20000, 1}}) {
        const std::shared_ptr<tilemap> map = tilemap::Create(w, h);
        map->SetTile(w - 1, h - 1, 65, 7, 3, 0);
        const std::string path = folder.Path("thin.dtm");
        int32_t result = 0;
        SaveCapturingOutput(*map, path, result);
        ASSERT_EQ(result, 1);
        EXPECT_EQ(Magic(path), "DMTP");

        test::MessageLog log;
        const std::shared_ptr<tilemap> back = Read(path, log.Callback());
        ASSERT_TRUE(back) << w << " x " << h;
        EXPECT_TRUE(log.messages.empty());
        EXPECT_EQ(back->tmap, map->tmap);
    }
}

TEST(TilemapSave, RoundTripsThroughBothBodies) {
    ContainerTempFolder folder;
    std::mt19937 random(20261209);
    int pictureBodies = 0;
    int runLengthBodies = 0;
    for (int round = 0; round < 24; ++round) {
        const int32_t w = std::uniform_int_distribution<int32_t>(1, 70)(random);
        const int32_t h = std::uniform_int_distribution<int32_t>(1, 50)(random);
        // Few distinct values compress into a small picture; many leave run-length ahead.
        const int distinct = round % 2 == 0 ? 2 : 256;
        std::shared_ptr<tilemap> map = test::RandomMap(random, w, h, distinct);
        const std::string path = folder.Path("map" + std::to_string(round) + ".dtm");

        int32_t result = 0;
        SaveCapturingOutput(*map, path, result);
        ASSERT_EQ(result, 1);
        const std::string magic = Magic(path);
        pictureBodies += magic == "DMTP" ? 1 : 0;
        runLengthBodies += magic == "DMTR" ? 1 : 0;

        test::MessageLog log;
        const std::shared_ptr<tilemap> back = Read(path, log.Callback());
        ASSERT_TRUE(back) << magic << " " << w << " x " << h;
        EXPECT_TRUE(log.messages.empty());
        EXPECT_EQ(back->tmapw, w);
        EXPECT_EQ(back->tmaph, h);
        EXPECT_EQ(back->tmap, map->tmap) << magic << " " << w << " x " << h;
    }
    EXPECT_GE(pictureBodies, 6);
    EXPECT_GE(runLengthBodies, 6);
}

} // namespace
} // namespace dm
