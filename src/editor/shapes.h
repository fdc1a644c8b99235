#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <vector>

namespace dm {

// The directions in which a box-drawing piece reaches out of its cell, as bits.
inline constexpr uint8_t kArmUp = 1;
inline constexpr uint8_t kArmDown = 2;
inline constexpr uint8_t kArmLeft = 4;
inline constexpr uint8_t kArmRight = 8;

// One cell of a shape and the arms its piece reaches out with: towards the cells before and after
// it along the shape.
struct ShapePiece {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t arms = 0;

    bool operator==(const ShapePiece&) const = default;
};

// A straight line from (x0, y0) to (x1, y1), both ends included: one cell for each step along the
// longer axis, the other coordinate the nearest to the ideal line (Bresenham). Only consecutive
// cells that share a side reach each other.
std::vector<ShapePiece> LinePieces(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The outline of the rectangle with opposite corners (x0, y0) and (x1, y1), row by row, limited to
// the cells of a width x height map: the pieces along its top and bottom reach left and right,
// those along its sides up and down, so a corner reaches along both of its edges.
std::vector<ShapePiece> BoxPieces(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width,
                                  int32_t height);

// The glyph a piece gets in a cell that already shows `existing`, the user having selected
// `selected`. When `selected` is one of code page 437's single or double box-drawing lines, the
// piece is that set's line, corner, tee or cross for its arms together with those of `existing`
// when that belongs to the same set; a piece with one arm is the set's straight line along it.
// A piece without arms, or any piece of another selected glyph, is `selected` itself.
uint8_t PieceGlyph(uint8_t selected, uint8_t arms, uint8_t existing);

// Writes the pieces into map in the selected glyph (by PieceGlyph over what each cell shows) and
// colours, forced, so 255 is written as it is. Cells outside the map are left out.
void WriteShape(tilemap& map, const std::vector<ShapePiece>& pieces, uint8_t glyph, uint8_t fg,
                uint8_t bg);

} // namespace dm
