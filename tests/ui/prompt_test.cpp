#include "ui/prompt.h"

#include "ui/path_prompt.h"

#include "support/drawn_cells.h"
#include "support/headless_window.h"
#include "support/test_display.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace dm {
namespace {

class Prompt : public testing::Test {
  protected:
    // Runs the prompt on a script; "(ended)" when the script ended first.
    std::string Run(const std::string& script, const std::function<std::string()>& prompt) {
        window_ = std::make_unique<test::HeadlessWindow>(display_.windowWidth,
                                                         display_.windowHeight, script);
        try {
            return prompt();
        } catch (const ReplayFinished&) {
            return "(ended)";
        }
    }
    std::string Run(const std::string& script, uint8_t colour = 0) {
        return Run(script, [&] { return PromptString(display_, "New image width: ", 10, colour); });
    }

    // What the last frame shows in screen cells of the test display's 4 x 3 glyphs.
    test::DrawnCell At(int x, int y) const {
        return test::DrawnAt(window_->Driver().PresentedFrame(), 4, 3, x, y);
    }
    std::string Shown(int x, int y, int length) const {
        return test::TextAt(window_->Driver().PresentedFrame(), 4, 3, x, y, length);
    }

    Display display_ = test::TestDisplay(96, 32, 1);
    std::unique_ptr<test::HeadlessWindow> window_;
};

TEST_F(Prompt, TypingBackspaceAndIgnoredCharactersMakeTheAnswer) {
    EXPECT_EQ(Run("frame 1\nchar 49\nframe 2\nchar 50\nframe 3\npress 8\nframe 4\nchar 51\n"
                  "frame 5\nchar 32\nframe 6\nchar 45\nframe 7\nchar 126\nchar 34\nchar 61\n"
                  "frame 12\nchar 64\nchar 233\nframe 14\npress 13\n"),
              "13@");
    EXPECT_EQ(Run("frame 1\npress 8\nframe 2\npress 27\nframe 3\npress 13\n"), "");
    // Characters typed before the prompt opened are forgotten; only Enter ends it.
    EXPECT_EQ(Run("char 55\nframe 3\nend\n"), "(ended)");
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
    EXPECT_EQ(Run("frame 1\npress 8\nframe 2\nchar 32\nframe 3\nchar 45\nframe 4\npress 13\n", ask),
              "maps/Untitle -");
    EXPECT_EQ(Run("frame 1\nchar 97\nframe 2\npress 27\n", ask), "");
    Run("frame 2\nend\n", ask);
    EXPECT_EQ(Shown(2, 2, 8), "No file ");
    EXPECT_EQ(Shown(2, 4, 31), "Save Tilemap As: maps/Untitled_");
}

} // namespace
} // namespace dm
