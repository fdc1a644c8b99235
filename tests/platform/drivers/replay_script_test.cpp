#include "platform/drivers/replay_script.h"

#include "platform/drawing/graphics.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "platform/scratch_dir.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace dm {
namespace {

using namespace std::string_literals;

TEST(ReplayScript, LinesBecomeStepsAtTheirFrames) {
    const Expected<ReplayScript> parsed =
        ParseReplayScript("# a session\npress 78\n\nframe 3\r\n  move -4 12\nanswer maps/a b.dtm\n"
                          "answer\nanswer /abs\nframe 3\nscreenshot shot.png\nchoose 1\n"
                          "drop maps/cave.xp\ndrop /x y.dtm\nend\n",
                          "/home/user");
    ASSERT_TRUE(parsed) << parsed.Why();
    const std::vector<ReplayStep>& steps = parsed->steps;
    using Step = std::tuple<int64_t, ReplayAction, std::string>;
    std::vector<Step> read;
    for (const ReplayStep& step : steps) {
        read.emplace_back(step.frame, step.action, step.text);
    }
    using A = ReplayAction;
    EXPECT_EQ(read, (std::vector<Step>{{0, A::KeyDown, ""},
                                       {0, A::KeyUp, ""},
                                       {3, A::Move, ""},
                                       {3, A::Answer, "/home/user/maps/a b.dtm"},
                                       {3, A::Answer, ""},
                                       {3, A::Answer, "/abs"},
                                       {3, A::Screenshot, "/home/user/shot.png"},
                                       {3, A::Choose, ""},
                                       {3, A::Drop, "/home/user/maps/cave.xp"},
                                       {3, A::Drop, "/x y.dtm"},
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
        {"char 0x41\n", "line 1: '0x41' is not a number from 1 to 1114111"},
        {"char 1114112\n", "line 1: '1114112' is not a number from 1 to 1114111"},
        {"wiggle\n", "line 1: unknown command 'wiggle'"},
        {"end now\n", "line 1: 'end' takes nothing after it"},
        {"screenshot\n", "line 1: 'screenshot' needs a path"},
        {"drop\n", "line 1: 'drop' needs a path"},
        {"focus\n", "line 1: 'focus' needs 'lost' or 'gained'"},
    };
    for (const auto& [text, error] : cases) {
        const Expected<ReplayScript> parsed = ParseReplayScript(text, "/");
        ASSERT_FALSE(parsed) << text;
        EXPECT_EQ(parsed.Why(), error);
    }
}

TEST(ReplayScript, ClipboardLinesTakeTheRestOfTheLineWithItsEscapes) {
    const std::pair<const char*, std::string> read[] = {
        {"clipboard a b\\nc", "a b\nc"},
        {"clipboard", ""},
        {"clipboard  two spaces", " two spaces"},
        {"clipboard \\x41\\\\x\\t\\r\\xc3\\xA9\\x00", "A\\x\t\r\xC3\xA9\0"s},
        {"clipboard \u2554\u2550", "\u2554\u2550"},
    };
    for (const auto& [line, text] : read) {
        const Expected<ReplayScript> parsed = ParseReplayScript(line, "/");
        ASSERT_TRUE(parsed) << line << ": " << parsed.Why();
        ASSERT_EQ(parsed->steps.size(), 1u) << line;
        EXPECT_EQ(parsed->steps[0].action, ReplayAction::Clipboard) << line;
        EXPECT_EQ(parsed->steps[0].text, text) << line;
    }
    const std::string refused = "line 1: '\\' starts no escape of \\n, \\r, \\t, \\\\ or \\xNN";
    for (const char* line :
         {"clipboard a\\", "clipboard \\q", "clipboard \\x4", "clipboard \\xG1"}) {
        const Expected<ReplayScript> parsed = ParseReplayScript(line, "/");
        ASSERT_FALSE(parsed) << line;
        EXPECT_EQ(parsed.Why(), refused) << line;
    }
}

// A run on a script in which nothing happens would never end, so such a script is refused like
// one that cannot be read.
TEST(ReplayScript, ScriptsThatCouldNeverEndAreRefusedWhenRead) {
    ScratchDir dir;
    const std::string never = ": nothing happens in the script, so the run would never end; an "
                              "'end' line ends it";
    const std::pair<std::string, std::string> cases[] = {
        {dir.Write("empty", ""), dir.File("empty") + never},
        {dir.Write("notes", "# a session\n\n  # to come\r\n"), dir.File("notes") + never},
        {dir.Write("frames", "frame 5\nframe 9\n"), dir.File("frames") + never},
        {"/dev/null", "/dev/null" + never},
        {dir.Path(), "cannot read " + dir.Path() + ": it is a folder, not a script"},
        {dir.File("missing"), "cannot read " + dir.File("missing") + ": No such file or directory"},
        {dir.Write("bad", "frame 1\nwiggle\n"),
         dir.File("bad") + ": line 2: unknown command 'wiggle'"},
    };
    for (const auto& [path, why] : cases) {
        const Expected<ReplayScript> script = ReadReplayScript(path, "/");
        ASSERT_FALSE(script) << path;
        EXPECT_EQ(script.Why(), why);
    }
    const Expected<ReplayScript> ends =
        ReadReplayScript(dir.Write("ends", "# x\nframe 4\nend\n"), "/");
    ASSERT_TRUE(ends);
    ASSERT_EQ(ends->steps.size(), 1u);
    EXPECT_EQ(ends->steps[0].frame, 4);
}

// Requester answers, message box choices and screenshots are taken with the requesters and the
// end-to-end session.
TEST(HeadlessDriver, AScriptWithoutEndStopsAfterItsLastFrame) {
    test::HeadlessWindow window(4, 4, "frame 1\npress 65\n");
    Flip(0);
    EXPECT_FALSE(window.Driver().RunEnded());
    Flip(0);
    EXPECT_TRUE(window.Driver().RunEnded());
    EXPECT_EQ(TakeKeyHits(65), 1);
}

// Once the run has ended, message boxes and requesters close unanswered and unlogged, whatever
// the script had ready for them.
TEST(HeadlessDriver, AnEndedRunAnswersNothingMore) {
    test::HeadlessWindow window(4, 4, "choose 1\nanswer /a.dtm\nend\n");
    HeadlessDriver& driver = window.Driver();
    Flip(0);
    ASSERT_TRUE(driver.RunEnded());
    EXPECT_EQ(driver.ShowMessageBox(MessageBoxKind::Confirm, "Confirm!", "Sure?", false), -1);
    EXPECT_EQ(driver.RequestFile(FileRequest{}), "");
    EXPECT_EQ(window.Log(), "");
}

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
        script += "char " + std::to_string(1 + i % 127) + "\n";
    }
    test::HeadlessWindow window(64, 64, script);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(NextChar(), 1 + i % 127) << i;
    }
    EXPECT_EQ(NextChar(), 0);
}

