#include "editor_session.h"

#include "editor/screen_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace dm {
namespace {

using test::kAway;
using test::OverCanvas;
using test::Script;
using namespace std::string_literals;

const std::string kCtrlDown = "key down 162\n";
const std::string kCtrlUp = "key up 162\n";

std::array<int, 3> CellAt(const tilemap& map, int x, int y) {
    uint8_t glyph = 0, fg = 0, bg = 0;
    map.GrabTile(x, y, glyph, fg, bg);
    return {glyph, fg, bg};
}

// A Shift-drag over canvas cells, copying them into the clip.
Script& Select(Script& script, int x0, int y0, int x1, int y1) {
    return script.Then("key down 160\n" + OverCanvas(x0, y0) + "button down 1\n")
        .Then(OverCanvas(x1, y1))
        .Then("button up 1\n")
        .Then("key up 160\n" + kAway);
}

// A left drag with Ctrl held (and Shift for a box) from one canvas cell to another.
Script& CtrlDrag(Script& script, int x0, int y0, int x1, int y1, bool box = false) {
    const std::string shift = box ? "key down 160\n" : "";
    return script.Then(kCtrlDown + shift + OverCanvas(x0, y0) + "button down 1\n")
        .Then(OverCanvas(x1, y1))
        .Then("button up 1\n")
        .Then(kCtrlUp + "key up 160\n" + kAway);
}

// Picks glyph g in the glyph picker.
Script& PickGlyph(Script& script, int g) {
    return script.Click(g % 16, 16 + g / 16).Then(kAway);
}

class EditingTest : public testing::Test {
  protected:
    // A 6 x 4 map of letters in foreground 1 on background 2, opened as the canvas.
    void SetUp() override {
        path_ = test::FreshFolder(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "/letters.dtm";
        letters_ = test::SaveRows(path_, {"abcdef", "ghijkl", "mnopqr", "stuvwx"});
    }

    std::unique_ptr<test::EditorSession> Run(const Script& script) {
        return test::Ran(script.End(), path_);
    }

    std::string path_;
    std::shared_ptr<tilemap> letters_;
};

TEST_F(EditingTest, VPastesTheClipWhereItIsLetGoClippedAtTheImagesEdges) {
    // The clip is "hi" over "no", from cells (1, 1) to (2, 2).
    struct Case {
        const char* what;
        std::function<void(Script&)> paste;
        std::vector<std::string> rows;
    };
    const auto tap = [](int x, int y) {
        return [x, y](Script& s) { s.Then(OverCanvas(x, y) + "press 86\n").Then(kAway); };
    };
    const Case cases[] = {
        {"at (0, 0)", tap(0, 0), {"hicdef", "noijkl", "mnopqr", "stuvwx"}},
        {"at the bottom-right cell", tap(5, 3), {"abcdef", "ghijkl", "mnopqr", "stuvwh"}},
        {"over the right edge", tap(5, 1), {"abcdef", "ghijkh", "mnopqn", "stuvwx"}},
        {"held at (0, 0), let go at (3, 0)",
         [](Script& s) {
             s.Then(OverCanvas(0, 0) + "key down 86\n").Then(OverCanvas(3, 0)).Then("key up 86\n");
         },
         {"abchif", "ghinol", "mnopqr", "stuvwx"}},
        {"let go over the column beyond the image",
         tap(6, 0),
         {"abcdef", "ghijkl", "mnopqr", "stuvwx"}},
        {"let go away from the canvas",
         [](Script& s) {
             s.Then(OverCanvas(0, 0) + "key down 86\n").Then(kAway).Then("key up 86\n");
         },
         {"abcdef", "ghijkl", "mnopqr", "stuvwx"}},
        {"in typing mode",
         [](Script& s) {
             s.Then(OverCanvas(0, 0) + "key down 160\npress 84\n")
                 .Then("key up 160\n")
                 .Then("key down 86\n")
                 .Then("key up 86\npress 27\n");
         },
         {"abcdef", "ghijkl", "mnopqr", "stuvwx"}},
    };
    for (const Case& c : cases) {
        Script script;
        Select(script, 1, 1, 2, 2);
        c.paste(script);
        const auto session = Run(script);
        const canvas& active = *session->State().activecanvas;
        EXPECT_EQ(test::Rows(*active.img), c.rows) << c.what;
        EXPECT_EQ(active.hassaved, active.img->tmap == letters_->tmap ? 1 : 0) << c.what;
    }

    // Without a clip, V does nothing.
    const auto unclipped = Run(Script().Then(OverCanvas(0, 0) + "press 86\n").Then(kAway));
    EXPECT_EQ(unclipped->State().activecanvas->img->tmap, letters_->tmap);
}

TEST_F(EditingTest, APasteWritesEveryCellOfTheClipAsCopiedAndZTakesItBack) {
    // The clip is taken from a dragged area reaching one column beyond the image, which repeats
    // the last cell read (column by column, so x); the canvas is then painted over in another
    // glyph and colours.
    Script script;
    Select(script, 4, 2, 6, 3);
    script.Shifted('F').Then(OverCanvas(1, 0) + "press 86\n").Then(kAway);
    const auto pasted = Run(script);
    const tilemap& image = *pasted->State().activecanvas->img;
    EXPECT_EQ(test::Rows(image),
              (std::vector<std::string>{"@qrx@@", "@wxx@@", "@@@@@@", "@@@@@@"}));
    EXPECT_EQ(CellAt(image, 3, 1), (std::array<int, 3>{'x', 1, 2}));
    EXPECT_EQ(CellAt(image, 0, 0), (std::array<int, 3>{'@', 0, 9}));

    const auto undone = Run(Script(script).Then("press 90\n"));
    EXPECT_EQ(test::Rows(*undone->State().activecanvas->img),
              std::vector<std::string>(4, "@@@@@@"));
}

TEST_F(EditingTest, WhileVIsHeldTheViewShowsThePasteAndTheImageIsUntouched) {
    Script script;
    Select(script, 1, 1, 2, 2);
    script.Then(OverCanvas(4, 2) + "key down 86\n");
    const auto held = Run(script);
    EXPECT_EQ(test::Rows(*held->State().activecanvas->img),
              (std::vector<std::string>{"abcdef", "ghijkl", "mnopqr", "stuvwx"}));
    EXPECT_EQ(held->Shown(kCanvasRegion.left, kCanvasRegion.top + 2, 6), "mnophi");
    EXPECT_EQ(held->Shown(kCanvasRegion.left, kCanvasRegion.top + 3, 6), "stuvno");
    EXPECT_EQ(held->Shown(kCanvasRegion.left, kCanvasRegion.top, 6), "abcdef");

    const auto moved = Run(Script(script).Then(OverCanvas(0, 0)));
    EXPECT_EQ(moved->Shown(kCanvasRegion.left, kCanvasRegion.top, 6), "hicdef");
    EXPECT_EQ(moved->Shown(kCanvasRegion.left, kCanvasRegion.top + 2, 6), "mnopqr");
}

TEST_F(EditingTest, ShiftCCopiesTheClipAsTextAndShiftVPastesTextInTheSelectedColours) {
    // Box corners and a smiley around letters: the glyphs the clipboard shows as Unicode.
    const auto art = tilemap::Create(4, 2);
    const std::string glyphs = "\xC9\x01"s + "A\xBB\xC8\x00z\xBC"s;
    for (int i = 0; i < 8; ++i) {
        art->SetTile(i % 4, i / 4, static_cast<uint8_t>(glyphs[i]), 3, 4, 1);
    }
    ASSERT_EQ(Save(*art, path_), 1);
    Script copy;
    Select(copy, 0, 0, 3, 1);
    copy.Shifted('C');
    const auto copied = Run(copy);
    EXPECT_EQ(copied->Log(), "clipboard \u2554\u263AA\u2557\\x0a\u255A z\u255D\\x0a\n");

    // Pasted back at (0, 0) of the same picture in foreground 5 on background 6: glyph 0 comes
    // back as a space, every other glyph as itself.
    Script paste = copy;
    paste.Click(test::OverPickerIndex(kColourPickerRegion, 5)).Then(kAway);
    paste.Click(test::OverPickerIndex(kColourPickerRegion, 6), 2).Then(kAway);
    paste.Then(OverCanvas(0, 0) + "key down 160\npress 86\n").Then("key up 160\n");
    const auto pasted = Run(paste);
    const tilemap& image = *pasted->State().activecanvas->img;
    EXPECT_EQ(test::Rows(image), (std::vector<std::string>{"\xC9\x01"s + "A\xBB", "\xC8 z\xBC"}));
    EXPECT_EQ(CellAt(image, 2, 1), (std::array<int, 3>{'z', 5, 6}));
    EXPECT_EQ(pasted->State().activecanvas->hassaved, 0);
}

TEST_F(EditingTest, ClipboardTextGoesRowByRowAndCharactersWithoutAGlyphLeaveTheirCells) {
    struct Case {
        const char* clipboard; // as the script line writes it
        int x, y;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"AB\\nCD", 1, 1, {"abcdef", "gABjkl", "mCDpqr", "stuvwx"}},
        {"A\\x09B\\r\\nC", 2, 2, {"abcdef", "ghijkl", "mnApBr", "stCvwx"}}, // tab, CR LF
        {"\xF0\x9F\x98\x80Z\xE2\x95\x90", 0, 3, {"abcdef", "ghijkl", "mnopqr", "sZ\xCDvwx"}},
        {"\\n\\n\\n\\nQQ", 0, 0, {"abcdef", "ghijkl", "mnopqr", "stuvwx"}}, // below the image
        {"", 0, 0, {"abcdef", "ghijkl", "mnopqr", "stuvwx"}},
    };
    for (const Case& c : cases) {
        Script script;
        script
            .Then("clipboard "s + c.clipboard + "\n" + OverCanvas(c.x, c.y) +
                  "key down 160\npress 86\n")
            .Then("key up 160\n");
        const auto session = Run(script);
        EXPECT_EQ(test::Rows(*session->State().activecanvas->img), c.rows) << c.clipboard;
    }
}

TEST_F(EditingTest, OneHundredFiftyEditsAreUndoneStepByStepAndRedoneAgain) {
    // 150 clicks, each a stroke of one cell on the 16 x 16 map the editor opened, saved.
    ASSERT_EQ(Save(*tilemap::Create(16, 16), path_), 1);
    Script edits;
    for (int i = 0; i < 150; ++i) {
        edits.Click(OverCanvas(i % 16, i / 16));
    }
    edits.Then(kAway + kCtrlDown);
    const auto undoes = [&edits](int count, const std::string& key = "press 90\n") {
        Script script = edits;
        for (int i = 0; i < count; ++i) {
            script.Then(key);
        }
        return script;
    };
    struct Case {
        Script script;
        int drawn;
        int saved;
    };
    const Case cases[] = {
        {undoes(0), 150, 0},
        {undoes(75), 75, 0},
        {undoes(150), 0, 1},
        {undoes(151), 0, 1},
        {undoes(151).Then("press 89\n"), 1, 0},
        {undoes(150).Then("key down 160\npress 90\n").Then("press 90\n").Then("press 90\n"), 3, 0},
    };
    for (const Case& c : cases) {
        const auto session = Run(c.script);
        const canvas& active = *session->State().activecanvas;
        EXPECT_EQ(std::count(active.img->tmap.begin(), active.img->tmap.begin() + 256, '@'),
                  c.drawn);
        EXPECT_EQ(active.hassaved, c.saved) << c.drawn;
        // The drawn cells are always the first ones, in the order they were drawn.
        for (int i = 0; i < c.drawn; ++i) {
            ASSERT_EQ(active.img->tmap[i], '@') << i;
        }
    }
    // All 150 redone after all were undone: the canvas as it was after the edits.
    Script redone = undoes(150);
    for (int i = 0; i < 150; ++i) {
        redone.Then("press 89\n");
    }
    const auto again = Run(redone);
    const auto edited = Run(undoes(0));
    EXPECT_EQ(again->State().activecanvas->img->tmap, edited->State().activecanvas->img->tmap);
    EXPECT_EQ(again->State().activecanvas->history.RedoCount(), 0u);
}

TEST_F(EditingTest, EveryKindOfEditIsOneStepOfTheHistory) {
    // Each edit after a drawn cell; Ctrl+Z brings back the canvas just before it and Ctrl+Y the
    // canvas just after it.
    const std::pair<const char*, std::function<void(Script&)>> edits[] = {
        {"stroke",
         [](Script& s) {
             s.Then(OverCanvas(0, 3) + "button down 1\n")
                 .Then(OverCanvas(1, 3))
                 .Then(OverCanvas(2, 3))
                 .Then("button up 1\n");
         }},
        {"fill", [](Script& s) { s.Click(OverCanvas(5, 0), 3); }},
        {"whole-canvas fill", [](Script& s) { s.Shifted('F'); }},
        {"paste", [](Script& s) { Select(s, 0, 0, 1, 1).Then(OverCanvas(3, 2) + "press 86\n"); }},
        {"typed text",
         [](Script& s) {
             s.Then(OverCanvas(1, 2) + "key down 160\npress 84\n")
                 .Then("key up 160\nchar 72\n")
                 .Then("char 105\n")
                 .Then("press 27\n");
         }},
        {"resize", [](Script& s) { s.Shifted('R').Type("3").Type("2").Then("press 13\n"); }},
        {"line", [](Script& s) { CtrlDrag(s, 0, 0, 5, 3); }},
        {"box", [](Script& s) { CtrlDrag(s, 1, 0, 4, 3, true); }},
        {"replace", [](Script& s) { s.Then(kCtrlDown).Click(OverCanvas(2, 2), 3).Then(kCtrlUp); }},
        {"swap with the undo copy", [](Script& s) { s.Then("press 90\n"); }},
    };
    for (const auto& [what, edit] : edits) {
        Script before;
        before.Click(OverCanvas(4, 1)).Then(kAway);
        Script after = before;
        edit(after);
        after.Then(kAway);
        const auto first = Run(before);
        const auto second = Run(after);
        const auto undone = Run(Script(after).Then(kCtrlDown + "press 90\n"));
        const auto redone = Run(Script(after).Then(kCtrlDown + "press 90\n").Then("press 89\n"));
        const tilemap& was = *first->State().activecanvas->img;
        const tilemap& is = *second->State().activecanvas->img;
        EXPECT_NE(is.tmap, was.tmap) << what;
        EXPECT_EQ(undone->State().activecanvas->img->tmap, was.tmap) << what;
        EXPECT_EQ(undone->State().activecanvas->w, was.tmapw) << what;
        EXPECT_EQ(redone->State().activecanvas->img->tmap, is.tmap) << what;
        EXPECT_EQ(redone->State().activecanvas->h, is.tmaph) << what;
    }
}

TEST_F(EditingTest, ADoubleLineBoxJoinsTheDoubleLinesDrawnFromIt) {
    ASSERT_EQ(Save(*tilemap::Create(12, 8), path_), 1);
    Script script;
    PickGlyph(script, 205); // a double line
    CtrlDrag(script, 1, 1, 6, 4, true);
    CtrlDrag(script, 6, 2, 10, 2); // from the right side outwards: a tee
    CtrlDrag(script, 3, 0, 3, 6);  // across the top and bottom: two crosses
    CtrlDrag(script, 0, 3, 1, 3);  // onto the left side: a tee
    PickGlyph(script, 196);        // a single line does not join double ones
    CtrlDrag(script, 4, 5, 4, 4);
    const auto session = Run(script);
    const tilemap& image = *session->State().activecanvas->img;
    EXPECT_EQ(test::Rows(image), (std::vector<std::string>{
                                     "\0\0\0\xBA\0\0\0\0\0\0\0\0"s,
                                     "\0\xC9\xCD\xCE\xCD\xCD\xBB\0\0\0\0\0"s,
                                     "\0\xBA\0\xBA\0\0\xCC\xCD\xCD\xCD\xCD\0"s,
                                     "\xCD\xB9\0\xBA\0\0\xBA\0\0\0\0\0"s,
                                     "\0\xC8\xCD\xCE\xB3\xCD\xBC\0\0\0\0\0"s,
                                     "\0\0\0\xBA\xB3\0\0\0\0\0\0\0"s,
                                     "\0\0\0\xBA\0\0\0\0\0\0\0\0"s,
                                     "\0\0\0\0\0\0\0\0\0\0\0\0"s,
                                 }));
    EXPECT_EQ(CellAt(image, 6, 2), (std::array<int, 3>{0xCC, 0, 9}));
}

TEST_F(EditingTest, AShapeIsShownWhileDraggedAndWrittenOnlyWhenLetGo) {
    Script script;
    script.Then(kCtrlDown + OverCanvas(0, 0) + "button down 1\n").Then(OverCanvas(5, 0));
    const auto dragging = Run(script);
    EXPECT_EQ(dragging->Shown(kCanvasRegion.left, kCanvasRegion.top, 6), "@@@@@@");
    EXPECT_EQ(test::Row(*dragging->State().activecanvas->img, 0, 0, 6), "abcdef");

    // Tab to another canvas ends the drag without a shape; letting go far outside the image
    // draws the line to its edge.
    const auto switched = Run(Script(script).Shifted('N').Then("press 9\n").Then("button up 1\n"));
    EXPECT_EQ(switched->State().activecanvas->img->tmap, letters_->tmap);
    const auto outside =
        Run(Script(script).Then(OverCanvas(30, 0)).Then("button up 1\n").Then(kAway));
    EXPECT_EQ(test::Row(*outside->State().activecanvas->img, 0, 0, 6), "@@@@@@");
}

TEST_F(EditingTest, CtrlMiddleClickReplacesEveryCellEqualInAllThreeBytes) {
    auto map = tilemap::Create(4, 2);
    map->Fill('.', 1, 2, 1);
    map->SetTile(1, 0, '.', 1, 3, 1); // another background
    map->SetTile(2, 1, ',', 1, 2, 1); // another glyph
    ASSERT_EQ(Save(*map, path_), 1);
    Script script;
    script.Then(kCtrlDown).Click(OverCanvas(3, 1), 3).Then(kCtrlUp + kAway);
    const auto replaced = Run(script);
    const tilemap& image = *replaced->State().activecanvas->img;
    EXPECT_EQ(test::Rows(image), (std::vector<std::string>{"@.@@", "@@,@"}));
    EXPECT_EQ(CellAt(image, 0, 0), (std::array<int, 3>{'@', 0, 9}));
    EXPECT_EQ(CellAt(image, 1, 0), (std::array<int, 3>{'.', 1, 3}));
    EXPECT_EQ(replaced->State().activecanvas->hassaved, 0);

    const auto undone = Run(Script(script).Then("press 90\n"));
    EXPECT_EQ(undone->State().activecanvas->img->tmap, map->tmap);
}

TEST_F(EditingTest, TheWheelScrollsFourCellsANotchWithinTheCanvas) {
    ASSERT_EQ(Save(*tilemap::Create(200, 70), path_), 1);
    struct Case {
        std::string lines;
        int viewx, viewy;
    };
    const std::string over = OverCanvas(10, 10);
    const Case cases[] = {
        {over + "wheel -1\n", 0, 4},
        {over + "wheel -2\n", 0, 6}, // 70 - 64
        {over + "wheel -1\n" + "wheel 1\n", 0, 0},
        {over + "key down 160\nwheel -3\n", 12, 0},
        {over + "key down 160\nwheel -100\n", 136, 0},
        {over + "key down 160\nwheel 5\n", 0, 0},
        {kAway + "wheel -2\n", 0, 0},
    };
    for (const Case& c : cases) {
        const auto session = Run(Script().Then(c.lines).Then(over));
        const canvas& active = *session->State().activecanvas;
        EXPECT_EQ(std::pair(active.viewx, active.viewy), std::pair(c.viewx, c.viewy)) << c.lines;
    }
    // A canvas no larger than the view does not scroll.
    ASSERT_EQ(Save(*tilemap::Create(64, 64), path_), 1);
    const auto small = Run(Script().Then(over + "wheel -3\n").Then(over));
    EXPECT_EQ(small->State().activecanvas->viewy, 0);
}

TEST(HelpPanel, ListsTheEditingKeysBelowTheOthersAndStaysCentredOnTheScreen) {
    const auto session = test::Ran(Script().Then("press 112\n").End());
    const EditorState& state = session->State();
    const std::vector<std::string> rows = test::Rows(*state.helpmap);
    ASSERT_EQ(rows.size(), 33u);
    const std::pair<int, std::string> lines[] = {
        {18, "[Shift+c] copy the copied selection to the clipboard as text"},
        {19, "[z] single level undo"},
        {20, "[V] paste data to the canvas at the cursor on release"},
        {25, "[\x18][\x19][\x1B][\x1A] scroll the canvas"},
        {26, " "},
        {27, "Hold [V] to see where the paste goes; it is made on release."},
        {28, "[Shift+v] paste the clipboard's text in the selected colours"},
        {29, "[Ctrl+z] undo a step; [Ctrl+y] or [Ctrl+Shift+z] redo it"},
        {30, "[Ctrl+left drag] draw a line, with Shift a box; box lines join"},
        {31, "[Ctrl+middle click] replace every tile like the clicked one"},
        {32, "[Wheel] scroll the canvas up and down, with Shift sideways"},
    };
    for (const auto& [row, text] : lines) {
        EXPECT_EQ(rows[row].substr(0, rows[row].find_last_not_of('\0') + 1), text) << row;
    }
    // The panel's last row lies on the screen.
    EXPECT_EQ(session->Shown(HelpColumn(state), HelpRow(state) + 32, 7), "[Wheel]");
}

} // namespace
} // namespace dm
