#include "files/container_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace dm {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string err;
};

// Runs the program with no display to reach, from the folder it lies in; a run that hangs is
// ended after a minute.
ProgramRun RunWithoutDisplay(const fs::path& program, const std::string& folder) {
    const std::string err = folder + "/stderr.txt";
    const std::string command = "timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "
                                "ASAN_OPTIONS=detect_leaks=0 '" +
                                program.string() + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, [&err] {
                const std::vector<uint8_t> bytes = test::ReadFileBytes(err);
                return std::string(bytes.begin(), bytes.end());
            }()};
}

// A start without a display would end with the window's message instead, so these messages also
// show that the art is loaded before any window is asked for.
TEST(StartUpFaults, MissingArtOrConfigurationEndsWithItsMessageAndStatus255BeforeAnyWindow) {
    struct Case {
        const char* missing;
        const char* message;
    };
    for (const Case& c : {
             Case{"data/image/pallet.png", "Failed to load data/image/pallet.png\n"},
             Case{"data/image/curses_fg.png", "Failed to load data/image/curses_fg.png\n"},
             Case{"data/image/curses_bg.png",
                  "Failed to load tileset image data/image/curses_bg.png\n"},
             Case{"dmdata/graphics.txt", "Failed to read dmdata\\graphics.txt\n"},
         }) {
        // The program finds its files beside itself, so a copy of its folder loses one.
        test::ContainerTempFolder folder;
        const fs::path bin = DUSKMARCH_BIN_DIR;
        fs::copy_file(bin / "duskmarch", folder.Root() / "duskmarch");
        fs::copy(bin / "data", folder.Root() / "data", fs::copy_options::recursive);
        fs::copy(bin / "dmdata", folder.Root() / "dmdata", fs::copy_options::recursive);
        fs::remove(folder.Root() / c.missing);
        const ProgramRun run = RunWithoutDisplay(folder.Root() / "duskmarch", folder.Path("."));
        EXPECT_EQ(run.status, 255) << c.missing;
        EXPECT_EQ(run.err, c.message);
    }
}

TEST(StartUpFaults, NoDisplayEndsWithSdlsReasonAndStatus255) {
    test::ContainerTempFolder folder;
    const ProgramRun run =
        RunWithoutDisplay(fs::path(DUSKMARCH_BIN_DIR) / "duskmarch", folder.Path("."));
    EXPECT_EQ(run.status, 255);
    const std::string prefix = "Unable to open the Duskmarch window: ";
    const size_t at = run.err.find(prefix);
    ASSERT_NE(at, std::string::npos) << run.err;
    // SDL names the video drivers it tried, the one for X among them.
    const std::string reason = run.err.substr(at + prefix.size());
    EXPECT_NE(reason.find("x11"), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), reason.size() - 1) << reason;
}

} // namespace
} // namespace dm
