#include "container_test_support.h"
#include "file_size_limit.h"
#include "private_mounts.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::ContainerTempFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::vector<uint8_t> kPrevious = {'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'};

std::shared_ptr<tilemap> NoisyMap() {
    std::mt19937 random(7);
    return test::RandomMap(random, 40, 40, 256);
}

int32_t SaveQuietly(const tilemap& map, const std::string& path) {
    testing::internal::CaptureStdout();
    const int32_t result = Save(map, path);
    testing::internal::GetCapturedStdout();
    return result;
}

std::vector<std::string> SideFilesIn(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(TilemapSaveFailure, FullDeviceFailsAndStaysADevice) {
    const std::vector<std::string> before = SideFilesIn("/dev", ".full.");
    EXPECT_EQ(SaveQuietly(*NoisyMap(), "/dev/full"), 0);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(SideFilesIn("/dev", ".full."), before);
}

TEST(TilemapSaveFailure, WriteErrorKeepsThePreviousFile) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kPrevious);
    int32_t result = 1;
    {
        // Writing past 1000 bytes fails as on a full disk; the noisy map needs about 9600.
        test::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Applied());
        result = SaveQuietly(*NoisyMap(), path);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFileBytes(path), kPrevious);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});

    EXPECT_EQ(SaveQuietly(*NoisyMap(), path), 1);
    EXPECT_GT(ReadFileBytes(path).size(), 9000u);
}

TEST(TilemapSaveFailure, ReadOnlyFolderKeepsThePreviousFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    ContainerTempFolder folder;
    fs::create_directory(folder.Root() / "locked");
    const std::string path = folder.Path("locked/map.dtm");
    WriteFileBytes(path, kPrevious);
    fs::permissions(folder.Root() / "locked", fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_EQ(SaveQuietly(*NoisyMap(), path), 0);
    EXPECT_EQ(ReadFileBytes(path), kPrevious);
    fs::permissions(folder.Root() / "locked", fs::perms::owner_all);
    EXPECT_EQ(SideFilesIn(folder.Path("locked"), ".").size(), 0u);
}

TEST(TilemapSaveFailure, ReadOnlyFileIsNotReplaced) {
    // A file no one may write is kept from the superuser too.
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kPrevious);
    fs::permissions(path, fs::perms::owner_read);

    EXPECT_EQ(SaveQuietly(*NoisyMap(), path), 0);
    EXPECT_EQ(ReadFileBytes(path), kPrevious);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

// Fills the file system holding path until a write fails for want of space.
void FillUp(const std::string& path) {
    const std::vector<uint8_t> block(4096, 'f');
    std::ofstream out(path, std::ios::binary);
    while (out.write(reinterpret_cast<const char*>(block.data()), 4096) && out.flush()) {
    }
}

// A save of the map into the folder, which holds map.dtm with the previous bytes: its result,
// what became of the previous file, and the side files left.
std::string SaveOutcome(const tilemap& map, const std::string& folder) {
    const std::string path = folder + "/map.dtm";
    const int32_t result = Save(map, path);
    const std::vector<uint8_t> now = ReadFileBytes(path);
    const std::shared_ptr<tilemap> back = Read(path, nullptr);
    const std::string state = now == kPrevious                 ? "previous kept"
                              : back && back->tmap == map.tmap ? "replaced"
                                                               : "damaged";
    return "saved " + std::to_string(result) + ", " + state + ", " +
           std::to_string(SideFilesIn(folder, ".map.dtm.").size()) + " side files";
}

TEST(TilemapSaveFailure, FullAndReadOnlyFileSystemsKeepThePreviousFile) {
    ContainerTempFolder folder;
    const std::string full = folder.Path("full");
    const std::string readOnly = folder.Path("read-only");
    fs::create_directory(full);
    fs::create_directory(readOnly);
    const std::shared_ptr<tilemap> map = NoisyMap();
    const std::optional<std::string> report = test::RunWithPrivateMounts([&]() -> std::string {
        if (!test::MountSmallFileSystem(full, 64 * 1024) ||
            !test::MountSmallFileSystem(readOnly, 64 * 1024)) {
            return "cannot mount";
        }
        WriteFileBytes(full + "/map.dtm", kPrevious);
        FillUp(full + "/filler");
        std::string outcome = "full: " + SaveOutcome(*map, full);
        fs::remove(full + "/filler");
        outcome += "; freed: " + SaveOutcome(*map, full);
        WriteFileBytes(readOnly + "/map.dtm", kPrevious);
        if (!test::RemountReadOnly(readOnly)) {
            return outcome + "; cannot make read-only";
        }
        return outcome + "; read-only: " + SaveOutcome(*map, readOnly);
    });
    if (!report) {
        GTEST_SKIP() << "this system grants no private mounts";
    }
    EXPECT_EQ(*report, "full: saved 0, previous kept, 0 side files; "
                       "freed: saved 1, replaced, 0 side files; "
                       "read-only: saved 0, previous kept, 0 side files");
}

TEST(TilemapSaveFailure, FolderInTheWayIsNotReplaced) {
    ContainerTempFolder folder;
    fs::create_directory(folder.Root() / "map.dtm");
    EXPECT_EQ(SaveQuietly(*NoisyMap(), folder.Path("map.dtm")), 0);
    EXPECT_TRUE(fs::is_directory(folder.Root() / "map.dtm"));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

} // namespace
} // namespace dm
