#include "ui/popup.h"

#include "platform/input/polled_input.h"
#include "support/drawn_cells.h"
#include "support/headless_window.h"
#include "support/test_display.h"
#include "ui/path_prompt.h"
#include "ui/prompt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

// Popups and prompts on a 96 x 32 screen of 4 x 3 glyphs, run on a script from frame 0.
class Modal : public testing::Test {
  protected:
    // What show() answers; `ended` when the script ended first.
    template <typename Show>
    auto Run(const std::string& script, Show show, decltype(show()) ended) {
        window_ = std::make_unique<test::HeadlessWindow>(display_.windowWidth,
                                                         display_.windowHeight, script);
        auto answer = show();
        return window_->Driver().RunEnded() ? ended : answer;
    }

    test::DrawnCell At(int x, int y) const {
        return test::DrawnAt(window_->Driver().PresentedFrame(), 4, 3, x, y);
    }
    std::string Shown(int x, int y, int length) const {
        return test::TextAt(window_->Driver().PresentedFrame(), 4, 3, x, y, length);
    }

    Display display_ = test::TestDisplay(96, 32, 1);
    std::unique_ptr<test::HeadlessWindow> window_;
};

// The popup's top-left cell is screen cell (29, 12).
constexpr int kLeft = 29;
constexpr int kTop = 12;

class Popup : public Modal {
  protected:
    // The button chosen; -100 when the script ended first.
    int Run(const std::string& script, const std::vector<std::string>& buttons) {
        return Modal::Run(
            script, [&] { return popup(display_, "Confirm!", "Text", buttons); }, -100);
    }
    // "move" to the middle of a popup cell.
    static std::string MoveTo(int column, int row) {
        return "move " + std::to_string((kLeft + column) * 4 + 1) + " " +
               std::to_string((kTop + row) * 3 + 1) + "\n";
    }
    std::string Shown(int row) const { return Modal::Shown(kLeft, kTop + row, 38); }
};

TEST_F(Popup, KeysChooseInTheirGroupsOrderAndWrapAround) {
    const std::vector<std::string> abc{"A", "BB", "CCC"};
    struct Case {
        std::string script;
        const std::vector<std::string>& buttons;
        int result;
    };
    const Case cases[] = {
        {"frame 1\npress 13\n", yesnobuttons(), 0},
        {"frame 1\npress 39\nframe 2\npress 13\n", yesnobuttons(), 1},
        {"frame 1\npress 37\nframe 2\npress 32\n", yesnobuttons(), 1},
        {"frame 1\npress 68\nframe 2\npress 9\nframe 3\npress 13\n", yesnobuttons(), 0},
        {"frame 1\npress 27\n", yesnobuttons(), 1},
        {"frame 1\npress 27\n", abc, 2},
        {"frame 1\npress 83\nframe 2\npress 40\nframe 3\npress 13\n", abc, 2},
        // Keys of one group hit in the same frame move the mark once per frame, first key first.
        {"frame 1\npress 39\npress 68\nframe 2\npress 13\n", abc, 1},
        {"frame 1\npress 87\npress 37\nframe 2\npress 13\n", abc, 2},
        {"frame 1\npress 37\npress 39\nframe 2\npress 13\n", abc, 0},
        // Keys held before the popup opens were forgotten.
        {"press 13\nframe 3\nend\n", yesnobuttons(), -100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.script, c.buttons), c.result) << c.script;
    }
    EXPECT_EQ(Run("", {}), -1);
}

TEST_F(Popup, ReleasesOverTheThreeRowsUnderACaptionChooseIt) {
    // "Yes" stands at columns 15 to 17, "No" at 19 and 20, on row 6; markers on row 7.
    struct Case {
        int column, row, result;
    };
    for (const Case c : {Case{15, 6, 0}, Case{17, 5, 0}, Case{19, 7, 1}, Case{20, 6, 1},
                         Case{21, 6, -100}, Case{18, 6, -100}, Case{19, 4, -100}}) {
        const std::string script =
            MoveTo(c.column, c.row) + "button down 1\nframe 1\nbutton up 1\nframe 5\nend\n";
        EXPECT_EQ(Run(script, yesnobuttons()), c.result) << c.column << "," << c.row;
    }
    // Answered with a click or a key, the popup forgets what else was pressed while it was up,
    // its own presses of the left button included.
    for (const char* answer : {"frame 2\nbutton down 1\nframe 3\nbutton up 1\n", "press 13\n"}) {
        Run(MoveTo(16, 6) + "button down 1\nbutton up 1\nframe 1\npress 66\n" + answer,
            yesnobuttons());
        EXPECT_EQ(std::pair(TakeKeyHits(66), TakeMouseHits(1)), std::pair(0, 0)) << answer;
    }
}

TEST_F(Popup, CaptionsAreSpreadAndMarkersShowOneFrameLate) {
    Run("frame 0\nend\n", {"A", "BB", "CCC"});
    EXPECT_EQ(Shown(6).substr(13, 11), std::string("A\0\0\0BB\0\0CCC", 11));
    EXPECT_EQ(Shown(7).substr(12, 12), std::string(12, '\0'));
    Run("frame 1\nend\n", {"A", "BB", "CCC"});
    // Markers stand under the middle of each caption: "XX" under the chosen one.
    EXPECT_EQ(Shown(7).substr(12, 12), std::string("XX\0\0\0--\0\0--\0", 12));
    EXPECT_EQ(Shown(0).substr(0, 12), "\xD6 Confirm!  "); // the bar is one solid block a cell
    EXPECT_EQ(Shown(1).substr(1, 4), "Text");

    Run("frame 1\nend\n", okbuttons());
    EXPECT_EQ(Shown(6).substr(17, 2), "Ok");
    EXPECT_EQ(Shown(7).substr(17, 2), "XX");
}

