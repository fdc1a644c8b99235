#include "files/container_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace dm {
namespace {

namespace fs = std::filesystem;

// Runs the program with no display to reach; a run that hangs is ended after a minute. Gives its
// exit status and what it wrote to standard error.
std::pair<int, std::string> RunWithoutDisplay(const fs::path& program, const std::string& folder) {
    const std::string err = folder + "/stderr.txt";
    const int raw = std::system(("timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "
                                 "ASAN_OPTIONS=detect_leaks=0 '" +
                                 program.string() + "' 2>'" + err + "'")
                                    .c_str());
    const std::vector<uint8_t> bytes = test::ReadFileBytes(err);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(bytes.begin(), bytes.end())};
}

// A start without a display would end with the window's message instead, so these messages also
// show that the art is loaded before any window is asked for.
TEST(StartUpFaults, MissingArtOrConfigurationEndsWithItsMessageAndStatus255BeforeAnyWindow) {
    const std::pair<const char*, const char*> cases[] = {
        {"data/image/pallet.png", "Failed to load data/image/pallet.png\n"},
        {"data/image/curses_fg.png", "Failed to load data/image/curses_fg.png\n"},
        {"data/image/curses_bg.png", "Failed to load tileset image data/image/curses_bg.png\n"},
        {"dmdata/graphics.txt", "Failed to read dmdata\\graphics.txt\n"},
    };
    for (const auto& [missing, message] : cases) {
        // The program finds its files beside itself, so a copy of its folder loses one.
        test::ContainerTempFolder folder;
        const fs::path bin = DUSKMARCH_BIN_DIR;
        fs::copy_file(bin / "duskmarch", folder.Root() / "duskmarch");
        fs::copy(bin / "data", folder.Root() / "data", fs::copy_options::recursive);
        fs::copy(bin / "dmdata", folder.Root() / "dmdata", fs::copy_options::recursive);
        fs::remove(folder.Root() / missing);
        EXPECT_EQ(RunWithoutDisplay(folder.Root() / "duskmarch", folder.Path(".")),
                  std::pair(255, std::string(message)));
    }
}

TEST(StartUpFaults, NoDisplayEndsWithSdlsReasonAndStatus255) {
    test::ContainerTempFolder folder;
    const auto [status, err] =
        RunWithoutDisplay(fs::path(DUSKMARCH_BIN_DIR) / "duskmarch", folder.Path("."));
    EXPECT_EQ(status, 255);
    // SDL names the video drivers it tried, the one for X among them, on one line.
    const std::string prefix = "Unable to open the Duskmarch window: ";
    const size_t at = err.find(prefix);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string reason = err.substr(at + prefix.size());
    EXPECT_NE(reason.find("x11"), std::string::npos) << err;
    EXPECT_EQ(reason.find('\n'), reason.size() - 1) << err;
}

} // namespace
} // namespace dm
