#include "editor_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::MoveToCell;
using test::OverCanvas;
using test::Script;

int Count(const tilemap& map, char glyph) {
    const auto glyphs = map.tmap.begin() + map.tmapw * map.tmaph;
    return static_cast<int>(std::count(map.tmap.begin(), glyphs, static_cast<uint8_t>(glyph)));
}

TEST(Undo, PressesAwayFromTheCanvasNeverTakeTheUndoCopy) {
    // A 40 x 40 map, so that the buttons of the quit question stand over the canvas. A cell is
    // drawn, something is clicked, the mouse comes back over the canvas without a press, and Z
    // takes the drawing back; a click on the canvas itself is the one that takes a new copy.
    const std::string path = test::FreshFolder("undo_elsewhere") + "/blank.dtm";
    ASSERT_EQ(Save(*tilemap::Create(40, 40), path), 1);
    struct Case {
        const char* what;
        std::function<void(Script&)> click;
        char left; // the drawn cell after Z
    };
    const Case cases[] = {
        {"glyph picker", [](Script& s) { s.Click(test::OverRegion(kGlyphPickerRegion, 5, 4)); },
         '\0'},
        {"colour picker", [](Script& s) { s.Click(test::OverRegion(kColourPickerRegion, 5, 4)); },
         '\0'},
        {"fill-mode box", [](Script& s) { s.Click(test::OverCell(kBleedFillBox)); }, '\0'},
        {"quit question answered No with the mouse",
         [](Script& s) { s.Then("key down 27\n").Then("key up 27\n").Click(55, 36); }, '\0'},
        {"the canvas", [](Script& s) { s.Click(OverCanvas(5, 5)); }, '@'},
    };
    for (const Case& c : cases) {
        Script script;
        script.Click(OverCanvas(3, 3)).Then(kAway);
        c.click(script);
        script.Then(OverCanvas(10, 10)).Then("press 90\n");
        const auto session = test::Ran(script.End(), path);
        const tilemap& image = *session->State().activecanvas->img;
        EXPECT_EQ(test::Row(image, 3, 3, 1), std::string(1, c.left)) << c.what;
        EXPECT_EQ(Count(image, '@'), c.left == '@' ? 1 : 0) << c.what;
    }
}

TEST(Undo, UndoingPastASaveMakesTheCanvasUnsavedAndRedoingMakesItSavedAgain) {
    const std::string path = test::FreshFolder("undo_saved") + "/drawn.dtm";
    Script drawn;
    drawn.Shifted('N').Click(OverCanvas(2, 2)).Then(kAway);
    drawn.Then("answer " + path + "\npress 83\n").Then("press 13\n").Then("press 90\n");

    EditorSession undone;
    EXPECT_FALSE(undone.Run(Script(drawn).Then("key down 27\n").Wait(2).End()));
    EXPECT_EQ(undone.State().activecanvas->hassaved, 0);
    EXPECT_NE(undone.Log().find("popup Confirm!: Exit without saving?\n"), std::string::npos)
        << undone.Log();

    EditorSession redone;
    EXPECT_TRUE(redone.Run(Script(drawn).Then("press 90\n").Then("key down 27\n").Wait(2).End()));
    EXPECT_EQ(redone.Log().find("Exit without saving?"), std::string::npos) << redone.Log();
}

TEST(Undo, ZAfterAWholeCanvasFillTakesBackTheFillAndNothingElse) {
    // '@' drawn, glyph 65 picked, the canvas filled with it.
    Script script;
    script.Shifted('N').Click(OverCanvas(3, 3)).Then(kAway).Click(1, 20).Shifted('F');
    const auto filled = test::Ran(script.End());
    EXPECT_EQ(Count(*filled->State().activecanvas->img, 'A'), 256);

    const auto undone = test::Ran(script.Then("press 90\n").End());
    const tilemap& image = *undone->State().activecanvas->img;
    EXPECT_EQ(std::pair(Count(image, 'A'), Count(image, '@')), std::pair(0, 1));
    EXPECT_EQ(test::Row(image, 3, 3, 1), "@");
}

} // namespace
} // namespace dm
