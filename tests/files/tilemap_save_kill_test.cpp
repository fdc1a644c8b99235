#include "container_test_support.h"

#include "files/tilemap_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dm {
namespace {

TEST(TilemapSaveKill, KilledSavesLeaveTheOldOrTheNewFileWholeAndTheNextSaveClearsUp) {
    test::ContainerTempFolder folder;
    const std::string path = folder.Path("big.dtm");
    const auto sideFiles = [&folder] {
        return std::ranges::count_if(
            folder.Names(), [](const std::string& name) { return name.starts_with(".big.dtm."); });
    };
    // Noise does not compress, so each save takes a while and writes about 800 kB.
    std::mt19937 random(5);
    const std::shared_ptr<tilemap> maps[] = {test::RandomMap(random, 512, 512, 256),
                                             test::RandomMap(random, 512, 512, 256)};
    std::vector<uint8_t> bytes[2];
    testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    for (int i : {1, 0}) {
        ASSERT_EQ(Save(*maps[i], path), 1);
        bytes[i] = test::ReadFileBytes(path);
    }
    const auto saveTime = (std::chrono::steady_clock::now() - start) / 2;
    testing::internal::GetCapturedStdout();

    int leftBehind = 0;
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
        const std::vector<uint8_t> now = test::ReadFileBytes(path);
        EXPECT_TRUE(now == bytes[0] || now == bytes[1])
            << "kill " << kill << " left " << now.size();
        // Every save clears what the killed ones before it left, so at most the last one's
        // side file remains.
        EXPECT_LE(sideFiles(), 1) << "kill " << kill;
        leftBehind += static_cast<int>(sideFiles());
    }
    EXPECT_GT(leftBehind, 0) << "no kill landed inside a save";
    testing::internal::CaptureStdout();
    EXPECT_EQ(Save(*maps[1], path), 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(test::ReadFileBytes(path), bytes[1]);
    EXPECT_EQ(sideFiles(), 0);
}

} // namespace
} // namespace dm
