#pragma once

#include "platform/expected.h"
#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

// Which pixels of each of the 256 glyphs take the cell's foreground colour, as the export
// renders them: those where the foreground sheet is exactly opaque white.
class GlyphMasks {
  public:
    GlyphMasks() = default;
    // Reads the glyph blocks of width x height pixels, 16 to a row, from the sheet, which must
    // hold all of them.
    GlyphMasks(const TPixmap& sheet, int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int PixelCount() const { return width_ * height_; }
    // The glyph's pixels row by row: 1 for foreground, 0 for background.
    const uint8_t* Glyph(int code) const {
        return &on_[static_cast<size_t>(code) * static_cast<size_t>(PixelCount())];
    }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> on_;
};

// Loads the foreground sheet at path and reads the masks of glyphs of the given size from it.
// Fails when the sheet cannot be loaded or is too small for 16 x 16 such glyphs.
Expected<GlyphMasks> LoadGlyphMasks(const std::string& sheetPath, int glyphWidth, int glyphHeight);

} // namespace dm
