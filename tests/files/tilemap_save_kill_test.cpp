#include "container_test_support.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::ContainerTempFolder;

std::vector<std::string> SideFiles(const ContainerTempFolder& folder) {
    std::vector<std::string> names = folder.Names();
    std::erase_if(names, [](const std::string& name) { return !name.starts_with(".big.dtm."); });
    return names;
}

int32_t SaveQuietly(const tilemap& map, const std::string& path) {
    testing::internal::CaptureStdout();
    const int32_t result = Save(map, path);
    testing::internal::GetCapturedStdout();
    return result;
}

TEST(TilemapSaveKill, KilledSavesLeaveTheOldOrTheNewFileWholeAndTheNextSaveClearsUp) {
    ContainerTempFolder folder;
    std::mt19937 random(5);
    // Noise does not compress, so each save takes a while and writes about 800 kB.
    const std::shared_ptr<tilemap> first = test::RandomMap(random, 512, 512, 256);
    const std::shared_ptr<tilemap> second = test::RandomMap(random, 512, 512, 256);
    ASSERT_EQ(SaveQuietly(*second, folder.Path("second.dtm")), 1);
    const auto start = Clock::now();
    ASSERT_EQ(SaveQuietly(*first, folder.Path("first.dtm")), 1);
    const auto saveTime = Clock::now() - start;
    const std::vector<uint8_t> firstBytes = test::ReadFileBytes(folder.Path("first.dtm"));
    const std::vector<uint8_t> secondBytes = test::ReadFileBytes(folder.Path("second.dtm"));
    fs::rename(folder.Path("first.dtm"), folder.Path("big.dtm"));
    fs::remove(folder.Path("second.dtm"));
    const std::string path = folder.Path("big.dtm");

    constexpr int kKills = 40;
    int asFirst = 0;
    int asSecond = 0;
    int leftBehind = 0;
    std::uniform_int_distribution<int64_t> delay(
        0, 5 * std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count() / 2);
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
            while (true) {
                Save(*second, path);
                Save(*first, path);
            }
        }
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        if (bytes == firstBytes) {
            ++asFirst;
        } else if (bytes == secondBytes) {
            ++asSecond;
        } else {
            ADD_FAILURE() << "kill " << kill << " left " << bytes.size() << " bytes of neither map";
        }
        // Every save clears what the killed ones before it left, so at most the last one's
        // side file remains.
        const size_t sideFiles = SideFiles(folder).size();
        EXPECT_LE(sideFiles, 1u) << "kill " << kill;
        leftBehind += static_cast<int>(sideFiles);
    }
    EXPECT_GT(leftBehind, 0) << "no kill landed inside a save";
    EXPECT_EQ(SaveQuietly(*second, path), 1);
    EXPECT_EQ(test::ReadFileBytes(path), secondBytes);
    EXPECT_TRUE(SideFiles(folder).empty());
    std::cout << kKills << " kills: " << asFirst << " left the first map, " << asSecond
              << " the second, " << leftBehind << " a side file\n";
}

} // namespace
} // namespace dm
