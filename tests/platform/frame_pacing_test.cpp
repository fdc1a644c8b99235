#include "platform/graphics.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(FramePacing, SixtyFramesTakeOneSecondWithSixteenOrSeventeenMillisecondsEach) {
    test::HeadlessWindow window(8, 8);
    HeadlessDriver& driver = window.Driver();
    const int64_t start = driver.Millisecs();
    for (int i = 0; i < 120; ++i) {
        const int64_t before = driver.Millisecs();
        Flip(-1);
        const int64_t length = driver.Millisecs() - before;
        EXPECT_TRUE(length == 16 || length == 17) << length;
        if (i == 59) {
            EXPECT_EQ(driver.Millisecs() - start, 1000);
        }
    }
    EXPECT_EQ(driver.Millisecs() - start, 2000);

    // An explicit sync interval skips the pacing.
    for (int i = 0; i < 10; ++i) {
        Flip(0);
    }
    EXPECT_EQ(driver.Millisecs() - start, 2000);
    EXPECT_EQ(driver.FrameNumber(), 130);
}

TEST(FramePacing, ALateFrameIsShownAtOnceAndTheNextIsNotShortened) {
    test::HeadlessWindow window(8, 8);
    HeadlessDriver& driver = window.Driver();
    Flip(-1);
    Flip(-1);
    const int64_t beforeSlowFrame = driver.Millisecs();
    driver.Delay(40); // the frame's own work
    Flip(-1);
    EXPECT_EQ(driver.Millisecs(), beforeSlowFrame + 40);
    Flip(-1);
    const int64_t next = driver.Millisecs() - beforeSlowFrame - 40;
    EXPECT_TRUE(next == 16 || next == 17) << next;
}

} // namespace
} // namespace dm
