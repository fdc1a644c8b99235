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
    // Writes the text as the configuration file and returns its path spelled with a backslash,
    // as the program names it.
    std::string WriteConfig(const std::string& text) {
        folder_.Write("graphics.txt", text);
        return folder_.Root() + "\\graphics.txt";
    }

    // The message of the FatalError that loading text raises, or "" when it loads.
    std::string FatalMessage(const std::string& text) {
        const std::string path = WriteConfig(text);
        DisplayConfig config;
        try {
            LoadDisplayConfig(path, config);
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }

    DisplayConfig Load(const std::string& text) {
        DisplayConfig config;
        LoadDisplayConfig(WriteConfig(text), config);
        return config;
    }

    test::TempFolder folder_;
};

TEST_F(DisplayConfigFile, FileWithoutKeywordLinesKeepsEveryDefault) {
    for (const std::string text : {"", "\n\n", "//x\n// a comment line\nab\n  x\n", "abc"}) {
        const DisplayConfig config = Load(text);
        EXPECT_EQ(config.width, 96) << text;
        EXPECT_EQ(config.height, 32) << text;
        EXPECT_EQ(config.tileset, "data\\image\\curses.png") << text;
        EXPECT_EQ(config.pallet, "data\\image\\pallet.png") << text;
        EXPECT_EQ(config.title, "Duskmarch") << text;
        EXPECT_EQ(config.scale, 1) << text;
        EXPECT_TRUE(config.loaded) << text;
    }
}

TEST_F(DisplayConfigFile, EveryKeywordSetsItsField) {
    const DisplayConfig config = Load("WIDTH 120\r\n"
                                      "Height,70\r\n"
                                      "tileset art\\glyphs.png\r\n"
                                      "pallet \"art\\my colours.png\"\r\n"
                                      "title My Map // the caption\r\n"
                                      "sCaLe 2");
    EXPECT_EQ(config.width, 120);
    EXPECT_EQ(config.height, 70);
    EXPECT_EQ(config.tileset, "art\\glyphs.png");
    EXPECT_EQ(config.pallet, "art\\my colours.png");
    EXPECT_EQ(config.title, "My Map");
    EXPECT_EQ(config.scale, 2);
}

TEST_F(DisplayConfigFile, IntegersFollowTheSystemConversion) {
    EXPECT_EQ(Load("width $60").width, 96);
    EXPECT_EQ(Load("width 80 90").width, 80);
    EXPECT_EQ(Load("width %101").width, 5);
    EXPECT_EQ(Load("height -7").height, -7);
    EXPECT_EQ(Load("scale none").scale, 0);
}

TEST_F(DisplayConfigFile, LaterLineWins) {
    const DisplayConfig config = Load("width 100\ntitle One\nwidth 111\ntitle Two\n");
    EXPECT_EQ(config.width, 111);
    EXPECT_EQ(config.title, "Two");
}

TEST_F(DisplayConfigFile, NulByteEndsALine) {
    const DisplayConfig config = Load("title T1\0abc\nwidth 100"s);
    EXPECT_EQ(config.title, "T1");
    EXPECT_EQ(config.width, 100);
}

TEST_F(DisplayConfigFile, WrongArgumentCountIsFatalWithItsLine) {
    const std::string path = folder_.Root() + "\\graphics.txt";
    EXPECT_EQ(FatalMessage("width"), "Incorrect number of arguments on line 1 of " + path);
    EXPECT_EQ(FatalMessage("abc\n\ntitle Hello, world\n"),
              "Incorrect number of arguments on line 3 of " + path);
    EXPECT_EQ(FatalMessage("title   \n"), "Incorrect number of arguments on line 1 of " + path);
    EXPECT_EQ(FatalMessage("width 1,2,3,4,5,6,7,8,9,10"),
              "Incorrect number of arguments on line 1 of " + path);
    EXPECT_EQ(FatalMessage("width 1,2,3,4,5,6,7,8,9,10,11"),
              "Incorrect number of arguments on line 1 of " + path);
}

TEST_F(DisplayConfigFile, UnknownKeywordIsFatalWithTheKeywordAsWritten) {
    const std::string path = folder_.Root() + "\\graphics.txt";
    EXPECT_EQ(FatalMessage("width 80\nPalette x.png\n"),
              "Unrecognized keyword 'Palette' on line 2 of " + path);
    EXPECT_EQ(FatalMessage("Colour 1,2"), "Unrecognized keyword 'Colour' on line 1 of " + path);
    EXPECT_EQ(FatalMessage("x\n  // note\n"), "Unrecognized keyword '' on line 2 of " + path);
    EXPECT_EQ(FatalMessage("    \n"), "Unrecognized keyword '' on line 1 of " + path);
    EXPECT_EQ(FatalMessage(",800\n"), "Unrecognized keyword '' on line 1 of " + path);
}

TEST_F(DisplayConfigFile, MissingFileIsFatal) {
    DisplayConfig config;
    const std::string path = folder_.Root() + "\\absent\\graphics.txt";
    try {
        LoadDisplayConfig(path, config);
        ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& error) {
        EXPECT_EQ(std::string(error.what()), "Failed to read " + path);
    }
    EXPECT_FALSE(config.loaded);
}

TEST_F(DisplayConfigFile, UnterminatedStringWarnsWithItsLineAndGoesOn) {
    const std::string path = WriteConfig("width 100\ntitle \"abc\nheight 40\n");
    DisplayConfig config;
    testing::internal::CaptureStderr();
    LoadDisplayConfig(path, config);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Improperly teminated string on line 2 of " + path + " ( abc )\n");
    EXPECT_EQ(config.title, "abc");
    EXPECT_EQ(config.height, 40);
}

} // namespace
} // namespace dm
