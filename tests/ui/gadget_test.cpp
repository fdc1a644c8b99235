#include "ui/gadget.h"

#include "support/headless_window.h"
#include "support/test_display.h"
#include "ui/label_layout.h"
#include "ui/mouse_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

struct Cell {
    int glyph, fg, bg;
    bool operator==(const Cell&) const = default;
};

Cell At(const tilemap& map, int x, int y) {
    uint8_t g = 0, f = 0, b = 0;
    map.GrabTile(x, y, g, f, b);
    return {g, f, b};
}

std::string Row(const tilemap& map, int x, int y, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += static_cast<char>(At(map, x + i, y).glyph);
    }
    return text;
}

std::shared_ptr<tilemap> Blank(int w, int h) {
    auto map = tilemap::Create(w, h);
    map->Fill(7, 1, 2, 1);
    return map;
}

TEST(GadgetFrames, WindowsFramesTitleBarsAndCutTitles) {
    auto map = Blank(40, 10);
    DrawWindow(*map, "Hi", 0, 0, 10, 1);
    EXPECT_EQ(Row(*map, 0, 0, 11), std::string("[\0Hi\0\0\0\0\0]\x07", 11));
    EXPECT_EQ(At(*map, 0, 0), (Cell{91, 28, 2}));
    EXPECT_EQ(At(*map, 8, 0), (Cell{0, 28, 28}));
    EXPECT_EQ(At(*map, 2, 0), (Cell{'H', 0, 28}));
    EXPECT_EQ(At(*map, 10, 0), (Cell{7, 1, 2}));

    // Without a title, no title bar and no edge lines between the corners.
    map = Blank(40, 10);
    DrawWindow(*map, "", 1, 1, 38, 8);
    EXPECT_EQ(Row(*map, 1, 1, 2) + Row(*map, 38, 1, 1), "\xD6\x07\xB7");
    EXPECT_EQ(Row(*map, 1, 8, 2) + Row(*map, 38, 8, 1), "\xD3\x07\xBD");
    EXPECT_EQ(At(*map, 1, 1), (Cell{214, 28, 2}));
    for (int y = 2; y < 8; ++y) {
        EXPECT_EQ(At(*map, 1, y), (Cell{186, 28, 2})) << y;
        EXPECT_EQ(Row(*map, 38, y, 1), "\xBA") << y;
    }

    map = Blank(40, 10);
    DrawWindow(*map, "0123456789012345678901234567890123456789", 0, 0, 38, 8);
    EXPECT_EQ(Row(*map, 2, 0, 35), "0123456789012345678901234567890123" + std::string(1, '\0'));
}

TEST(GadgetCheckbox, ToggleOnALeftReleaseOverTheBoxCellAndShowItNextDraw) {
    const Display display = test::TestDisplay(120, 20, 1);
    // Cell (96, 16) is pixel (384, 48) with 4 x 3 glyphs; (97, 16) is beside the box.
    test::HeadlessWindow window(display.windowWidth, display.windowHeight,
                                "move 385 49\nbutton down 1\n"
                                "frame 1\nbutton up 1\n"
                                "frame 2\nmove 389 49\nbutton down 1\n"
                                "frame 3\nbutton up 1\n"
                                "frame 4\nbutton down 3\n"
                                "frame 5\nbutton up 3\n"
                                "frame 9\nend\n");
    auto box = gadget::CreateCheckbox("Fill diagonal", 96, 16, nullptr);
    box->bgcolor = 28;
    auto map = Blank(120, 20);
    // The box drawn in the frame of the release still shows the state before the toggle.
    const int states[] = {0, 1, 1, 1, 1, 1};
    const int glyphs[] = {0, 0, 251, 251, 251, 251};
    for (int frame = 0; frame < 6; ++frame) {
        UpdateMouse(display);
        box->draw(*map, 0, 0);
        EXPECT_EQ(box->state, states[frame]) << frame;
        EXPECT_EQ(At(*map, 96, 16).glyph, glyphs[frame]) << frame;
        Flip(0);
    }
    EXPECT_EQ(At(*map, 96, 16), (Cell{251, 0, 28}));
    EXPECT_EQ(Row(*map, 98, 16, 13), "Fill diagonal");

    auto unnamed = gadget::CreateCheckbox("", 0, 0, nullptr);
    unnamed->draw(*map, 0, 0);
    EXPECT_EQ(At(*map, 0, 0), (Cell{7, 1, 2}));
}

