#include "editor_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::OverCanvas;
using test::Script;
using namespace std::string_literals;

// Picker cells by index, as glyph and foreground.
using Cells = std::map<int, std::pair<int, int>>;

std::string OverColour(int c) {
    return test::OverPickerIndex(kColourPickerRegion, c);
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
    script.Then(test::OverRegion(kGlyphPickerRegion, 0, 0) + "button down 1\n");
    for (const auto& [x, y] : {std::pair{3, 0}, {3, 4}, {15, 15}, {2, 1}}) {
        script.Then(test::OverRegion(kGlyphPickerRegion, x, y));
    }
    script.Then("button up 1\n").Then(test::OverRegion(kGlyphPickerRegion, 9, 9));
    const auto session = test::Ran(script.End());
    const EditorState& state = session->State();
    EXPECT_EQ(Highlighted(state), (Cells{{18, {18, 0}}}));
    EXPECT_EQ(test::Row(*state.screenmap, kSelectedGlyph.x, kSelectedGlyph.y, 1), "\x12");
}

TEST(ColourPicker, MarksShowOneXForEqualColoursAndFAndBOtherwise) {
    // Colour 9 is black (brightness 0), 0 white, 3 orange (145), 2 red (103). A mark takes
    // foreground 9 over colours brighter than 128, else 0, so that it always shows: the B given
    // back to black when a new foreground splits an X is white too.
    struct Case {
        std::vector<std::pair<int, int>> clicks; // button, colour
        Cells marks;
        int selfg, selbg;
    };
    const Case cases[] = {
        {{}, {{0, {'F', 9}}, {9, {'B', 0}}}, 0, 9},
        {{{1, 9}}, {{9, {'X', 0}}}, 9, 9},
        {{{1, 9}, {1, 3}}, {{9, {'B', 0}}, {3, {'F', 9}}}, 3, 9},
        {{{2, 0}}, {{0, {'X', 9}}}, 0, 0},
        {{{2, 0}, {2, 2}}, {{0, {'F', 9}}, {2, {'B', 0}}}, 0, 2},
    };
    for (const Case& c : cases) {
        Script script;
        for (const auto& [button, colour] : c.clicks) {
            script.Click(OverColour(colour), button);
        }
        const auto session = test::Ran(script.Then(kAway).End());
        const EditorState& state = session->State();
        EXPECT_EQ(ColourMarks(state), c.marks) << c.clicks.size() << " clicks";
        uint8_t glyph = 0, fg = 0, shownFg = 0, shownBg = 0;
        state.screenmap->GrabTile(kForegroundSwatch.x, kForegroundSwatch.y, glyph, fg, shownFg);
        state.screenmap->GrabTile(kBackgroundSwatch.x, kBackgroundSwatch.y, glyph, fg, shownBg);
        EXPECT_EQ((std::pair<int, int>(shownFg, shownBg)), std::pair(c.selfg, c.selbg));
    }
}

TEST(CanvasTools, UndoAfterAFillOrTheEyedropperTakesBackTheLastChange) {
    // A drawn cell, then a middle-click fill of everything else: undo keeps the drawn cell only.
    Script fill;
    fill.Shifted('N').Click(OverCanvas(3, 3)).Then(kAway).Click(OverCanvas(0, 0), 3).Then(kAway);
    const auto filled = test::Ran(fill.End());
    const std::vector<uint8_t>& all = filled->State().activecanvas->img->tmap;
    EXPECT_EQ(std::count(all.begin(), all.end(), '@'), 256);
    const auto undone = test::Ran(fill.Then("press 90\n").End());
    const std::vector<uint8_t>& one = undone->State().activecanvas->img->tmap;
    EXPECT_EQ(std::count(one.begin(), one.end(), '@'), 1);
    EXPECT_EQ(one[3 * 16 + 3], '@');

    // The eyedropper takes no undo copy of its own, so undo takes back the drawing before it, and
    // the canvas is as it was opened again.
    const std::string path = test::FreshFolder("eyedropper") + "/rows.dtm";
    const auto rows = test::SaveRows(path, {"ABCDEF", "GHIJKL", "MNOPQR"});
    Script pick;
    pick.Click(OverCanvas(1, 1)).Then(kAway).Click(OverCanvas(4, 2), 2).Then(kAway);
    pick.Then("press 90\n");
    const auto picked = test::Ran(pick.End(), path);
    const EditorState& state = picked->State();
    EXPECT_EQ(state.activecanvas->img->tmap, rows->tmap);
    EXPECT_EQ(state.activecanvas->hassaved, 1);
    EXPECT_EQ(Highlighted(state), (Cells{{'Q', {'Q', 0}}}));
    EXPECT_EQ(ColourMarks(state), (Cells{{1, {'F', 0}}, {2, {'B', 0}}}));
}

