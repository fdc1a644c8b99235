#pragma once

#include "platform/drawing/frame_list.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dm {

// A rectangle of window pixels: [x, x + width) x [y, y + height).
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelRect&) const = default;
};

// The pixels of a width x height window that drawing the command may change, clipped to the
// window; a little more than it covers where its edges fall between pixels.
PixelRect CommandBounds(const DrawCommand& command, int width, int height);

// The parts of a window that must be drawn again, as a grid of square tiles, so that many small
// changes become a few rectangles and finding a pixel's part costs a division.
class DamageGrid {
  public:
    static constexpr int kTileSize = 16;

    DamageGrid(int width, int height);

    // Marks every tile that a pixel of the rectangle lies in.
    void Mark(const PixelRect& rect);
    void MarkAll();

    bool IsEmpty() const { return marked_ == 0; }
    bool IsFull() const { return marked_ == tiles_.size(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    bool IsMarked(int column, int row) const {
        return tiles_[static_cast<size_t>(row) * static_cast<size_t>(columns_) +
                      static_cast<size_t>(column)] != 0;
    }
    // The pixels of a tile, clipped to the window.
    PixelRect Tile(int column, int row) const;

    // The marked tiles as few rectangles: the runs along each row of tiles, each joined with the
    // runs below it that span the same columns. They do not overlap and stay inside the window.
    std::vector<PixelRect> Rectangles() const;

  private:
    int width_;
    int height_;
    int columns_;
    int rows_;
    std::vector<uint8_t> tiles_;
    size_t marked_ = 0;
};

// Where drawing `after` in place of `before`, each from a black window of width x height, can
// give different pixels: the bounds of the commands changed, put in or taken out, found by
// pairing the commands the two lists have in common in order.
DamageGrid FrameDamage(const FrameList& before, const FrameList& after, int width, int height);

} // namespace dm
