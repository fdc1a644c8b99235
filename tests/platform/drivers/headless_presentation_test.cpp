#include "platform/drawing/graphics.h"
#include "platform/drivers/headless_driver.h"
#include "platform/drivers/replay_script.h"
#include "platform/pictures/png_codec.h"
#include "platform/scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

TEST(HeadlessPresentation, ExposeIsAScriptLineOfItsOwn) {
    const Expected<ReplayScript> parsed = ParseReplayScript("frame 2\nexpose\n", "/");
    ASSERT_TRUE(parsed) << parsed.Why();
    ASSERT_EQ(parsed->steps.size(), 1u);
    EXPECT_EQ(parsed->steps[0].frame, 2);
    EXPECT_EQ(parsed->steps[0].action, ReplayAction::Expose);

    const Expected<ReplayScript> refused = ParseReplayScript("expose now\n", "/");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Why(), "line 1: 'expose' takes nothing after it");
}

// Every flip is a frame of the script, drawn or not; a frame is drawn when its drawing differs
// from the one drawn last or the window was exposed, and a screenshot of an undrawn frame shows
// what the window shows.
TEST(HeadlessPresentation, AFrameLikeTheOneShownIsDrawnAgainOnlyAfterAnExpose) {
    ScratchDir dir;
    test::HeadlessWindow window(8, 6, "frame 4\nexpose\nframe 5\nscreenshot shot.png\n",
                                dir.Path());
    HeadlessDriver& driver = window.Driver();
    driver.RunPastEnd();
    const auto draw = [](int red) {
        Cls();
        SetColor(red, 0, 0);
        DrawRect(2, 1, 4, 3);
    };
    struct Step {
        int red;
        bool interim;
        int64_t frameNumber; // after the step
        int64_t framesDrawn;
    };
    const Step steps[] = {
        {200, false, 1, 1}, // the first frame of a new window
        {200, false, 2, 1}, {100, false, 3, 2},
        {100, false, 4, 2}, {100, false, 5, 3}, // exposed at frame 4
        {100, true, 5, 3},  {50, true, 5, 4},   // shown while long work runs, not counted as frames
        {50, false, 6, 4},                      // shows what the long work showed last
    };
    for (const Step& step : steps) {
        draw(step.red);
        if (step.interim) {
            FlipInterim();
        } else {
            Flip(0);
        }
        EXPECT_EQ(driver.FrameNumber(), step.frameNumber) << "red " << step.red;
        EXPECT_EQ(driver.FramesDrawn(), step.framesDrawn) << "frame " << step.frameNumber;
        const std::shared_ptr<TPixmap> shown = driver.LastFrame();
        EXPECT_EQ(shown->ReadPixel(3, 2), 0xFF000000u | static_cast<uint32_t>(step.red) << 16);
        EXPECT_EQ(shown->ReadPixel(1, 2), 0xFF000000u);
    }
    const std::shared_ptr<TPixmap> shot = LoadPixmap(dir.File("shot.png"));
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->ReadPixel(3, 2) & 0xFFFFFFu, 50u << 16);

    // A window opened anew draws its first frame, even one with nothing in it.
    test::HeadlessWindow fresh(4, 4);
    Flip(0);
    Flip(0);
    EXPECT_EQ(fresh.Driver().FramesDrawn(), 1);
    EXPECT_EQ(fresh.Driver().FrameNumber(), 2);
}

} // namespace
} // namespace dm
