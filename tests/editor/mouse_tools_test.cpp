#include "editor_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::OverCanvas;
using test::Script;

// Picker cells by index, as glyph and foreground.
using Cells = std::map<int, std::pair<int, int>>;

// The screen cell of colour c in the colour picker.
std::string OverColour(int c) {
    return test::MoveToCell(c % 16, 36 + c / 16);
}

// The cells of a 16 x 16 picker that `keep` picks out.
template <typename Keep>
Cells PickerCells(const tilemap& picker, Keep keep) {
    Cells cells;
    for (int i = 0; i < 256; ++i) {
        uint8_t glyph = 0, fg = 0, bg = 0;
        picker.GrabTile(i % 16, i / 16, glyph, fg, bg);
        if (keep(glyph, fg, bg)) {
            cells[i] = {glyph, fg};
        }
    }
    return cells;
}

Cells Highlighted(const EditorState& state) {
    return PickerCells(*state.charpicker, [](int, int fg, int bg) { return fg == 0 && bg == 10; });
}

Cells ColourMarks(const EditorState& state) {
    return PickerCells(*state.colorpicker, [](int glyph, int, int) { return glyph != 0; });
}

TEST(GlyphPicker, SweepingWithTheButtonHeldLeavesOneHighlightedCell) {
    Script script;
    script.Then(test::MoveToCell(0, 16) + "button down 1\n");
    for (const auto& [x, y] : {std::pair{3, 16}, {3, 20}, {15, 31}, {2, 17}}) {
        script.Then(test::MoveToCell(x, y));
    }
    script.Then("button up 1\n").Then(test::MoveToCell(9, 25));
    EditorSession session;
    EXPECT_FALSE(session.Run(script.End()));
    const EditorState& state = session.State();
    EXPECT_EQ(Highlighted(state), (Cells{{18, {18, 0}}}));
    EXPECT_EQ(test::Row(*state.screenmap, 14, 14, 1), "\x12");
}

TEST(ColourPicker, MarksShowOneXForEqualColoursAndFAndBOtherwise) {
    // Colour 9 is black (brightness 0), 0 white, 3 orange (145), 2 red (103). A mark takes
    // foreground 9 over colours brighter than 128, else 0; the B given back when a new foreground
    // splits an X takes 9 over colours darker than 128 instead.
    struct Case {
        std::vector<std::pair<int, int>> clicks; // button, colour
        Cells marks;
        int selfg, selbg;
    };
    const Case cases[] = {
        {{}, {{0, {'F', 9}}, {9, {'B', 0}}}, 0, 9},
        {{{1, 9}}, {{9, {'X', 0}}}, 9, 9},
        {{{1, 9}, {1, 3}}, {{9, {'B', 9}}, {3, {'F', 9}}}, 3, 9},
        {{{2, 0}}, {{0, {'X', 9}}}, 0, 0},
        {{{2, 0}, {2, 2}}, {{0, {'F', 9}}, {2, {'B', 0}}}, 0, 2},
    };
    for (const Case& c : cases) {
        Script script;
        for (const auto& [button, colour] : c.clicks) {
            script.Click(OverColour(colour), button);
        }
        EditorSession session;
        EXPECT_FALSE(session.Run(script.Then(kAway).End()));
        const EditorState& state = session.State();
        EXPECT_EQ(ColourMarks(state), c.marks) << c.clicks.size() << " clicks";
        uint8_t glyph = 0, fg = 0, shownFg = 0, shownBg = 0;
        state.screenmap->GrabTile(14, 33, glyph, fg, shownFg);
        state.screenmap->GrabTile(14, 34, glyph, fg, shownBg);
        EXPECT_EQ((std::pair<int, int>(shownFg, shownBg)), std::pair(c.selfg, c.selbg));
    }
}

