#pragma once

#include "picture_art/linear_light.h"

#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <vector>

namespace dm {

// A picture resampled to another size in linear light, a region at a time. Each output pixel is
// the average of the source area it covers, weighted by how much of each source pixel lies in
// it: a true area average when shrinking, nearly a repetition of pixels when enlarging, and an
// exact copy at the same size. Transparent pixels are laid over a background colour first.
class PictureScaler {
  public:
    // The picture must outlive the scaler; width and height are the output's, both positive.
    PictureScaler(const TPixmap& picture, const LinearColor& background, int64_t width,
                  int64_t height);

    // The output pixels in columns left to left + columns - 1 and rows top to top + rows - 1,
    // row by row, into out (resized to fit). Safe to call from several threads at once.
    void Scale(int64_t left, int64_t top, int columns, int rows,
               std::vector<LinearColor>& out) const;

  private:
    struct Wide {
        int64_t red = 0;
        int64_t green = 0;
        int64_t blue = 0;
    };

    // Which source pixels each output column of a region takes, and by how much.
    struct Columns {
        int64_t firstSource = 0;
        std::vector<int64_t> first; // per output column, relative to firstSource
        std::vector<int64_t> last;
        std::vector<int64_t> weights; // the columns' weights one after the other
        std::vector<LinearColor> source;
    };

    Columns ColumnsOf(int64_t left, int columns) const;
    void ScaleRow(int sourceRow, Columns& columns, std::vector<Wide>& out) const;

    const TPixmap& picture_;
    LinearColor background_;
    int64_t width_;
    int64_t height_;
};

} // namespace dm
