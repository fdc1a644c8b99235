#include "editor_session.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::Row;
using test::Script;

TEST(Canvases, EightOpenANinthIsRefusedAndLongNamesAreCut) {
    const std::string path = testing::TempDir() + "/averyveryverylongname.dtm";
    ASSERT_EQ(Save(*tilemap::Create(100, 100), path), 1);
    Script script;
    for (int i = 0; i < 8; ++i) {
        script.Shifted('N');
    }
    EditorSession session;
    EXPECT_FALSE(session.Run(script.Wait(1).End(), path));
    const EditorState& state = session.State();
    EXPECT_EQ(state.canvases.size(), 8u);
    // The popup stands at (36, 30) of the 111 x 68 screen, its text from (37, 31).
    EXPECT_EQ(session.Shown(37, 31, 29), "Too many canvases; you cannot");
    EXPECT_EQ(session.Shown(37, 35, 20), "currently have open.");
    EXPECT_EQ(Row(*state.listmap, 0, 2, 16), " averyveryver.. ");
    EXPECT_EQ(Row(*state.listmap, 0, 8, 10), " Untitled ");
    EXPECT_EQ(Row(*state.listmap, 0, 9, 10), ">Untitled<");
    // The size line of the 100 x 100 map leaves no stray digits behind.
    EXPECT_EQ(Row(*state.screenmap, 24, 1, 30), "Canvas size: 16x16" + std::string(12, ' '));
}

TEST(Canvases, ClosingMovesToTheNextOneAndTheLastLeavesNone) {
    // Three canvases, each marked by a drawn cell in its own column; Tab twice makes the second
    // one active.
    Script script;
    for (int i = 0; i < 3; ++i) {
        script.Shifted('N').Click(24 + i, 2).Then(kAway);
    }
    script.Then("press 9\n").Then("press 9\n").Shifted('X').Then("press 13\n");
    EditorSession middle;
    EXPECT_FALSE(middle.Run(script.End()));
    ASSERT_EQ(middle.State().canvases.size(), 2u);
    EXPECT_EQ(Row(*middle.State().activecanvas->img, 0, 0, 3), std::string("\0\0@", 3));
    EXPECT_EQ(Row(*middle.State().canvases[0]->img, 0, 0, 1), "@");

    // Closing the last of the list makes the first active; answering No keeps it open.
    script.Shifted('X').Then("press 13\n").Shifted('X').Then("press 39\n").Then("press 13\n");
    EditorSession last;
    EXPECT_FALSE(last.Run(script.End()));
    ASSERT_EQ(last.State().canvases.size(), 1u);
    EXPECT_EQ(Row(*last.State().activecanvas->img, 0, 0, 1), "@");

    script.Shifted('X').Then("press 13\n");
    EditorSession only;
    EXPECT_FALSE(only.Run(script.End()));
    EXPECT_TRUE(only.State().canvases.empty());
    EXPECT_EQ(only.State().activecanvas, nullptr);
    EXPECT_EQ(Row(*only.State().listmap, 0, 2, 4), std::string("n/a\0", 4));
}

TEST(Canvases, ResizeAnswersBecomeSizesFromOneTo1024) {
    struct Case {
        std::string width, height;
        int w, h;
    };
    for (const Case& c : {Case{"abc", "-20", 1, 20}, Case{"5000", "0", 1024, 1},
                          Case{"12abc", "$20", 12, 32}, Case{"16", "16", 16, 16}}) {
        Script script;
        script.Shifted('N').Shifted('R').Type(c.width).Type(c.height).Then("press 13\n");
        EditorSession session;
        EXPECT_FALSE(session.Run(script.End()));
        const canvas& resized = *session.State().activecanvas;
        EXPECT_EQ(std::pair(resized.w, resized.h), std::pair(c.w, c.h))
            << c.width << "x" << c.height;
        EXPECT_EQ(resized.img->tmapw, c.w);
        EXPECT_EQ(resized.img->transparentcolor, 255);
        EXPECT_EQ(resized.hassaved, 0);
        const std::string line = "Canvas size: " + std::to_string(c.w) + "x" + std::to_string(c.h);
        EXPECT_EQ(Row(*session.State().screenmap, 24, 1, static_cast<int>(line.size()) + 10),
                  line + std::string(10, ' '));
    }
}

TEST(Canvases, ResizingAScrolledWideCanvasShowsItFromTheLeftAgain) {
    Script script;
    script.Shifted('N').Shifted('R').Type("200").Type("10").Then("press 13\n");
    for (int i = 0; i < 9; ++i) {
        script.Then("press 39\n");
    }
    EditorSession scrolled;
    EXPECT_FALSE(scrolled.Run(script.End()));
    EXPECT_EQ(scrolled.State().activecanvas->viewx, 136); // 200 - 64, not 144

    script.Shifted('R').Type("50").Type("10").Then("press 13\n").Click(24 + 49, 2 + 3);
    EditorSession narrowed;
    EXPECT_FALSE(narrowed.Run(script.End()));
    const canvas& active = *narrowed.State().activecanvas;
    EXPECT_EQ(active.viewx, 0);
    EXPECT_EQ(Row(*active.img, 49, 3, 1), "@");
    EXPECT_EQ(narrowed.State().cursorx, 49);
}

TEST(Canvases, UndoSwapsBackAndForthAndAfterAResizeKeepsTheOldImage) {
    Script script;
    script.Shifted('N').Click(25, 3).Then(kAway).Click(26, 3).Then(kAway).Then("press 90\n");
    EditorSession once;
    EXPECT_FALSE(once.Run(script.End()));
    EXPECT_EQ(Row(*once.State().activecanvas->img, 1, 1, 2), std::string("@\0", 2));

    script.Then("press 90\n");
    EditorSession twice;
    EXPECT_FALSE(twice.Run(script.End()));
    EXPECT_EQ(Row(*twice.State().activecanvas->img, 1, 1, 2), "@@");

    // The undo copy of the last click holds the 16 x 16 image; after a resize to 40 x 30, undo
    // brings it back while the canvas keeps its new size, and drawing beyond it changes nothing.
    script.Shifted('R').Type("40").Type("30").Then("press 13\n").Then("press 90\n");
    script.Click(24 + 30, 2 + 20);
    EditorSession resized;
    EXPECT_FALSE(resized.Run(script.End()));
    const canvas& active = *resized.State().activecanvas;
    EXPECT_EQ(std::pair(active.w, active.h), std::pair(40, 30));
    EXPECT_EQ(active.img->tmapw, 16);
    EXPECT_EQ(resized.State().cursorx, 30);
    EXPECT_EQ(Row(*resized.State().screenmap, 24, 67, 18), "Tile data: 0,0,0  ");
}

} // namespace
} // namespace dm
