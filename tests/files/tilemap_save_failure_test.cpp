#include "container_test_support.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
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

// Restores the file size limit and the signal it raises, whatever the test does.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        applied_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Applied() const { return applied_; }

  private:
    rlimit saved_{};
    void (*previous_handler_)(int) = nullptr;
    bool applied_ = false;
};

TEST(TilemapSaveFailure, WriteErrorKeepsThePreviousFile) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kPrevious);
    int32_t result = 1;
    {
        // Writing past 1000 bytes fails as on a full disk; the noisy map needs about 9600.
        FileSizeLimit limit(1000);
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

TEST(TilemapSaveFailure, FolderInTheWayIsNotReplaced) {
    ContainerTempFolder folder;
    fs::create_directory(folder.Root() / "map.dtm");
    EXPECT_EQ(SaveQuietly(*NoisyMap(), folder.Path("map.dtm")), 0);
    EXPECT_TRUE(fs::is_directory(folder.Root() / "map.dtm"));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

} // namespace
} // namespace dm
