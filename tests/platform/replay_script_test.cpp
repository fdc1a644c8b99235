#include "platform/graphics.h"
#include "platform/png_codec.h"
#include "platform/polled_input.h"
#include "platform/replay_script.h"
#include "png_test_files.h"
#include "scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace dm {
namespace {

TEST(ReplayScript, LinesBecomeStepsAtTheirFrames) {
    const ReplayParseResult parsed =
        ParseReplayScript("# a session\npress 78\n\nframe 3\r\n  move -4 12\nanswer maps/a b.dtm\n"
                          "answer\nanswer /abs\nframe 3\nscreenshot shot.png\nchoose 1\nend\n",
                          "/home/user");
    ASSERT_TRUE(parsed.script) << parsed.error;
    const std::vector<ReplayStep>& steps = parsed.script->steps;
    std::vector<std::tuple<int64_t, ReplayAction, std::string>> read;
    for (const ReplayStep& step : steps) {
        read.emplace_back(step.frame, step.action, step.text);
    }
    using A = ReplayAction;
    EXPECT_EQ(read, (std::vector<std::tuple<int64_t, ReplayAction, std::string>>{
                        {0, A::KeyDown, ""},
                        {0, A::KeyUp, ""},
                        {3, A::Move, ""},
                        {3, A::Answer, "/home/user/maps/a b.dtm"},
                        {3, A::Answer, ""},
                        {3, A::Answer, "/abs"},
                        {3, A::Screenshot, "/home/user/shot.png"},
                        {3, A::Choose, ""},
                        {3, A::End, ""}}));
    EXPECT_EQ(std::tuple(steps[1].value, steps[2].value, steps[2].value2, steps[7].value),
              std::tuple(78, -4, 12, 1));
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

// Requester answers and message box choices from the script are covered with the requesters.
TEST(HeadlessDriver, ScreenshotsShowTheFrameAndTheScriptStopsAtEndOrAfterItsLastFrame) {
    ScratchDir dir;
    {
        test::HeadlessWindow window(4, 2, "frame 2\nscreenshot shot.png\nend\nframe 9\npress 65\n",
                                    dir.Path());
        Flip(0);
        Flip(0);
        SetColor(255, 0, 0);
        DrawRect(1, 0, 2, 1);
        EXPECT_THROW(Flip(0), ReplayFinished); // "end" stops after frame 2 is shown
        const auto shot = LoadPixmap(dir.File("shot.png"));
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(test::Pixels(*shot),
                  (std::vector<uint32_t>{0xFF000000u, 0xFFFF0000u, 0xFFFF0000u, 0xFF000000u,
                                         0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u}));
    }
    test::HeadlessWindow window(4, 4, "frame 1\npress 65\n");
    Flip(0);
    EXPECT_THROW(Flip(0), ReplayFinished);
    EXPECT_EQ(TakeKeyHits(65), 1);
}

} // namespace
} // namespace dm
