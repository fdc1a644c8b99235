#include "drawn_glyphs.h"

#include <array>

namespace dm {
namespace {

// A span of rows or columns, both ends included.
struct Span {
    int lo;
    int hi;
};

// Vertical strokes are two columns wide like the font's stems; horizontal strokes are one row
// high like its bars. A double line's two strokes sit either side of the single line's place.
constexpr Span kSingleColumns{3, 4};
constexpr Span kDoubleColumns[2] = {{1, 2}, {5, 6}};
constexpr Span kSingleRows{7, 7};
constexpr Span kDoubleRows[2] = {{6, 6}, {8, 8}};

enum class Direction { Up, Down, Left, Right };
using enum Direction;

// Which arms leave the cell, and the weight (1 single, 2 double) of its vertical and horizontal
// arms; code page 437 never mixes weights along one axis.
struct BoxShape {
    bool arm[4]; // by Direction
    int vertical;
    int horizontal;

    constexpr bool Leaves(Direction dir) const { return arm[static_cast<int>(dir)]; }
};

constexpr int kFirstBoxCode = 179;

// clang-format off
constexpr std::array<BoxShape, 40> kBoxShapes = {{
    //  up     down   left   right   v  h
    {{true,  true,  false, false}, 1, 0}, // 179 │
    {{true,  true,  true,  false}, 1, 1}, // 180 ┤
    {{true,  true,  true,  false}, 1, 2}, // 181 ╡
    {{true,  true,  true,  false}, 2, 1}, // 182 ╢
    {{false, true,  true,  false}, 2, 1}, // 183 ╖
    {{false, true,  true,  false}, 1, 2}, // 184 ╕
    {{true,  true,  true,  false}, 2, 2}, // 185 ╣
    {{true,  true,  false, false}, 2, 0}, // 186 ║
    {{false, true,  true,  false}, 2, 2}, // 187 ╗
    {{true,  false, true,  false}, 2, 2}, // 188 ╝
    {{true,  false, true,  false}, 2, 1}, // 189 ╜
    {{true,  false, true,  false}, 1, 2}, // 190 ╛
    {{false, true,  true,  false}, 1, 1}, // 191 ┐
    {{true,  false, false, true }, 1, 1}, // 192 └
    {{true,  false, true,  true }, 1, 1}, // 193 ┴
    {{false, true,  true,  true }, 1, 1}, // 194 ┬
    {{true,  true,  false, true }, 1, 1}, // 195 ├
    {{false, false, true,  true }, 0, 1}, // 196 ─
    {{true,  true,  true,  true }, 1, 1}, // 197 ┼
    {{true,  true,  false, true }, 1, 2}, // 198 ╞
    {{true,  true,  false, true }, 2, 1}, // 199 ╟
    {{true,  false, false, true }, 2, 2}, // 200 ╚
    {{false, true,  false, true }, 2, 2}, // 201 ╔
    {{true,  false, true,  true }, 2, 2}, // 202 ╩
    {{false, true,  true,  true }, 2, 2}, // 203 ╦
    {{true,  true,  false, true }, 2, 2}, // 204 ╠
    {{false, false, true,  true }, 0, 2}, // 205 ═
    {{true,  true,  true,  true }, 2, 2}, // 206 ╬
    {{true,  false, true,  true }, 1, 2}, // 207 ╧
    {{true,  false, true,  true }, 2, 1}, // 208 ╨
    {{false, true,  true,  true }, 1, 2}, // 209 ╤
    {{false, true,  true,  true }, 2, 1}, // 210 ╥
    {{true,  false, false, true }, 2, 1}, // 211 ╙
    {{true,  false, false, true }, 1, 2}, // 212 ╘
    {{false, true,  false, true }, 1, 2}, // 213 ╒
    {{false, true,  false, true }, 2, 1}, // 214 ╓
    {{true,  true,  true,  true }, 2, 1}, // 215 ╫
    {{true,  true,  true,  true }, 1, 2}, // 216 ╪
    {{true,  false, true,  false}, 1, 1}, // 217 ┘
    {{false, true,  false, true }, 1, 1}, // 218 ┌
}};
// clang-format on

constexpr Direction Opposite(Direction d) {
    return d == Up ? Down : d == Down ? Up : d == Left ? Right : Left;
}

// Where one stroke of an arm stops: on the middle of the crossing lines, on the nearer of two
// double strokes, or on the farther one (which closes the end of a double line).
enum class Stop { Centre, Near, Far };

Stop StopOfStroke(const BoxShape& shape, Direction dir, int weight, int crossWeight,
                  int strokeSide) {
    const bool vertical = dir == Up || dir == Down;
    const Direction sides[2] = {vertical ? Left : Up, vertical ? Right : Down};
    if (crossWeight != 2) {
        return Stop::Centre;
    }
    if (weight == 1) {
        if (shape.Leaves(Opposite(dir))) {
            return Stop::Centre; // a straight single line crosses the double one
        }
        return shape.Leaves(sides[0]) && shape.Leaves(sides[1]) ? Stop::Near : Stop::Far;
    }
    // A double stroke turns into the crossing double line on its own side, or runs on to close
    // the other line's far stroke when no arm leaves on its side.
    return shape.Leaves(sides[strokeSide]) ? Stop::Near : Stop::Far;
}

// The span of the crossing axis at which a stroke of an arm travelling in dir ends.
Span CrossSpan(Direction dir, int crossWeight, Stop stop) {
    const bool vertical = dir == Up || dir == Down;
    const Span single = vertical ? kSingleRows : kSingleColumns;
    const Span* doubles = vertical ? kDoubleRows : kDoubleColumns;
    if (stop == Stop::Centre || crossWeight == 0) {
        return single;
    }
    const bool fromLowEdge = dir == Up || dir == Left;
    const bool nearIsLow = stop == Stop::Near ? fromLowEdge : !fromLowEdge;
    return doubles[nearIsLow ? 0 : 1];
}

void DrawArm(Glyph& glyph, const BoxShape& shape, Direction dir) {
    const bool vertical = dir == Up || dir == Down;
    const int weight = vertical ? shape.vertical : shape.horizontal;
    const int crossWeight = vertical ? shape.horizontal : shape.vertical;
    const bool fromLowEdge = dir == Up || dir == Left;
    const int edge = vertical ? kGlyphHeight - 1 : kGlyphWidth - 1;
    const int strokes = weight == 2 ? 2 : 1;
    for (int side = 0; side < strokes; ++side) {
        const Span width = weight == 2 ? (vertical ? kDoubleColumns : kDoubleRows)[side]
                                       : (vertical ? kSingleColumns : kSingleRows);
        const Span end =
            CrossSpan(dir, crossWeight, StopOfStroke(shape, dir, weight, crossWeight, side));
        const Span length = fromLowEdge ? Span{0, end.hi} : Span{end.lo, edge};
        if (vertical) {
            glyph.Fill(width.lo, length.lo, width.hi, length.hi);
        } else {
            glyph.Fill(length.lo, width.lo, length.hi, width.hi);
        }
    }
}

Glyph BoxGlyph(const BoxShape& shape) {
    Glyph glyph;
    for (Direction dir : {Up, Down, Left, Right}) {
        if (shape.Leaves(dir)) {
            DrawArm(glyph, shape, dir);
        }
    }
    return glyph;
}

// Shades set every fourth, second or all but every fourth pixel; their patterns repeat every
// 4 columns and 2 rows, which divide the cell, so filled areas tile without seams.
Glyph ShadeGlyph(int code) {
    Glyph glyph;
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < kGlyphWidth; ++x) {
            const bool quarter = x % 4 == (y % 2) * 2;
            const bool half = (x + y) % 2 == 0;
            if ((code == 176 && quarter) || (code == 177 && half) || (code == 178 && !quarter)) {
                glyph.Set(x, y);
            }
        }
    }
    return glyph;
}

