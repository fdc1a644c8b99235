#include "drawn_glyphs.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace dm {
namespace {

// A glyph as rows of '#' for set and '.' for clear pixels, one line per row.
std::string Picture(const Glyph& glyph) {
    std::string picture;
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < kGlyphWidth; ++x) {
            picture += glyph.Get(x, y) ? '#' : '.';
        }
        picture += '\n';
    }
    return picture;
}

struct DrawnCase {
    int code;
    std::array<const char*, kGlyphHeight> rows;
};

TEST(DrawnGlyphs, LinesMeetAtTheCellEdgesAndDoubleStrokesNest) {
    const DrawnCase cases[] = {
        // ┼
        {197,
         {"...##...", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...",
          "########", "...##...", "...##...", "...##...", "...##...", "...##...", "...##..."}},
        // ┌
        {218,
         {"........", "........", "........", "........", "........", "........", "........",
          "...#####", "...##...", "...##...", "...##...", "...##...", "...##...", "...##..."}},
        // ╔
        {201,
         {"........", "........", "........", "........", "........", "........", ".#######",
          ".##.....", ".##..###", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##."}},
        // ╬
        {206,
         {".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", "###..###",
          "........", "###..###", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##."}},
        // ╩
        {202,
         {".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", "###..###",
          "........", "########", "........", "........", "........", "........", "........"}},
        // ╤: stops at the nearer double stroke
        {209,
         {"........", "........", "........", "........", "........", "........", "########",
          "........", "########", "...##...", "...##...", "...##...", "...##...", "...##..."}},
        // ╕: reaches the farther stroke to close the corner
        {184,
         {"........", "........", "........", "........", "........", "........", "#####...",
          "...##...", "#####...", "...##...", "...##...", "...##...", "...##...", "...##..."}},
        // ╫: a straight single line crosses between the doubles
        {215,
         {".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.",
          "########", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##."}},
        // ╖: the single line caps both strokes
        {183,
         {"........", "........", "........", "........", "........", "........", "........",
          "#######.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##."}},
    };
    for (const DrawnCase& c : cases) {
        std::string expected;
        for (const char* row : c.rows) {
            expected += std::string(row) + "\n";
        }
        const auto glyph = DrawnGlyph(c.code);
        ASSERT_TRUE(glyph) << "code " << c.code;
        EXPECT_EQ(Picture(*glyph), expected) << "code " << c.code;
    }
}

TEST(DrawnGlyphs, OnlyShadesLinesAndBlocksAreDrawn) {
    for (int code = 0; code < kGlyphCount; ++code) {
        EXPECT_EQ(DrawnGlyph(code).has_value(), code >= 176 && code <= 223) << "code " << code;
    }
    EXPECT_FALSE(DrawnGlyph(-1));
    EXPECT_FALSE(DrawnGlyph(256));
}

} // namespace
} // namespace dm