class Prompt : public Modal {
  protected:
    std::string Run(const std::string& script, uint8_t colour = 0) {
        return Modal::Run(
            script,
            [&] {
                return PromptString(display_, "New image width: ", 10, colour).value_or("(left)");
            },
            std::string("(ended)"));
    }
};

TEST_F(Prompt, TypingBackspaceAndIgnoredCharactersMakeTheAnswer) {
    EXPECT_EQ(Run("frame 1\nchar 49\nframe 2\nchar 50\nframe 3\npress 8\nframe 4\nchar 51\n"
                  "frame 5\nchar 32\nframe 6\nchar 45\nframe 7\nchar 126\nchar 34\nchar 61\n"
                  "frame 12\nchar 64\nchar 233\nframe 14\npress 13\n"),
              "13@");
    EXPECT_EQ(Run("frame 1\npress 8\nframe 2\npress 13\n"), "");
    // Characters typed before the prompt opened are forgotten.
    EXPECT_EQ(Run("char 55\nframe 3\nend\n"), "(ended)");
}

TEST_F(Prompt, EscapeOrACloseRequestLeavesWithoutAnAnswerAndTheRequestStaysForTheQuitCheck) {
    EXPECT_EQ(Run("frame 1\nchar 49\nframe 2\npress 27\nframe 3\npress 13\n"), "(left)");
    EXPECT_EQ(std::pair(IsKeyDown(27), TakeTerminateRequest()), std::pair(0, 0));
    EXPECT_EQ(Run("frame 1\nchar 49\nframe 2\nclose\nframe 3\npress 13\n"), "(left)");
    EXPECT_EQ(TakeTerminateRequest(), 1);
    EXPECT_EQ(TakeTerminateRequest(), 0);
}

TEST_F(Prompt, TheLineIsCentredCountingColourCodesButNotTheCursorWhichBlinks) {
    // "New image width: @0@@@_" is 23 characters, 22 without the cursor: column 46 - 11 = 35 of
    // the 92-cell row, which stands at screen column 2 of row 2.
    Run("frame 1\nend\n");
    EXPECT_EQ(Shown(37, 2, 18), "New image width: _");
    EXPECT_EQ(At(36, 2).glyph, 0);

    // With "12" typed in colour 5 the line starts one column further left, the answer in colour 5.
    Run("frame 1\nchar 49\nchar 50\nframe 4\nend\n", 5);
    EXPECT_EQ(Shown(36, 2, 19), "New image width: 12");
    EXPECT_EQ(At(53, 2).red, test::TestPaletteColor(5) >> 16 & 0xFF);
    EXPECT_EQ(At(36, 2).red, test::TestPaletteColor(0) >> 16 & 0xFF);

    // The cursor shows for forty frames and hides for forty.
    for (const auto& [frame, glyph] : {std::pair{39, '_'}, {41, '\0'}, {81, '_'}}) {
        Run("frame " + std::to_string(frame) + "\nend\n");
        EXPECT_EQ(At(54, 2).glyph, glyph) << frame;
    }
}

TEST_F(Prompt, PathsTakeSpacesStartFromTheInitialPathAndEscapeCancels) {
    const FileRequest save{"Save Tilemap As", "Duskmarch Tilemaps:dtm", true, "maps/Untitled"};
    const auto ask = [this, &save] {
        return PromptPath(display_, save, "No file chooser: zenity is not installed");
    };
    const auto run = [&](const std::string& script) {
        return Modal::Run(script, ask, std::string("(ended)"));
    };
    EXPECT_EQ(run("frame 1\npress 8\nframe 2\nchar 32\nframe 3\nchar 45\nframe 4\npress 13\n"),
              "maps/Untitle -");
    EXPECT_EQ(run("frame 1\nchar 97\nframe 2\npress 27\n"), "");
    EXPECT_EQ(run("frame 1\nchar 97\nframe 2\nclose\nframe 3\npress 13\n"), "");
    EXPECT_EQ(TakeTerminateRequest(), 1);
    run("frame 2\nend\n");
    EXPECT_EQ(Shown(2, 2, 8), "No file ");
    EXPECT_EQ(Shown(2, 4, 31), "Save Tilemap As: maps/Untitled_");
}

// Once a scripted run has ended, every popup and prompt gives its cancel answer at once: no frame
// is shown and nothing is logged.
TEST_F(Modal, AfterTheRunEndedEachAnswersAsEscapeWouldAtOnce) {
    window_ = std::make_unique<test::HeadlessWindow>(display_.windowWidth, display_.windowHeight,
                                                     "choose 0\nanswer /a.dtm\nend\n");
    Flip(0);
    HeadlessDriver& driver = window_->Driver();
    ASSERT_TRUE(driver.RunEnded());
    const int64_t frames = driver.FrameNumber();
    EXPECT_EQ(popup(display_, "Confirm!", "Text", yesnobuttons()), 1);
    EXPECT_EQ(ShowMessage(display_, "Error!", "Text"), 1);
    EXPECT_EQ(PromptString(display_, "New image width: ", 10, 0), std::nullopt);
    EXPECT_EQ(PromptPath(display_, {"Open Tilemap", "Duskmarch Tilemaps:dtm", false, "x"}, "why"),
              "");
    EXPECT_EQ(driver.FrameNumber(), frames);
    EXPECT_EQ(window_->Log(), "");
}

} // namespace
} // namespace dm
