#include "render/display_config.h"

#include "platform/fatal_error.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

using namespace std::string_literals;

class DisplayConfigFile : public testing::Test {
  protected:
    // Writes the text as the configuration file and loads it through its path spelled with a
    // backslash, as the program names it. Returns the FatalError's message, or "" when it loads.
    std::string Load(const std::string& text) {
        folder_.Write("graphics.txt", text);
        config_ = DisplayConfig{};
        try {
            LoadDisplayConfig(path_, config_);
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }

    test::TempFolder folder_;
    const std::string path_ = folder_.Root() + "\\graphics.txt";
    DisplayConfig config_;
};

TEST_F(DisplayConfigFile, KeywordLinesSetFieldsAndTheRestKeepDefaults) {
    for (const std::string text : {"", "\n\n", "//x\n// a comment line\nab\n  x\n", "abc"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Load(text), "");
        EXPECT_EQ(config_.width, 96);
        EXPECT_EQ(config_.height, 32);
        EXPECT_EQ(config_.tileset, "data\\image\\curses.png");
        EXPECT_EQ(config_.pallet, "data\\image\\pallet.png");
        EXPECT_EQ(config_.title, "Duskmarch");
        EXPECT_EQ(config_.scale, 1);
        EXPECT_EQ(config_.autosave, 60);
        EXPECT_TRUE(config_.loaded);
    }

    EXPECT_EQ(Load("WIDTH 120\r\nHeight,70\r\ntileset art\\glyphs.png\r\n"
                   "pallet \"art\\my colours.png\"\r\ntitle My Map // the caption\r\nsCaLe 2"),
              "");
    EXPECT_EQ(config_.width, 120);
    EXPECT_EQ(config_.height, 70);
    EXPECT_EQ(config_.tileset, "art\\glyphs.png");
    EXPECT_EQ(config_.pallet, "art\\my colours.png");
    EXPECT_EQ(config_.title, "My Map");
    EXPECT_EQ(config_.scale, 2);

    // A later line wins, and a NUL byte ends its line.
    Load("width 100\ntitle One\ntitle T1\0abc\nwidth 111\n"s);
    EXPECT_EQ(config_.width, 111);
    EXPECT_EQ(config_.title, "T1");

    // Integers follow the system conversion.
    const struct {
        const char* text;
        int DisplayConfig::*field;
        int value;
    } numbers[] = {{"width $60", &DisplayConfig::width, 96},
                   {"width 80 90", &DisplayConfig::width, 80},
                   {"width %101", &DisplayConfig::width, 5},
                   {"height -7", &DisplayConfig::height, -7},
                   {"scale none", &DisplayConfig::scale, 0},
                   {"AutoSave 5", &DisplayConfig::autosave, 5},
                   {"autosave 0 // off", &DisplayConfig::autosave, 0},
                   {"autosave $10", &DisplayConfig::autosave, 16},
                   {"autosave -3", &DisplayConfig::autosave, -3}};
    for (const auto& number : numbers) {
        Load(number.text);
        EXPECT_EQ(config_.*number.field, number.value) << number.text;
    }
}

TEST_F(DisplayConfigFile, BadLinesAreFatalWithTheirLineNumber) {
    const struct {
        const char* text;
        std::string message;
    } cases[] = {
        {"width", "Incorrect number of arguments on line 1"},
        {"scale 1\nautosave\n", "Incorrect number of arguments on line 2"},
        {"autosave 30,60", "Incorrect number of arguments on line 1"},
        {"abc\n\ntitle Hello, world\n", "Incorrect number of arguments on line 3"},
        {"title   \n", "Incorrect number of arguments on line 1"},
        {"width 1,2,3,4,5,6,7,8,9,10", "Incorrect number of arguments on line 1"},
        {"width 1,2,3,4,5,6,7,8,9,10,11", "Incorrect number of arguments on line 1"},
        {"width 80\nPalette x.png\n", "Unrecognized keyword 'Palette' on line 2"},
        {"Colour 1,2", "Unrecognized keyword 'Colour' on line 1"},
        {"x\n  // note\n", "Unrecognized keyword '' on line 2"},
        {"    \n", "Unrecognized keyword '' on line 1"},
        {",800\n", "Unrecognized keyword '' on line 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.text), c.message + " of " + path_) << c.text;
    }
}

TEST_F(DisplayConfigFile, MissingFileIsFatalAndUnterminatedStringOnlyWarns) {
    const std::string absent = folder_.Root() + "\\absent\\graphics.txt";
    DisplayConfig config;
    try {
        LoadDisplayConfig(absent, config);
        ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& error) {
        EXPECT_EQ(std::string(error.what()), "Failed to read " + absent);
    }
    EXPECT_FALSE(config.loaded);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Load("width 100\ntitle \"abc\nheight 40\n"), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Improperly teminated string on line 2 of " + path_ + " ( abc )\n");
    EXPECT_EQ(config_.title, "abc");
    EXPECT_EQ(config_.height, 40);
}

} // namespace
} // namespace dm
