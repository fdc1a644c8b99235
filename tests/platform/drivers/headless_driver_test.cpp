#include "platform/drivers/headless_driver.h"

#include "platform/drawing/graphics.h"
#include "platform/input/clipboard.h"
#include "platform/pictures/png_codec.h"
#include "platform/scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace dm {
namespace {

// A full device, a missing folder and a folder in place of the file are each logged with the
// system's reason; the screenshots around them are written and the run goes on.
TEST(HeadlessScreenshots, FailuresAreLoggedWithTheReasonAndTheRunGoesOn) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.File("taken.png"));
    const std::string script = "screenshot /dev/full\nscreenshot " + dir.File("no/such/a.png") +
                               "\nscreenshot " + dir.File("taken.png") + "\nscreenshot " +
                               dir.File("first.png") + "\nframe 1\nscreenshot " +
                               dir.File("second.png") + "\nframe 2\nend\n";
    test::HeadlessWindow window(6, 4, script);
    Cls();
    SetColor(10, 200, 30);
    DrawRect(2, 1, 3, 2);
    Flip(0);
    Cls();
    Flip(0);
    EXPECT_FALSE(window.Driver().RunEnded());
    Flip(0);
    EXPECT_TRUE(window.Driver().RunEnded());
    EXPECT_EQ(window.Log(), "screenshot failed: /dev/full: No space left on device\n"
                            "screenshot failed: " +
                                dir.File("no/such/a.png") +
                                ": No such file or directory\n"
                                "screenshot failed: " +
                                dir.File("taken.png") + ": Is a directory\n");
    const std::shared_ptr<TPixmap> first = LoadPixmap(dir.File("first.png"));
    const std::shared_ptr<TPixmap> second = LoadPixmap(dir.File("second.png"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->ReadPixel(3, 2), 0xFF0AC81Eu);
    EXPECT_EQ(first->ReadPixel(1, 1), 0xFF000000u);
    EXPECT_EQ(second->ReadPixel(3, 2), 0xFF000000u);
}

// The script sets the run's clipboard; what the program puts there is logged, escaped, and can be
// read back.
TEST(HeadlessClipboard, TheScriptSetsItAndWhatTheProgramSetsIsLogged) {
    test::HeadlessWindow window(4, 4, "clipboard one\\ntwo\nframe 1\nclipboard\nframe 2\nend\n");
    EXPECT_EQ(GetClipboardText(), "one\ntwo");
    EXPECT_TRUE(SetClipboardText("\u2554\x1b[2J\n"));
    EXPECT_EQ(GetClipboardText(), "\u2554\x1b[2J\n");
    Flip(0);
    EXPECT_EQ(GetClipboardText(), "");
    EXPECT_EQ(window.Log(), "clipboard \u2554\\x1b[2J\\x0a\n");
}

// Without a driver there is no clipboard.
TEST(HeadlessClipboard, WithoutADriverSettingFailsAndNothingIsRead) {
    const Outcome set = SetClipboardText("x");
    ASSERT_FALSE(set);
    EXPECT_EQ(set.Why(), "there is no clipboard");
    EXPECT_EQ(GetClipboardText(), "");
}

// Every frame is drawn into one picture of four bytes a pixel, which must stay within 2 GiB.
TEST(HeadlessScreenshots, AWindowWhoseFrameCannotBeAPictureIsRefused) {
    test::HeadlessWindow small(4, 4);
    const Expected<std::shared_ptr<TGraphics>> tooLarge = OpenGraphics(32768, 16384, 0, 60, 0);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.Why(), "a frame of 32768 x 16384 pixels is larger than a picture can be");
    const Expected<std::shared_ptr<TGraphics>> largest = OpenGraphics(32768, 16383, 0, 60, 0);
    ASSERT_TRUE(largest) << largest.Why();
    EXPECT_NE(*largest, nullptr);
    CloseGraphics();
}

} // namespace
} // namespace dm