TEST(PolledInput, TypedCharactersQueueAsTheCodePage437GlyphsThatShowThemOrNotAtAll) {
    // Unicode character typed, code queued; -1 for none.
    const std::pair<int, int> cases[] = {
        {'A', 'A'},
        {13, 13},
        {127, 127},
        {0xE9, 130},
        {0xFC, 129},
        {0xA3, 156},
        {0x2591, 176},
        {0x3C0, 227},
        {0x263A, 1},
        {0x25CB, 9},
        {0x2302, 127},
        {0xB7, 250},
        {0x20AC, -1},
        {0x1F600, -1},
        {0x10FFFF, -1},
        {0x80, -1},
        {0xFF, 152},
        {0x2320, 244},
        {0x25A0, 254},
        {0x3B1, 224},
        // Pictures whose codes would be read as Backspace, Enter or Escape, or as a line break.
        {0x25D8, -1},
        {0x266A, -1},
        {0x2190, -1},
        {0xA0, -1},
    };
    std::string script;
    std::vector<int> queued;
    for (const auto& [typed, code] : cases) {
        script += "char " + std::to_string(typed) + "\n";
        if (code >= 0) {
            queued.push_back(code);
        }
    }
    test::HeadlessWindow window(64, 64, script);
    std::vector<int> read;
    for (int c = NextChar(); c != 0; c = NextChar()) {
        read.push_back(c);
    }
    EXPECT_EQ(read, queued);
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

TEST(PolledInput, WheelNotchesAreTakenOnceAndFlushesAndFocusChangesForgetThem) {
    test::HeadlessWindow window(
        64, 64,
        "wheel 3\nwheel -1\nframe 1\nwheel -4\nframe 2\nwheel 2\nfocus lost\n"
        "frame 3\nwheel 5\n");
    EXPECT_EQ(TakeWheelNotches(), 2);
    EXPECT_EQ(TakeWheelNotches(), 0);
    EXPECT_EQ(MouseWheelPos(), 2);
    Flip(0);
    EXPECT_EQ(TakeWheelNotches(), -4);
    Flip(0);
    EXPECT_EQ(TakeWheelNotches(), 0);
    Flip(0);
    FlushMouseState();
    EXPECT_EQ(TakeWheelNotches(), 0);
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
