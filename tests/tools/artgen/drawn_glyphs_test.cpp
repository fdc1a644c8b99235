#include "drawn_glyphs.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

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

std::string Drawn(int code) {
    const auto glyph = DrawnGlyph(code);
    return glyph ? Picture(*glyph) : "none";
}

TEST(DrawnGlyphs, SingleLinesCrossAtTheCentre) {
    EXPECT_EQ(Drawn(197), // ┼
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "########\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n");
    EXPECT_EQ(Drawn(218), // ┌
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "...#####\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n");
}

TEST(DrawnGlyphs, DoubleCornersNestWithoutCrossing) {
    EXPECT_EQ(Drawn(201), // ╔
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              ".#######\n"
              ".##.....\n"
              ".##..###\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n");
    EXPECT_EQ(Drawn(206), // ╬
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              "###..###\n"
              "........\n"
              "###..###\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n");
    EXPECT_EQ(Drawn(202), // ╩
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              "###..###\n"
              "........\n"
              "########\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n");
}

TEST(DrawnGlyphs, SingleLinesStopAtOrCloseDoubleOnes) {
    EXPECT_EQ(Drawn(209), // ╤: stops at the nearer double stroke
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "########\n"
              "........\n"
              "########\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n");
    EXPECT_EQ(Drawn(184), // ╕: reaches the farther stroke to close the corner
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "#####...\n"
              "...##...\n"
              "#####...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n"
              "...##...\n");
    EXPECT_EQ(Drawn(215), // ╫: a straight single line crosses between the doubles
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              "########\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n");
    EXPECT_EQ(Drawn(183), // ╖: the single line caps both strokes
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n"
              "#######.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n"
              ".##..##.\n");
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
