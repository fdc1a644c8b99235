#include "platform/graphics.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace dm {
namespace {

TEST(FramePacing, SixtyFramesTakeOneSecondWithSixteenOrSeventeenMillisecondsEach) {
    test::HeadlessWindow window(8, 8);
    HeadlessDriver& driver = window.Driver();
    const int64_t start = driver.Millisecs();
    std::vector<int64_t> lengths;
    for (int i = 0; i < 120; ++i) {
        const int64_t before = driver.Millisecs();
        Flip(-1);
        lengths.push_back(driver.Millisecs() - before);
        if (i == 59) {
            EXPECT_EQ(driver.Millisecs() - start, 1000);
        }
    }
    EXPECT_EQ(driver.Millisecs() - start, 2000);
    for (int64_t length : lengths) {
        EXPECT_TRUE(length == 16 || length == 17) << length;
    }
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

TEST(FramePacing, ExplicitSyncSkipsThePacing) {
    test::HeadlessWindow window(8, 8);
    const int64_t start = window.Driver().Millisecs();
    for (int i = 0; i < 10; ++i) {
        Flip(0);
    }
    EXPECT_EQ(window.Driver().Millisecs(), start);
    EXPECT_EQ(window.Driver().FrameNumber(), 10);
}

} // namespace
} // namespace dm
