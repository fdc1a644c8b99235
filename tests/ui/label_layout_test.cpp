#include "ui/label_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

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
