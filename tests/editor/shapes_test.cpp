#include "editor/shapes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dm {
namespace {

constexpr uint8_t U = kArmUp, D = kArmDown, L = kArmLeft, R = kArmRight;

// Pieces as "x,y" and their arms' letters (? for any other bit), spaced: "0,0R 1,0L".
std::string Text(const std::vector<ShapePiece>& pieces) {
    std::string text;
    for (const ShapePiece& piece : pieces) {
        text += (text.empty() ? "" : " ") + std::to_string(piece.x) + "," + std::to_string(piece.y);
        for (const auto& [arm, letter] : {std::pair(U, 'U'), {D, 'D'}, {L, 'L'}, {R, 'R'}}) {
            text += (piece.arms & arm) != 0 ? std::string(1, letter) : "";
        }
        text += (piece.arms & ~(U | D | L | R)) != 0 ? "?" : "";
    }
    return text;
}

TEST(Shapes, LinesTakeOneCellPerStepOfTheLongerAxisAndReachOnlyAcrossSides) {
    struct Case {
        int x0, y0, x1, y1;
        const char* pieces;
    };
    const Case cases[] = {
        {2, 3, 2, 3, "2,3"},
        {0, 0, 3, 0, "0,0R 1,0LR 2,0LR 3,0L"},
        {3, 0, 1, 0, "3,0L 2,0LR 1,0R"},
        {1, 2, 1, 0, "1,2U 1,1UD 1,0D"},
        {0, 0, 2, 2, "0,0 1,1 2,2"},
        // Shallow: runs along x joined by diagonal steps; steep: runs along y.
        {0, 0, 5, 2, "0,0R 1,0L 2,1R 3,1L 4,2R 5,2L"},
        {0, 0, 1, 3, "0,0D 0,1U 1,2D 1,3U"},
        {4, 0, 0, 1, "4,0L 3,0R 2,1L 1,1LR 0,1R"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(LinePieces(c.x0, c.y0, c.x1, c.y1)), c.pieces)
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
    // A long line ends exactly at its end cell, one cell for each column, never two in one.
    const std::vector<ShapePiece> longLine = LinePieces(-500, 7, 1500, -300);
    ASSERT_EQ(longLine.size(), 2001u);
    EXPECT_EQ(std::pair(longLine.back().x, longLine.back().y), std::pair(1500, -300));
    for (size_t i = 1; i < longLine.size(); ++i) {
        ASSERT_EQ(longLine[i].x - longLine[i - 1].x, 1) << i;
        ASSERT_LE(longLine[i - 1].y - longLine[i].y, 1) << i;
    }
}

TEST(Shapes, BoxOutlinesReachAlongTheirEdgesAndStopAtTheMapsEdges) {
    struct Case {
        int x0, y0, x1, y1, width, height;
        const char* pieces;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 9, 9, "1,1"},
        {2, 1, 0, 1, 9, 9, "0,1R 1,1LR 2,1L"},
        {0, 0, 1, 1, 9, 9, "0,0DR 1,0DL 0,1UR 1,1UL"},
        // Two columns apart: the sides do not reach each other.
        {0, 0, 1, 2, 9, 9, "0,0DR 1,0DL 0,1UD 1,1UD 0,2UR 1,2UL"},
        {0, 0, 3, 2, 9, 9, "0,0DR 1,0LR 2,0LR 3,0DL 0,1UD 3,1UD 0,2UR 1,2LR 2,2LR 3,2UL"},
        // Reaching past the map on every side: only the cells inside are left.
        {-1, -1, 2, 2, 2, 2, ""},
        {-1, -1, 1, 1, 3, 3, "1,0UD 0,1LR 1,1UL"},
        {-1, 0, 1, 1, 2, 2, "0,0LR 1,0DL 0,1LR 1,1UL"},
        {5, 5, 7, 7, 4, 4, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(BoxPieces(c.x0, c.y0, c.x1, c.y1, c.width, c.height)), c.pieces)
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

TEST(Shapes, BoxPiecesJoinTheLinesOfTheirOwnSetOnly) {
    struct Case {
        int selected, arms, existing, glyph;
    };
    const Case cases[] = {
        // Single lines: the piece for the arms, joined with a single line already there.
        {196, L | R, 0, 196},
        {196, U | D, 0, 179},
        {196, L, 0, 196},
        {179, R, 0, 196},
        {218, D | R, 0, 218},
        {196, D | L, 65, 191},
        {196, U | R, 0, 192},
        {196, U | L, 0, 217},
        {196, L | R, 179, 197},
        {196, L, 179, 180},
        {196, R, 179, 195},
        {179, D, 196, 194},
        {179, U, 196, 193},
        {196, D | R, 217, 197},
        {196, L | R, 196, 196},
        {196, R, 218, 218},
        // Double lines the same way; lines of the other set are drawn over, not joined.
        {205, L | R, 186, 206},
        {205, L, 186, 185},
        {205, R, 186, 204},
        {186, D, 205, 203},
        {186, U, 205, 202},
        {201, D | R, 0, 201},
        {201, D | L, 0, 187},
        {201, U | R, 0, 200},
        {201, U | L, 0, 188},
        {205, L | R, 179, 205},
        {196, U | D, 186, 179},
        // A single cell is the glyph selected; other glyphs are never turned into lines.
        {197, 0, 196, 197},
        {65, L | R, 179, 65},
        {176, U, 186, 176},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PieceGlyph(static_cast<uint8_t>(c.selected), static_cast<uint8_t>(c.arms),
                             static_cast<uint8_t>(c.existing)),
                  c.glyph)
            << c.selected << " with arms " << c.arms << " over " << c.existing;
    }
}

TEST(Shapes, WrittenShapesAreForcedAndLeaveCellsOutsideTheMap) {
    auto map = tilemap::Create(3, 2);
    map->Fill('.', 1, 2, 1);
    map->SetTile(1, 1, 179, 3, 4, 1);
    WriteShape(*map, LinePieces(-2, 1, 4, 1), 196, 255, 7);
    std::vector<std::string> rows;
    for (int y = 0; y < 2; ++y) {
        std::string row;
        for (int x = 0; x < 3; ++x) {
            uint8_t glyph = 0, fg = 0, bg = 0;
            map->GrabTile(x, y, glyph, fg, bg);
            row +=
                std::to_string(glyph) + "/" + std::to_string(fg) + "/" + std::to_string(bg) + " ";
        }
        rows.push_back(row);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"46/1/2 46/1/2 46/1/2 ",
                                              "196/255/7 197/255/7 196/255/7 "}));
}

} // namespace
} // namespace dm
