#include "editor_session.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

using test::EditorSession;
using test::Script;

TEST(KeyTable, LettersWithoutShiftAreUsedUpAndTabNeedsTwoCanvases) {
    Script script;
    script.Then("press 66\n").Then("key down 160\n").Then("key up 160\n");
    EditorSession forgotten;
    EXPECT_FALSE(forgotten.Run(script.End()));
    EXPECT_FALSE(forgotten.State().showtables);

    script.Shifted('B').Shifted('N').Then("press 9\n");
    EditorSession toggled;
    EXPECT_FALSE(toggled.Run(script.End()));
    EXPECT_TRUE(toggled.State().showtables);
    ASSERT_EQ(toggled.State().canvases.size(), 1u);
    EXPECT_EQ(toggled.State().activecanvas, toggled.State().canvases[0]);

    // F1 needs no Shift; Shift+N in the same frame as a held Shift from before works too.
    script.Then("press 112\n").Shifted('N').Then("press 9\n");
    EditorSession cycled;
    EXPECT_FALSE(cycled.Run(script.End()));
    EXPECT_TRUE(cycled.State().showhelp);
    EXPECT_EQ(cycled.State().activecanvas, cycled.State().canvases[0]);
}

TEST(QuitCheck, AsksOnlyWithUnsavedCanvasesAndNoKeepsEverything) {
    EditorSession none;
    EXPECT_TRUE(none.Run(Script().Then("key down 27\n").End()));
    EXPECT_EQ(none.Driver().FrameNumber(), 1);

    EditorSession closed;
    EXPECT_TRUE(closed.Run(Script().Then("close\n").End()));

    Script unsaved;
    unsaved.Shifted('N').Then("key down 27\n").Then("press 39\n").Then("press 13\n");
    EditorSession no;
    EXPECT_FALSE(no.Run(unsaved.Wait(3).End()));
    EXPECT_EQ(no.State().canvases.size(), 1u);

    unsaved.Then("close\n").Then("press 13\n");
    EditorSession yes;
    EXPECT_TRUE(yes.Run(unsaved.End()));
    // The question stands in the popup's label.
    EXPECT_EQ(yes.Shown(37, 31, 20), "Exit without saving?");
}

TEST(QuitCheck, EscapeLeavingTypingModeDoesNotAskToQuit) {
    Script script;
    script.Shifted('N').Then(test::MoveToCell(30, 5)).Shifted('T');
    script.Then("char 72\n").Then("key down 27\nchar 27\n").Then("key up 27\n");
    EditorSession session;
    EXPECT_FALSE(session.Run(script.Wait(2).End()));
    EXPECT_FALSE(session.State().typing);
    EXPECT_EQ(session.State().activecanvas->hassaved, 0);
}

} // namespace
} // namespace dm
