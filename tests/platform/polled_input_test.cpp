#include "platform/key_codes.h"
#include "platform/polled_input.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace dm {
namespace {

// Flip(0) presents a frame and moves the script on to the next frame's events.

TEST(PolledInput, HeldKeysCountOneHitTypedControlKeysQueueTheirCharacterAndFlushesForget) {
    test::HeadlessWindow window(64, 64,
                                "key down 65\nkey down 65\n"
                                "frame 1\nkey up 65\npress 13\nkey down 160\n"
                                "frame 2\npress 65\npress 65\nkey up 160\n"
                                "frame 3\nkey down 70\nchar 97\npress 9\n");
    EXPECT_EQ(IsKeyDown(65), 1);
    EXPECT_EQ(TakeKeyHits(65), 1); // the second down of a held key is a repeat
    EXPECT_EQ(TakeKeyHits(65), 0);
    EXPECT_EQ(NextChar(), 0); // letters come only as typed characters
    Flip(0);
    EXPECT_EQ(IsKeyDown(65), 0);
    EXPECT_EQ(TakeKeyHits(13), 1);
    EXPECT_EQ(NextChar(), 13);
    EXPECT_EQ(IsKeyDown(kKeyLeftShift), 1);
    EXPECT_EQ(IsKeyDown(16), 0);
    Flip(0);
    EXPECT_EQ(TakeKeyHits(65), 2);
    EXPECT_EQ(IsKeyDown(kKeyLeftShift), 0);
    Flip(0);
    FlushKeyState();
    EXPECT_EQ(IsKeyDown(70) + TakeKeyHits(70) + TakeKeyHits(9) + NextChar(), 0);
}

TEST(PolledInput, AFullCharacterQueueDropsWhatFollows) {
    std::string script;
    for (int i = 0; i < 300; ++i) {
        script += "char " + std::to_string(1 + i % 255) + "\n";
    }
    test::HeadlessWindow window(64, 64, script);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(NextChar(), 1 + i % 255) << i;
    }
    EXPECT_EQ(NextChar(), 0);
}

TEST(PolledInput, MouseButtonsPositionsAndTheWheel) {
    test::HeadlessWindow window(
        64, 64,
        "move 10 20\nbutton down 1\nbutton down 1\nmove -5 -7\nwheel 3\nwheel -1\n"
        "frame 1\nbutton up 1\nbutton down 3\n");
    // A drag outside the window keeps reporting.
    EXPECT_EQ(std::tuple(MouseXPos(), MouseYPos(), MouseWheelPos()), std::tuple(-5, -7, 2));
    EXPECT_EQ(IsMouseDown(kMouseLeft), 1);
    EXPECT_EQ(TakeMouseHits(kMouseLeft), 1);
    Flip(0);
    EXPECT_EQ(IsMouseDown(kMouseLeft), 0);
    EXPECT_EQ(IsMouseDown(kMouseMiddle), 1);
    FlushMouseState();
    EXPECT_EQ(IsMouseDown(kMouseMiddle) + TakeMouseHits(kMouseMiddle) + MouseWheelPos(), 0);
    EXPECT_EQ(MouseXPos(), -5);
}

TEST(PolledInput, CloseRequestIsTakenOnceAndFocusChangesForgetEverything) {
    test::HeadlessWindow window(
        64, 64,
        "close\n"
        "frame 1\nkey down 66\npress 67\nchar 100\nbutton down 2\nfocus lost\n"
        "frame 2\nkey down 68\nfocus gained\n");
    EXPECT_EQ(TakeTerminateRequest(), 1);
    EXPECT_EQ(TakeTerminateRequest(), 0);
    Flip(0);
    EXPECT_EQ(IsSuspended(), 1);
    EXPECT_EQ(IsKeyDown(66) + TakeKeyHits(67) + NextChar() + IsMouseDown(kMouseRight), 0);
    Flip(0);
    EXPECT_EQ(IsSuspended(), 0);
    EXPECT_EQ(IsKeyDown(68), 0);
}

} // namespace
} // namespace dm