Glyph BlockGlyph(int code) {
    constexpr int kLastX = kGlyphWidth - 1;
    constexpr int kLastY = kGlyphHeight - 1;
    constexpr int kHalfX = kGlyphWidth / 2;
    constexpr int kHalfY = kGlyphHeight / 2;
    Glyph glyph;
    switch (code) {
    case 219: // full block
        glyph.Fill(0, 0, kLastX, kLastY);
        break;
    case 220: // lower half
        glyph.Fill(0, kHalfY, kLastX, kLastY);
        break;
    case 221: // left half
        glyph.Fill(0, 0, kHalfX - 1, kLastY);
        break;
    case 222: // right half
        glyph.Fill(kHalfX, 0, kLastX, kLastY);
        break;
    default: // 223, upper half
        glyph.Fill(0, 0, kLastX, kHalfY - 1);
        break;
    }
    return glyph;
}

} // namespace

std::optional<Glyph> DrawnGlyph(int code) {
    if (code >= 176 && code <= 178) {
        return ShadeGlyph(code);
    }
    if (code >= kFirstBoxCode && code < kFirstBoxCode + static_cast<int>(kBoxShapes.size())) {
        return BoxGlyph(kBoxShapes[code - kFirstBoxCode]);
    }
    if (code >= 219 && code <= 223) {
        return BlockGlyph(code);
    }
    return std::nullopt;
}

} // namespace dm
