#include "editor_session.h"

#include <gtest/gtest.h>

#include <tuple>

namespace dm {
namespace {

using test::EditorSession;
using test::OverCanvas;
using test::Script;
using namespace std::string_literals;

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
        EditorSession session;
        EXPECT_FALSE(session.Run(script.End(), path));
        const EditorState& state = session.State();
        const tilemap& image = *state.activecanvas->img;
        EXPECT_EQ(test::Row(image, 2, 4, 6) + "|" + test::Row(image, 2, 5, 6),
                  c.first + "|" + c.second);
        EXPECT_EQ(state.activecanvas->hassaved, c.hassaved) << c.keys;
        uint8_t glyph = 0, fg = 0, bg = 0, shownFg = 0;
        state.screenmap->GrabTile(24, 0, glyph, shownFg, bg);
        EXPECT_EQ(shownFg, 9) << "message hidden";
        image.GrabTile(2, 4, glyph, fg, bg);
        EXPECT_EQ(bg, glyph == 0 ? 0 : 9) << "written in the selected colours";
    }
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
    EditorSession typed;
    EXPECT_FALSE(typed.Run(typing.End(), path));
    ASSERT_EQ(typed.State().activecanvas->viewx, 16);
    EXPECT_EQ(typed.Shown(28, 5, 1), "H");
    EXPECT_NE(typed.Shown(44, 5, 1), "H");
    const std::vector<Stroke> marker = StrokesDrawn(typed.Driver().PresentedFrame());
    ASSERT_EQ(marker.size(), 1u);
    const auto [red, green, blue, x0, y0, x1, y1] = marker[0]; // in whatever colour was set
    EXPECT_EQ(std::tuple(x0, y0, x1, y1), std::tuple(224.0f, 84.0f, 233.0f, 85.0f));

    // A drag anchored there with the mouse now at screen cell (31, 7), pixel (248, 98).
    Script dragging;
    dragging.Then("press 39\n").Then("key down 160\n" + OverCanvas(20, 3, 16) + "button down 1\n");
    dragging.Then(test::MoveToCell(31, 7));
    EditorSession dragged;
    EXPECT_FALSE(dragged.Run(dragging.End(), path));
    EXPECT_EQ(dragged.State().selx, 20);
    EXPECT_EQ(StrokesDrawn(dragged.Driver().PresentedFrame()),
              (std::vector<Stroke>{{0, 192, 0, 224, 70, 248, 98},
                                   {0, 96, 0, 224, 98, 249, 99},
                                   {0, 96, 0, 224, 70, 249, 71},
                                   {0, 96, 0, 248, 70, 249, 99},
                                   {0, 96, 0, 224, 70, 225, 99}}));
}

} // namespace
} // namespace dm