TEST(MouseState, CellsAreThePixelDividedByGlyphThenScaleAndReleasesLastOnePoll) {
    Display display = test::TestDisplay(40, 20, 2);
    display.tileset.GlyphWidth = 8;
    display.tileset.GlyphHeight = 8;
    test::HeadlessWindow window(320, 320,
                                "move 17 9\nbutton down 2\n"
                                "frame 3\nbutton up 2\n"
                                "frame 9\nend\n");
    const int released[] = {0, 0, 0, 1, 0, 0};
    for (int frame = 0; frame < 6; ++frame) {
        UpdateMouse(display);
        EXPECT_EQ(std::pair(Mouse().mousecellx, Mouse().mousecelly), std::pair(1, 0));
        EXPECT_EQ(Mouse().mouseheld[1], frame < 3 ? 1 : 0) << frame;
        EXPECT_EQ(Mouse().mousereleased[1], released[frame]) << frame;
        Flip(0);
    }
    EXPECT_EQ(MouseInRect(1, 0, 1, 1), 1);
    EXPECT_EQ(MouseInRect(2, 0, 5, 5), 0);
}

const std::string kBreak = "\xFF";

TEST(LabelLayout, WordsWrapCutAndBreakAsTheLabelRulesSay) {
    struct Case {
        std::string text;
        int w, h;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"aaa bbb ccc ddd", 10, 3, {"aaa bbb", "ccc ddd"}},
        {"short", 10, 3, {"short"}},
        {"abcdefghijk", 6, 3, {"abcde-", "", "fghijk"}},
        {"abcdefghi jk", 10, 3, {"", "abcdefghi", "jk"}},
        {"one" + kBreak + "two", 64, 3, {" one", "two"}},
        {"   title  " + kBreak, 64, 3, {"title  ", ""}},
        {"a" + kBreak + kBreak + "b", 64, 4, {" a", " ", "b"}},
        // A word of w - 1 characters after a forced break takes a row after an empty one.
        {"x" + kBreak + "abcdefghi", 10, 4, {" x", "", "abcdefghi"}},
        // Pieces of a long word fill their rows exactly; a rest of w characters gets a row of its
        // own after an empty one.
        {"ab cdefghijklmnopqrstu", 8, 5, {"ab cdef-", "ghijklm-", "", "nopqrstu"}},
        // A row already holding a word of the full width still gets the " -" of a long next word.
        {"abcdef ghijklmnop", 6, 3, {"", "abcdef -", "ghijk-"}},
        // Text beyond the last row is not laid out.
        {"aa bb cc dd ee ff", 6, 2, {"aa bb", "cc dd"}},
        // Words before a break stay on their row even past the width.
        {"aaaaa bbbbb" + kBreak + "c", 10, 3, {"aaaaa bbbbb", "c"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LabelRows(c.text, c.w, c.h), c.rows) << c.text;
    }
}

TEST(LabelLayout, TheTooManyCanvasesMessageFillsThePopupsFiveRows) {
    EXPECT_EQ(
        LabelRows("Too many canvases; you cannot create another. If you wish to create a "
                  "new canvas, try saving and closing some of the ones you currently have "
                  "open.",
                  36, 5),
        (std::vector<std::string>{"Too many canvases; you cannot", "create another. If you wish to",
                                  "create a new canvas, try saving and",
                                  "closing some of the ones you", "currently have open."}));
}

TEST(LabelLayout, DegenerateSizesEndWithoutLoopingForever) {
    EXPECT_TRUE(LabelRows("anything", 4, 0).empty());
    EXPECT_EQ(LabelRows("abc", 0, 3), (std::vector<std::string>{"-", "-", "-"}));
    EXPECT_EQ(LabelRows("abc", 1, 2), (std::vector<std::string>{"-", "-"}));
}

} // namespace
} // namespace dm
