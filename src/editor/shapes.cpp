#include "editor/shapes.h"

#include "platform/drawing/line_walk.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace dm {

namespace {

// A box-drawing set as the glyph for each combination of arms; 0 for none.
using BoxSet = std::array<uint8_t, 16>;

constexpr BoxSet MakeSet(uint8_t horizontal, uint8_t vertical, uint8_t downRight, uint8_t downLeft,
                         uint8_t upRight, uint8_t upLeft, uint8_t upDownRight, uint8_t upDownLeft,
                         uint8_t downLeftRight, uint8_t upLeftRight, uint8_t cross) {
    BoxSet set{};
    set[kArmUp] = set[kArmDown] = set[kArmUp | kArmDown] = vertical;
    set[kArmLeft] = set[kArmRight] = set[kArmLeft | kArmRight] = horizontal;
    set[kArmDown | kArmRight] = downRight;
    set[kArmDown | kArmLeft] = downLeft;
    set[kArmUp | kArmRight] = upRight;
    set[kArmUp | kArmLeft] = upLeft;
    set[kArmUp | kArmDown | kArmRight] = upDownRight;
    set[kArmUp | kArmDown | kArmLeft] = upDownLeft;
    set[kArmDown | kArmLeft | kArmRight] = downLeftRight;
    set[kArmUp | kArmLeft | kArmRight] = upLeftRight;
    set[kArmUp | kArmDown | kArmLeft | kArmRight] = cross;
    return set;
}

constexpr BoxSet kSingleLines = MakeSet(196, 179, 218, 191, 192, 217, 195, 180, 194, 193, 197);
constexpr BoxSet kDoubleLines = MakeSet(205, 186, 201, 187, 200, 188, 204, 185, 203, 202, 206);

const BoxSet* SetOf(uint8_t glyph) {
    for (const BoxSet* set : {&kSingleLines, &kDoubleLines}) {
        if (std::find(set->begin() + 1, set->end(), glyph) != set->end()) {
            return set;
        }
    }
    return nullptr;
}

// The arms a piece of the set shows: both ways along a straight line.
uint8_t ArmsOf(const BoxSet& set, uint8_t glyph) {
    uint8_t arms = 0;
    for (uint8_t each = 1; each < set.size(); ++each) {
        if (set[each] == glyph) {
            arms = each; // the last match is the line with both arms
        }
    }
    return arms;
}

uint8_t ArmTowards(const ShapePiece& from, const ShapePiece& to) {
    const int32_t dx = to.x - from.x;
    const int32_t dy = to.y - from.y;
    if (dy == 0 && dx == 1) {
        return kArmRight;
    }
    if (dy == 0 && dx == -1) {
        return kArmLeft;
    }
    if (dx == 0 && dy == 1) {
        return kArmDown;
    }
    if (dx == 0 && dy == -1) {
        return kArmUp;
    }
    return 0;
}

} // namespace

std::vector<ShapePiece> LinePieces(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    std::vector<ShapePiece> pieces;
    pieces.reserve(static_cast<size_t>(
        std::max(std::llabs(int64_t{x1} - x0), std::llabs(int64_t{y1} - y0)) + 1));
    WalkLine(x0, y0, x1, y1, [&pieces](int32_t x, int32_t y) { pieces.push_back({x, y, 0}); });
    for (size_t i = 1; i < pieces.size(); ++i) {
        pieces[i - 1].arms |= ArmTowards(pieces[i - 1], pieces[i]);
        pieces[i].arms |= ArmTowards(pieces[i], pieces[i - 1]);
    }
    return pieces;
}

std::vector<ShapePiece> BoxPieces(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                                  int32_t height) {
    const int32_t left = std::min(x0, x1), right = std::max(x0, x1);
    const int32_t top = std::min(y0, y1), bottom = std::max(y0, y1);
    std::vector<ShapePiece> pieces;
    for (int32_t y = std::max(top, 0); y <= std::min(bottom, height - 1); ++y) {
        const bool edgeRow = y == top || y == bottom;
        for (int32_t x = std::max(left, 0); x <= std::min(right, width - 1); ++x) {
            const bool sideColumn = x == left || x == right;
            if (!edgeRow && !sideColumn) {
                x = right - 1; // straight on to the right side
                continue;
            }
            uint8_t arms = 0;
            if (edgeRow) {
                arms |= (x > left ? kArmLeft : 0) | (x < right ? kArmRight : 0);
            }
            if (sideColumn) {
                arms |= (y > top ? kArmUp : 0) | (y < bottom ? kArmDown : 0);
            }
            pieces.push_back({x, y, arms});
        }
    }
    return pieces;
}

uint8_t PieceGlyph(uint8_t selected, uint8_t arms, uint8_t existing) {
    const BoxSet* set = SetOf(selected);
    if (!set || arms == 0) {
        return selected;
    }
    const uint8_t joined = SetOf(existing) == set ? ArmsOf(*set, existing) : 0;
    return (*set)[arms | joined];
}

void WriteShape(tilemap& map, const std::vector<ShapePiece>& pieces, uint8_t glyph, uint8_t fg,
                uint8_t bg) {
    for (const ShapePiece& piece : pieces) {
        if (piece.x < 0 || piece.y < 0 || piece.x >= map.tmapw || piece.y >= map.tmaph) {
            continue;
        }
        uint8_t existing = 0, oldFg = 0, oldBg = 0;
        map.GrabTile(piece.x, piece.y, existing, oldFg, oldBg);
        map.SetTile(piece.x, piece.y, PieceGlyph(glyph, piece.arms, existing), fg, bg, 1);
    }
}

} // namespace dm
