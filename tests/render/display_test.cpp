#include "render/display.h"

#include "platform/fatal_error.h"
#include "platform/pictures/pixmap.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace dm {
namespace {

class OpenDisplayTest : public testing::Test {
  protected:
    void SetUp() override {
        test::WritePicture(folder_.Path("glyphs_fg.png"), 128, 128, kPixelFormatRGB888,
                           test::PositionColor);
        test::WritePicture(folder_.Path("glyphs_bg.png"), 128, 128, kPixelFormatRGB888,
                           test::PositionColor);
        test::WritePicture(folder_.Path("colours.png"), 16, 16, kPixelFormatRGB888,
                           [](int x, int y) { return 0xFF000000u | (y * 16 + x); });
    }

    // A configuration naming the test's tileset and palette, followed by extra lines.
    std::string WriteConfig(const std::string& extra) {
        return folder_.Write("graphics.txt", "tileset " + folder_.Path("glyphs.png") + "\npallet " +
                                                 folder_.Path("colours.png") + "\n" + extra);
    }

    WindowOpener Recorder() {
        return [this](const WindowRequest& request) { requests_.push_back(request); };
    }

    std::string FatalMessage(Display& display, const std::string& configPath) {
        try {
            OpenDisplay(display, configPath, kUseDefaultTitle, Recorder());
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }

    test::TempFolder folder_;
    std::vector<WindowRequest> requests_;
};

TEST_F(OpenDisplayTest, CellsGlyphsScaleAndTitleShapeTheWindow) {
    Display display;
    OpenDisplay(display, WriteConfig(""), kUseDefaultTitle, Recorder());
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].width, 96 * 8);
    EXPECT_EQ(requests_[0].height, 32 * 8);
    EXPECT_EQ(requests_[0].title, "Duskmarch");
    EXPECT_EQ(requests_[0].depth, 0);
    EXPECT_EQ(requests_[0].hertz, 60);
    EXPECT_EQ(requests_[0].flags, 0);
    EXPECT_EQ(display.windowWidth, 768);
    EXPECT_EQ(display.windowHeight, 256);
    EXPECT_EQ(display.title, "Duskmarch");
    EXPECT_EQ(display.tileset.GlyphWidth, 8);
    EXPECT_EQ(display.tileset.GlyphHeight, 8);
    EXPECT_EQ(display.palette.Blue(200), 200);

    // A given title wins over the configured one.
    Display scaled;
    OpenDisplay(scaled, WriteConfig("width 111\nheight 68\nscale 2\ntitle Mine\n"), "Given",
                Recorder());
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[1].width, 111 * 8 * 2);
    EXPECT_EQ(requests_[1].height, 68 * 8 * 2);
    EXPECT_EQ(requests_[1].title, "Given");
    EXPECT_EQ(scaled.config.title, "Mine");
}

TEST_F(OpenDisplayTest, MissingConfigurationIsFatalUnlessOneWasReadBefore) {
    const std::string absent = folder_.Root() + "\\dmdata\\graphics.txt";
    Display fresh;
    EXPECT_EQ(FatalMessage(fresh, absent), "Failed to read " + absent);
    EXPECT_TRUE(requests_.empty());

    Display display;
    const std::string path = WriteConfig("title Kept\nwidth 10\n");
    OpenDisplay(display, path, kUseDefaultTitle, Recorder());
    std::filesystem::remove(path);
    OpenDisplay(display, path, kUseDefaultTitle, Recorder());
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[1].title, "Kept");
    EXPECT_EQ(requests_[1].width, 80);

    // A folder is no configuration file.
    Display folderConfig;
    EXPECT_EQ(FatalMessage(folderConfig, folder_.Root()), "Failed to read " + folder_.Root());
}

TEST_F(OpenDisplayTest, ResourceAndSizeFailuresAreFatalBeforeAnyWindow) {
    Display missingTiles;
    const std::string noTiles = folder_.Write("graphics.txt", "tileset nothing\\here.png\n");
    EXPECT_EQ(FatalMessage(missingTiles, noTiles), "Failed to load nothing/here_fg.png");

    const std::string unusable = " cells must be 1 to 4096 across and down, scale at least 1, "
                                 "and the window at most 32768 pixels wide and 536870911 pixels "
                                 "in all";
    // 4096 x 2048 cells of 8 x 8 pixels: sides within bounds, but a frame of 2 GiB.
    for (const std::string& lines :
         {std::string("width 0\n"), std::string("height -3\n"), std::string("scale 0\n"),
          std::string("width 4097\n"), std::string("width 4096\nscale 2\n"),
          std::string("width 4096\nheight 2048\n"),
          std::string("height 2048\nscale 2147483647\n")}) {
        Display display;
        const std::string path = WriteConfig(lines);
        const std::string message = FatalMessage(display, path);
        EXPECT_TRUE(message.starts_with("Unusable display size in " + path + ": ")) << message;
        EXPECT_TRUE(message.ends_with(unusable)) << message;
    }
    Display display;
    EXPECT_EQ(FatalMessage(display, WriteConfig("width 0\n")),
              "Unusable display size in " + folder_.Path("graphics.txt") +
                  ": 0 x 32 cells at scale 1;" + unusable);
    EXPECT_TRUE(requests_.empty());

    // One row fewer keeps the frame under 2 GiB.
    Display largest;
    OpenDisplay(largest, WriteConfig("width 4096\nheight 2047\n"), kUseDefaultTitle, Recorder());
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(std::pair(requests_[0].width, requests_[0].height), std::pair(32768, 16376));
}

TEST_F(OpenDisplayTest, RelativeResourcesComeFromTheResourceFolderWithoutEnteringIt) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string relative = folder_.Write("relative.txt", "tileset glyphs.png\n"
                                                               "pallet colours.png\n");
    Display display;
    display.config.resourceFolder = folder_.Root();
    OpenDisplay(display, relative, kUseDefaultTitle, Recorder());
    EXPECT_EQ(display.tileset.GlyphWidth, 8);
    EXPECT_EQ(display.palette.Blue(37), 37);
    EXPECT_EQ(std::filesystem::current_path(), before);

    // Messages quote the paths as the configuration writes them, not as they were looked up.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"tileset glyphs.png\npallet images\\none.png\n", "Failed to load images\\none.png"},
        {"tileset images\\none.png\npallet colours.png\n", "Failed to load images/none_fg.png"},
    };
    for (const auto& [lines, message] : cases) {
        Display failing;
        failing.config.resourceFolder = folder_.Root();
        EXPECT_EQ(FatalMessage(failing, folder_.Write("failing.txt", lines)), message) << lines;
    }
    // Without a resource folder the same relative names are looked up in the current folder.
    Display unplaced;
    EXPECT_EQ(FatalMessage(unplaced, relative), "Failed to load glyphs_fg.png");
}

} // namespace
} // namespace dm
