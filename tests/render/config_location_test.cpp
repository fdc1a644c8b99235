#include "render/config_location.h"

#include "platform/fatal_error.h"
#include "render/display.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace dm {
namespace {

TEST(UserDisplayConfigPath, XdgConfigHomeWinsWhenAbsoluteElseHomesConfigFolder) {
    struct Case {
        UserFolders folders;
        std::string expected;
    };
    const Case cases[] = {
        {{"/srv/cfg", "/home/ann"}, "/srv/cfg/duskmarch/graphics.txt"},
        {{"/srv/cfg/", "/home/ann"}, "/srv/cfg/duskmarch/graphics.txt"},
        {{"", "/home/ann"}, "/home/ann/.config/duskmarch/graphics.txt"},
        {{"", "/home/ann/"}, "/home/ann/.config/duskmarch/graphics.txt"},
        // A relative folder in either variable is no folder at all.
        {{"cfg", "/home/ann"}, "/home/ann/.config/duskmarch/graphics.txt"},
        {{"cfg", "home/ann"}, ""},
        {{"", ""}, ""},
        {{"/", ""}, "/duskmarch/graphics.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UserDisplayConfigPath(c.folders), c.expected)
            << "XDG_CONFIG_HOME=" << c.folders.configHome << " HOME=" << c.folders.home;
    }
}

class ConfigLookup : public testing::Test {
  protected:
    void SetUp() override {
        test::WritePicture(folder_.Path("glyphs_fg.png"), 128, 128, kPixelFormatRGB888,
                           test::PositionColor);
        test::WritePicture(folder_.Path("glyphs_bg.png"), 128, 128, kPixelFormatRGB888,
                           test::PositionColor);
        test::WritePicture(folder_.Path("colours.png"), 16, 16, kPixelFormatRGB888,
                           test::PositionColor);
        installed_ = WriteConfig("installed/graphics.txt", "width 40\n");
    }

    std::string WriteConfig(const std::string& name, const std::string& lines) {
        return folder_.Write(name, "tileset " + folder_.Path("glyphs.png") + "\npallet " +
                                       folder_.Path("colours.png") + "\n" + lines);
    }

    // The cells across the display opens with, or the start-up error's message.
    std::string StartUp(const UserFolders& folders) {
        Display display;
        try {
            OpenDisplay(display, ChooseDisplayConfig(folders, installed_), kUseDefaultTitle,
                        [](const WindowRequest&) {});
        } catch (const FatalError& error) {
            return error.what();
        }
        return std::to_string(display.config.width) + " cells";
    }

    test::TempFolder folder_;
    std::string installed_;
};

TEST_F(ConfigLookup, TheUsersFileIsReadInsteadOfTheInstalledOneWhenItIsThere) {
    const UserFolders xdg{folder_.Path("xdg"), folder_.Path("home")};
    const UserFolders homeOnly{"", folder_.Path("home")};

    // Absent everywhere: the installed configuration.
    EXPECT_EQ(StartUp(xdg), "40 cells");
    EXPECT_EQ(StartUp(homeOnly), "40 cells");
    EXPECT_EQ(StartUp({"", ""}), "40 cells");

    // In ~/.config: read when XDG_CONFIG_HOME is unset, passed over when it names another folder.
    WriteConfig("home/.config/duskmarch/graphics.txt", "width 50\n");
    EXPECT_EQ(StartUp(homeOnly), "50 cells");
    EXPECT_EQ(StartUp(xdg), "40 cells");

    WriteConfig("xdg/duskmarch/graphics.txt", "width 60\n");
    EXPECT_EQ(StartUp(xdg), "60 cells");

    // Its own faults are reported against it.
    WriteConfig("xdg/duskmarch/graphics.txt", "wdith 60\n");
    EXPECT_EQ(StartUp(xdg), "Unrecognized keyword 'wdith' on line 3 of " +
                                folder_.Path("xdg/duskmarch/graphics.txt"));
}

TEST_F(ConfigLookup, AUsersFileThatCannotBeReadEndsStartUpNamingIt) {
    const std::string user = folder_.Path("xdg/duskmarch/graphics.txt");
    const UserFolders xdg{folder_.Path("xdg"), ""};
    std::filesystem::create_directories(folder_.Path("xdg/duskmarch"));

    std::filesystem::create_symlink(folder_.Path("nowhere.txt"), user);
    EXPECT_EQ(StartUp(xdg), "Failed to read " + user);
    std::filesystem::remove(user);

    std::filesystem::create_directories(user);
    EXPECT_EQ(StartUp(xdg), "Failed to read " + user);
    std::filesystem::remove(user);

    // Permissions do not hold back the superuser, so only others can see this refusal.
    WriteConfig("xdg/duskmarch/graphics.txt", "width 60\n");
    if (geteuid() != 0) {
        std::filesystem::permissions(user, std::filesystem::perms::none);
        EXPECT_EQ(StartUp(xdg), "Failed to read " + user);
        std::filesystem::permissions(folder_.Path("xdg/duskmarch"), std::filesystem::perms::none);
        EXPECT_EQ(StartUp(xdg), "Failed to read " + user);
        std::filesystem::permissions(folder_.Path("xdg/duskmarch"),
                                     std::filesystem::perms::owner_all);
        std::filesystem::permissions(user, std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(StartUp(xdg), "60 cells");
}

} // namespace
} // namespace dm
