#include "platform/graphics.h"
#include "platform/png_codec.h"
#include "platform/polled_input.h"
#include "platform/replay_script.h"
#include "scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

TEST(ReplayScript, LinesBecomeStepsAtTheirFrames) {
    const ReplayParseResult parsed = ParseReplayScript("# a session\n"
                                                       "press 78\n"
                                                       "\n"
                                                       "frame 3\r\n"
                                                       "  move -4 12\n"
                                                       "answer maps/a b.dtm\n"
                                                       "answer\n"
                                                       "answer /abs\n"
                                                       "frame 3\n"
                                                       "screenshot shot.png\n"
                                                       "choose 1\n"
                                                       "end\n",
                                                       "/home/user");
    ASSERT_TRUE(parsed.script) << parsed.error;
    const std::vector<ReplayStep>& steps = parsed.script->steps;
    ASSERT_EQ(steps.size(), 9u);
    EXPECT_EQ(steps[0].action, ReplayAction::KeyDown);
    EXPECT_EQ(steps[1].action, ReplayAction::KeyUp);
    EXPECT_EQ(steps[1].value, 78);
    EXPECT_EQ(steps[1].frame, 0);
    EXPECT_EQ(steps[2].frame, 3);
    EXPECT_EQ(steps[2].value, -4);
    EXPECT_EQ(steps[2].value2, 12);
    EXPECT_EQ(steps[3].text, "/home/user/maps/a b.dtm");
    EXPECT_EQ(steps[4].text, "");
    EXPECT_EQ(steps[5].text, "/abs");
    EXPECT_EQ(steps[6].text, "/home/user/shot.png");
    EXPECT_EQ(steps[7].value, 1);
    EXPECT_EQ(steps[8].action, ReplayAction::End);
}

TEST(ReplayScript, TheFirstBadLineRefusesTheScript) {
    const std::pair<const char*, const char*> cases[] = {
        {"frame 2\nframe 1\n", "line 2: frame 1 comes after frame 2"},
        {"press 256\n", "line 1: '256' is not a number from 0 to 255"},
        {"key sideways 5\n", "line 1: 'key' needs 'down' or 'up'"},
        {"\n\nbutton down 4\n", "line 3: '4' is not a number from 1 to 3"},
        {"move 1\n", "line 1: 'move' needs 2 numbers"},
        {"char 0x41\n", "line 1: '0x41' is not a number from 1 to 255"},
        {"wiggle\n", "line 1: unknown command 'wiggle'"},
        {"end now\n", "line 1: 'end' takes nothing after it"},
        {"screenshot\n", "line 1: 'screenshot' needs a path"},
        {"focus\n", "line 1: 'focus' needs 'lost' or 'gained'"},
    };
    for (const auto& [text, error] : cases) {
        const ReplayParseResult parsed = ParseReplayScript(text, "/");
        EXPECT_FALSE(parsed.script) << text;
        EXPECT_EQ(parsed.error, error);
    }
}

TEST(HeadlessDriver, AnswersBoxesScreenshotsAndTheEndComeFromTheScript) {
    ScratchDir dir;
    test::HeadlessWindow window(4, 2, R"(
        answer first.dtm
        choose 1
        choose 2
        frame 2
        screenshot shot.png
        end
        frame 9
        press 65
    )",
                                dir.Path());
    HeadlessDriver& driver = window.Driver();
    EXPECT_EQ(driver.RequestFile({"Open Tilemap", "Duskmarch Tilemaps:dtm;All Files:*", false, ""}),
              dir.Path() + "/first.dtm");
    EXPECT_EQ(driver.RequestFile({"Save Tilemap As", "PNG Image:png", true, "Untitled"}), "");
    EXPECT_EQ(driver.ShowMessageBox(MessageBoxKind::Confirm, "Duskmarch", "Sure?", true), 1);
    EXPECT_EQ(driver.ShowMessageBox(MessageBoxKind::Confirm, "Duskmarch", "No third button", false),
              -1);
    EXPECT_EQ(driver.ShowMessageBox(MessageBoxKind::Notify, "T", "nothing queued", false), -1);
    EXPECT_EQ(window.Log(), "requester open Open Tilemap [Duskmarch Tilemaps:dtm;All Files:*] \n"
                            "requester save Save Tilemap As [PNG Image:png] Untitled\n"
                            "messagebox confirm Duskmarch: Sure?\n"
                            "messagebox confirm Duskmarch: No third button\n"
                            "messagebox notify T: nothing queued\n");

    Flip(0);
    Flip(0);
    SetColor(255, 0, 0);
    DrawRect(1, 0, 2, 1);
    EXPECT_THROW(Flip(0), ReplayFinished); // "end" stops after frame 2 is shown
    const auto shot = LoadPixmap(dir.File("shot.png"));
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->ReadPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(shot->ReadPixel(2, 0), 0xFFFF0000u);
    EXPECT_EQ(shot->ReadPixel(2, 1), 0xFF000000u);
}

TEST(HeadlessDriver, AScriptWithoutEndStopsAfterItsLastFrame) {
    test::HeadlessWindow window(4, 4, "frame 1\npress 65\n");
    Flip(0);
    EXPECT_THROW(Flip(0), ReplayFinished);
    EXPECT_EQ(TakeKeyHits(65), 1);
}

} // namespace
} // namespace dm