TEST(CanvasTools, ActOnlyOnCellsOfTheImageWithinTheView) {
    // Screen cells clicked and the canvas cell under each; only the last of each map is shown and
    // in the image. Under the fill-mode box, on the status row, just right of the view, and the
    // column beyond a small image lie hidden or outside cells.
    struct Case {
        int columns, rows;
        int x, y;
        int cellX, cellY;
        bool drawn;
    };
    const Case cases[] = {
        {100, 100, 96, 16, 72, 14, false}, {100, 100, 30, 66, 6, 64, false},
        {100, 100, 88, 10, 64, 8, false},  {100, 100, 87, 65, 63, 63, true},
        {16, 16, 40, 5, 16, 3, false},     {16, 16, 39, 17, 15, 15, true},
    };
    const std::string folder = test::FreshFolder("view_region");
    for (const Case& c : cases) {
        const std::string path = folder + "/" + std::to_string(c.columns) + ".dtm";
        const auto map = tilemap::Create(c.columns, c.rows);
        map->Fill('.', 1, 2, 1);
        ASSERT_EQ(Save(*map, path), 1);
        const auto session = test::Ran(Script().Click(c.x, c.y).Then(kAway).End(), path);
        const canvas& active = *session->State().activecanvas;
        const auto expected = map->Copy();
        if (c.drawn) {
            expected->SetTile(c.cellX, c.cellY, '@', 0, 9, 1);
        }
        EXPECT_EQ(active.img->tmap, expected->tmap) << c.x << "," << c.y;
        EXPECT_EQ(std::pair(active.canundo, active.hassaved),
                  std::pair(c.drawn ? 1 : 0, c.drawn ? 0 : 1))
            << c.x << "," << c.y;
    }
}

TEST(CanvasTools, TheEyedropperAndClicksThatChangeNothingLeaveTheCanvasSaved) {
    // The map's '@' cells are in foreground 1 on background 2, as the eyedropper picks them up.
    const std::string path = test::FreshFolder("unchanged") + "/rows.dtm";
    test::SaveRows(path, {"@@.", "@@."});
    struct Case {
        const char* what;
        std::string steps;
        int hassaved;
    };
    const std::string pick = OverCanvas(0, 0) + "button down 2\n";
    const Case cases[] = {
        {"eyedropper", pick, 1},
        {"drawing the tile a cell has", OverCanvas(1, 1) + "button down 1\n", 1},
        {"filling a region with its own tile", OverCanvas(0, 1) + "button down 3\n", 1},
        {"drawing another tile", OverCanvas(2, 0) + "button down 1\n", 0},
        {"filling with another tile", OverCanvas(2, 1) + "button down 3\n", 0},
    };
    for (const Case& c : cases) {
        Script script;
        script.Then(pick).Then("button up 2\n" + kAway);
        script.Then(c.steps).Then("button up 1\nbutton up 2\nbutton up 3\n").Then(kAway);
        const auto session = test::Ran(script.End(), path);
        EXPECT_EQ(session->State().activecanvas->hassaved, c.hassaved) << c.what;
    }
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
            script.Click(test::OverCell(kDiagonalFillBox));
        }
        if (c.bleed) {
            script.Click(test::OverCell(kBleedFillBox));
        }
        script.Click(OverCanvas(0, 0), 3).Then(kAway);
        const auto session = test::Ran(script.End(), path);
        EXPECT_EQ(test::Rows(*session->State().activecanvas->img), c.filled)
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
    const auto copied = test::Ran(script.End(), path);
    const std::vector<std::string> copy{"KLMN", "STUV", "abcd"};
    ASSERT_NE(copied->State().clipmap, nullptr);
    EXPECT_EQ(test::Rows(*copied->State().clipmap), copy);
    EXPECT_EQ(copied->State().clipmap->tmap[4 * 3 * 2], 2) << "background copied";
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(copied->Shown(kClipPreviewRegion.left, kClipPreviewRegion.top + y, 4),
                  copy[static_cast<size_t>(y)]);
    }

    // A second drag whose Shift is let go before the button leaves the first copy in place.
    script.Then("key down 160\n" + OverCanvas(0, 0) + "button down 1\n").Then(OverCanvas(3, 3));
    script.Then("key up 160\n").Then("button up 1\n").Then("key down 160\n").Then(kAway);
    const auto dropped = test::Ran(script.End(), path);
    ASSERT_NE(dropped->State().clipmap, nullptr);
    EXPECT_EQ(test::Rows(*dropped->State().clipmap), copy);
    EXPECT_EQ(std::pair(dropped->State().selx, dropped->State().sely), std::pair(-1, -1));
}

// Keys typed one a frame: Enter and Backspace as key presses, everything else as characters.
Script& TypeKeys(Script& script, const std::string& keys) {
    for (char c : keys) {
        const int code = static_cast<unsigned char>(c);
        script.Then((c == '\r' || c == '\b' ? "press " : "char ") + std::to_string(code) + "\n");
    }
    return script;
}