TEST(CanvasTools, UndoAfterAFillOrTheEyedropperTakesBackTheLastChange) {
    // A drawn cell, then a middle-click fill of everything else: undo keeps the drawn cell only.
    Script fill;
    fill.Shifted('N').Click(OverCanvas(3, 3)).Then(kAway).Click(OverCanvas(0, 0), 3).Then(kAway);
    EditorSession filled;
    EXPECT_FALSE(filled.Run(fill.End()));
    const std::vector<uint8_t>& all = filled.State().activecanvas->img->tmap;
    EXPECT_EQ(std::count(all.begin(), all.end(), '@'), 256);
    EditorSession undone;
    EXPECT_FALSE(undone.Run(fill.Then("press 90\n").End()));
    const std::vector<uint8_t>& one = undone.State().activecanvas->img->tmap;
    EXPECT_EQ(std::count(one.begin(), one.end(), '@'), 1);
    EXPECT_EQ(one[3 * 16 + 3], '@');

    // The eyedropper takes no undo copy of its own, so undo takes back the drawing before it.
    const std::string path = test::FreshFolder("eyedropper") + "/rows.dtm";
    const auto rows = test::SaveRows(path, {"ABCDEF", "GHIJKL", "MNOPQR"});
    Script pick;
    pick.Click(OverCanvas(1, 1)).Then(kAway).Click(OverCanvas(4, 2), 2).Then(kAway);
    pick.Then("press 90\n");
    EditorSession picked;
    EXPECT_FALSE(picked.Run(pick.End(), path));
    const EditorState& state = picked.State();
    EXPECT_EQ(state.activecanvas->img->tmap, rows->tmap);
    EXPECT_EQ(state.activecanvas->hassaved, 0);
    EXPECT_EQ(Highlighted(state), (Cells{{'Q', {'Q', 0}}}));
    EXPECT_EQ(ColourMarks(state), (Cells{{1, {'F', 0}}, {2, {'B', 0}}}));
}

TEST(CanvasTools, FillModeBoxesSpreadDiagonallyAndBleedIntoTheBorder) {
    struct Case {
        bool diagonal, bleed;
        std::vector<std::string> filled;
    };
    const Case cases[] = {
        {false, false, {"@@###", "##..#", "#####"}},
        {true, false, {"@@###", "##@@#", "#####"}},
        {false, true, {"@@@##", "@@..#", "#####"}},
        {true, true, {"@@@@@", "@@@@@", "#@@@@"}},
    };
    const std::string path = test::FreshFolder("fill_modes") + "/region.dtm";
    test::SaveRows(path, {"..###", "##..#", "#####"});
    for (const Case& c : cases) {
        Script script;
        if (c.diagonal) {
            script.Click(96, 16);
        }
        if (c.bleed) {
            script.Click(96, 18);
        }
        script.Click(OverCanvas(0, 0), 3).Then(kAway);
        EditorSession session;
        EXPECT_FALSE(session.Run(script.End(), path));
        EXPECT_EQ(test::Rows(*session.State().activecanvas->img), c.filled)
            << "diagonal " << c.diagonal << ", bleed " << c.bleed;
    }
}

TEST(Selection, ShiftDragCopiesTheRectangleAndLettingShiftGoFirstDropsIt) {
    const std::string path = test::FreshFolder("selection") + "/rows.dtm";
    test::SaveRows(path, {"ABCDEFGH", "IJKLMNOP", "QRSTUVWX", "YZabcdef", "ghijklmn"});
    Script script;
    script.Then("key down 160\n" + OverCanvas(2, 3) + "button down 1\n");
    script.Then(OverCanvas(4, 2)).Then(OverCanvas(5, 1)).Then("button up 1\n");
    script.Then("key up 160\n" + kAway);
    EditorSession copied;
    EXPECT_FALSE(copied.Run(script.End(), path));
    const std::vector<std::string> copy{"KLMN", "STUV", "abcd"};
    ASSERT_NE(copied.State().clipmap, nullptr);
    EXPECT_EQ(test::Rows(*copied.State().clipmap), copy);
    EXPECT_EQ(copied.State().clipmap->tmap[4 * 3 * 2], 2) << "background copied";
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(copied.Shown(0, 56 + y, 4), copy[static_cast<size_t>(y)]);
    }

    // A second drag whose Shift is let go before the button leaves the first copy in place.
    script.Then("key down 160\n" + OverCanvas(0, 0) + "button down 1\n").Then(OverCanvas(3, 3));
    script.Then("key up 160\n").Then("button up 1\n").Then("key down 160\n").Then(kAway);
    EditorSession dropped;
    EXPECT_FALSE(dropped.Run(script.End(), path));
    ASSERT_NE(dropped.State().clipmap, nullptr);
    EXPECT_EQ(test::Rows(*dropped.State().clipmap), copy);
    EXPECT_EQ(dropped.State().selx, -1);
    EXPECT_EQ(dropped.State().sely, -1);
}

} // namespace
} // namespace dm
