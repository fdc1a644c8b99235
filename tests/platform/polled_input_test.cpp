#include "platform/key_codes.h"
#include "platform/polled_input.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

// Presents one empty frame, moving the script on to the next frame's events.
void NextFrame() {
    Flip(0);
}

TEST(PolledInput, HeldKeysCountOneHitAndTypedControlKeysQueueTheirCharacter) {
    test::HeadlessWindow window(64, 64, R"(
        key down 65
        key down 65
        frame 1
        key up 65
        press 13
        key down 160
        frame 2
        press 65
        press 65
        key up 160
    )");
    EXPECT_EQ(IsKeyDown(65), 1);
    EXPECT_EQ(TakeKeyHits(65), 1); // the second down of a held key is a repeat
    EXPECT_EQ(TakeKeyHits(65), 0);
    EXPECT_EQ(NextChar(), 0); // letters come only as typed characters
    NextFrame();
    EXPECT_EQ(IsKeyDown(65), 0);
    EXPECT_EQ(IsKeyDown(13), 0);
    EXPECT_EQ(TakeKeyHits(13), 1);
    EXPECT_EQ(NextChar(), 13);
    EXPECT_EQ(IsKeyDown(kKeyLeftShift), 1);
    EXPECT_EQ(IsKeyDown(16), 0);
    NextFrame();
    EXPECT_EQ(TakeKeyHits(65), 2);
    EXPECT_EQ(IsKeyDown(kKeyLeftShift), 0);
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
    test::HeadlessWindow window(64, 64, R"(
        move 10 20
        button down 1
        button down 1
        move -5 -7
        wheel 3
        wheel -1
        frame 1
        button up 1
        button down 3
    )");
    EXPECT_EQ(MouseXPos(), -5); // a drag outside the window keeps reporting
    EXPECT_EQ(MouseYPos(), -7);
    EXPECT_EQ(MouseWheelPos(), 2);
    EXPECT_EQ(IsMouseDown(kMouseLeft), 1);
    EXPECT_EQ(TakeMouseHits(kMouseLeft), 1);
    NextFrame();
    EXPECT_EQ(IsMouseDown(kMouseLeft), 0);
    EXPECT_EQ(IsMouseDown(kMouseMiddle), 1);
    FlushMouseState();
    EXPECT_EQ(IsMouseDown(kMouseMiddle), 0);
    EXPECT_EQ(TakeMouseHits(kMouseMiddle), 0);
    EXPECT_EQ(MouseWheelPos(), 0);
    EXPECT_EQ(MouseXPos(), -5);
}

TEST(PolledInput, CloseRequestIsTakenOnceAndFocusChangesForgetEverything) {
    test::HeadlessWindow window(64, 64, R"(
        close
        frame 1
        key down 66
        press 67
        char 100
        button down 2
        focus lost
        frame 2
        key down 68
        focus gained
    )");
    EXPECT_EQ(TakeTerminateRequest(), 1);
    EXPECT_EQ(TakeTerminateRequest(), 0);
    NextFrame();
    EXPECT_EQ(IsSuspended(), 1);
    EXPECT_EQ(IsKeyDown(66), 0);
    EXPECT_EQ(TakeKeyHits(67), 0);
    EXPECT_EQ(NextChar(), 0);
    EXPECT_EQ(IsMouseDown(kMouseRight), 0);
    NextFrame();
    EXPECT_EQ(IsSuspended(), 0);
    EXPECT_EQ(IsKeyDown(68), 0);
}

TEST(PolledInput, FlushingKeysEmptiesHitsStatesAndTheQueue) {
    test::HeadlessWindow window(64, 64, "key down 70\nchar 97\npress 9\n");
    FlushKeyState();
    EXPECT_EQ(IsKeyDown(70), 0);
    EXPECT_EQ(TakeKeyHits(70), 0);
    EXPECT_EQ(TakeKeyHits(9), 0);
    EXPECT_EQ(NextChar(), 0);
}

} // namespace
} // namespace dm
