#include "container_test_support.h"

#include "files/png_body.h"
#include "files/random.h"
#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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

TEST(TilemapSaveFailure, PicturesTooWideForPngAreRefusedBeforeAnyWork) {
    ContainerTempFolder folder;
    const std::shared_ptr<tilemap> row = tilemap::Create(16777216, 1);
    constexpr int32_t kUntouched = 12345;
    RandomGenerator random;
    random.Seed(kUntouched);
    int reports = 0;
    const Expected<std::shared_ptr<TPixmap>> encoded =
        EncodePNGFile(*row, folder.Path("row.png"), 1, random, [&reports](int) { ++reports; });
    ASSERT_FALSE(encoded);
    EXPECT_EQ(encoded.Why(), "The map is 16777216 x 1 cells; a PNG picture is written at most "
                             "1000000 pixels wide and high.");
    EXPECT_FALSE(EncodePNGBytes(*row, 1, random));
    // Neither reseeded the generator for a shuffle, reported progress, nor opened a side file.
    EXPECT_EQ(random.State(), kUntouched);
    EXPECT_EQ(reports, 0);
    EXPECT_TRUE(folder.Names().empty());

    // The map itself is saved, with the run-length body.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Save(*row, folder.Path("row.dtm")), 1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("PNG compression: -1 bytes"),
              std::string::npos);

    // The limit itself is a side a picture may have.
    EXPECT_TRUE(CheckEncodable(*tilemap::Create(1000000, 1)));
    EXPECT_TRUE(CheckEncodable(*tilemap::Create(1, 1000000)));
    EXPECT_EQ(CheckEncodable(*tilemap::Create(1, 1000001)).Why(),
              "The map is 1 x 1000001 cells; a PNG picture is written at most 1000000 pixels wide "
              "and high.");
    tilemap broken = *tilemap::Create(2, 2);
    broken.tmap.pop_back();
    EXPECT_EQ(CheckEncodable(broken).Why(), "The map has no cells to encode.");
}

TEST(TilemapSaveFailure, EncodingStopsAtTheFirstFailedWriteAndSaysWhy) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.png");
    WriteFileBytes(path, kPrevious);
    // Noise rows hardly compress, so the picture (about 1 MB) passes the limit in its first rows.
    std::mt19937 random(3);
    const std::shared_ptr<tilemap> map = test::RandomMap(random, 256, 1024, 256);
    std::vector<int> reports;
    std::optional<Expected<std::shared_ptr<TPixmap>>> encoded;
    {
        FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Applied());
        RandomGenerator shuffle;
        encoded = EncodePNGFile(*map, path, 1, shuffle,
                                [&reports](int done) { reports.push_back(done); });
    }
    ASSERT_FALSE(*encoded);
    EXPECT_EQ(encoded->Why(), "Writing " + path + " failed: File too large.");
    EXPECT_EQ(ReadFileBytes(path), kPrevious);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.png"});
    // The shuffle takes the first 800 thousandths, the rows the rest; the rows stopped within
    // the first tenth of the picture.
    ASSERT_FALSE(reports.empty());
    EXPECT_GE(reports.back(), 800);
    EXPECT_LT(reports.back(), 820);
}

// A save killed at any moment leaves the old or the new file whole.
TEST(TilemapSaveFailure, KilledSavesLeaveTheOldOrTheNewFileWholeAndTheNextSaveClearsUp) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("big.dtm");
    // Noise does not compress, so each save takes a while and writes about 800 kB.
    std::mt19937 random(5);
    const std::shared_ptr<tilemap> maps[] = {test::RandomMap(random, 512, 512, 256),
                                             test::RandomMap(random, 512, 512, 256)};
    std::vector<uint8_t> bytes[2];
    const auto start = std::chrono::steady_clock::now();
    for (int i : {1, 0}) {
        ASSERT_EQ(SaveQuietly(*maps[i], path), 1);
        bytes[i] = ReadFileBytes(path);
    }
    const auto saveTime = (std::chrono::steady_clock::now() - start) / 2;

    size_t leftBehind = 0;
    std::uniform_int_distribution<int64_t> delay(
        0, 5 * std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count() / 2);
    for (int kill = 0; kill < 40; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
            while (true) {
                Save(*maps[1], path);
                Save(*maps[0], path);
            }
        }
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::vector<uint8_t> now = ReadFileBytes(path);
        EXPECT_TRUE(now == bytes[0] || now == bytes[1])
            << "kill " << kill << " left " << now.size();
        // Every save clears what the killed ones before it left, so at most the last one's
        // side file remains.
        EXPECT_LE(SideFilesIn(folder.Root(), ".big.dtm.").size(), 1u) << "kill " << kill;
        leftBehind += SideFilesIn(folder.Root(), ".big.dtm.").size();
    }
    EXPECT_GT(leftBehind, 0u) << "no kill landed inside a save";
    EXPECT_EQ(SaveQuietly(*maps[1], path), 1);
    EXPECT_EQ(ReadFileBytes(path), bytes[1]);
    EXPECT_TRUE(SideFilesIn(folder.Root(), ".big.dtm.").empty());
}

} // namespace
} // namespace dm