TEST(TypingMode, EscapeWritesTheTypedRowsAndChangedCellsMarkTheCanvasUnsaved) {
    struct Case {
        std::string keys;
        std::string first, second;
        int hassaved;
    };
    const Case cases[] = {
        // A row ended by Enter starts with a space, as labels lay such rows out.
        {"Hi\rthere", " Hi\0\0\0"s, "there\0"s, 0},
        {"ab\bc", "ac\0\0\0\0"s, "\0\0\0\0\0\0"s, 0},
        {"\bx", "x\0\0\0\0\0"s, "\0\0\0\0\0\0"s, 0},
        {"A\b", "\0\0\0\0\0\0"s, "\0\0\0\0\0\0"s, 1},
    };
    const std::string path = test::FreshFolder("typing") + "/blank.dtm";
    ASSERT_EQ(Save(*tilemap::Create(16, 16), path), 1);
    for (const Case& c : cases) {
        Script script;
        script.Then(OverCanvas(2, 4)).Shifted('T');
        TypeKeys(script, c.keys).Then("press 27\n").Then(test::kAway);
        const auto session = test::Ran(script.End(), path);
        const EditorState& state = session->State();
        const tilemap& image = *state.activecanvas->img;
        EXPECT_EQ(test::Row(image, 2, 4, 6) + "|" + test::Row(image, 2, 5, 6),
                  c.first + "|" + c.second);
        EXPECT_EQ(state.activecanvas->hassaved, c.hassaved) << c.keys;
        uint8_t glyph = 0, fg = 0, bg = 0, shownFg = 0;
        state.screenmap->GrabTile(kMessageLine.x, kMessageLine.y, glyph, shownFg, bg);
        EXPECT_EQ(shownFg, 9) << "message hidden";
        image.GrabTile(2, 4, glyph, fg, bg);
        EXPECT_EQ(bg, glyph == 0 ? 0 : 9) << "written in the selected colours";
    }
}

TEST(TypingMode, TypedCharactersBecomeTheGlyphsThatShowThem) {
    // é, £, ░, € (no glyph shows it), A, π and ☺, typed as Unicode code points.
    Script script;
    script.Shifted('N').Then(OverCanvas(2, 4)).Shifted('T');
    for (const int typed : {0xE9, 0xA3, 0x2591, 0x20AC, int{'A'}, 0x3C0, 0x263A}) {
        script.Then("char " + std::to_string(typed) + "\n");
    }
    const auto session = test::Ran(script.Then("press 27\n").Then(kAway).End());
    EXPECT_EQ(test::Row(*session->State().activecanvas->img, 2, 4, 7), std::string("\x82\x9C\xB0"
                                                                                   "A\xE3\x01\0",
                                                                                   7));
}

// The lines a frame drew, with their colours: slanted ones from end to end, those along a row
// or a column as the run of pixels they cover, ends exclusive.
using Stroke = std::tuple<int, int, int, float, float, float, float>;
std::vector<Stroke> StrokesDrawn(const FrameList& frame) {
    std::vector<Stroke> strokes;
    for (const DrawCommand& c : frame.commands) {
        const bool thin = c.kind == DrawKind::Rect && (c.x1 - c.x0 == 1 || c.y1 - c.y0 == 1);
        if (thin || c.kind == DrawKind::Line) {
            strokes.emplace_back(c.red, c.green, c.blue, c.x0, c.y0, c.x1, c.y1);
        }
    }
    return strokes;
}

TEST(Previews, LineUpWithTheCellsOfACanvasScrolledTo16) {
    const std::string path = test::FreshFolder("previews") + "/wide.dtm";
    ASSERT_EQ(Save(*tilemap::Create(100, 20), path), 1);
    // Canvas cell (20, 3) is screen cell (28, 5) once the view starts at column 16: its top-left
    // pixel is (224, 70) with glyphs of 8 x 14 pixels.
    Script typing;
    typing.Then("press 39\n").Then(OverCanvas(20, 3, 16)).Shifted('T').Then("char 72\n");
    const auto typed = test::Ran(typing.End(), path);
    ASSERT_EQ(typed->State().activecanvas->viewx, 16);
    EXPECT_EQ(typed->Shown(28, 5, 1), "H");
    EXPECT_NE(typed->Shown(44, 5, 1), "H");
    const std::vector<Stroke> marker = StrokesDrawn(typed->Driver().PresentedFrame());
    ASSERT_EQ(marker.size(), 1u);
    const auto [red, green, blue, x0, y0, x1, y1] = marker[0]; // in whatever colour was set
    EXPECT_EQ(std::tuple(x0, y0, x1, y1), std::tuple(224.0f, 84.0f, 233.0f, 85.0f));

    // A drag anchored there with the mouse now at screen cell (31, 7), pixel (248, 98).
    Script dragging;
    dragging.Then("press 39\n").Then("key down 160\n" + OverCanvas(20, 3, 16) + "button down 1\n");
    dragging.Then(test::MoveToCell(31, 7));
    const auto dragged = test::Ran(dragging.End(), path);
    EXPECT_EQ(dragged->State().selx, 20);
    EXPECT_EQ(StrokesDrawn(dragged->Driver().PresentedFrame()),
              (std::vector<Stroke>{{0, 192, 0, 224, 70, 248, 98},
                                   {0, 96, 0, 224, 98, 249, 99},
                                   {0, 96, 0, 224, 70, 249, 71},
                                   {0, 96, 0, 248, 70, 249, 99},
                                   {0, 96, 0, 224, 70, 225, 99}}));
}

} // namespace
} // namespace dm
