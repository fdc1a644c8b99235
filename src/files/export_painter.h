#pragma once

#include "files/palette_planes.h"
#include "model/tilemap.h"
#include "platform/expected.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dm {

// What an exported picture looks like: the glyph sheets named by the tileset path (its
// "_fg.png" sheet is read again; a relative path is taken from resourceFolder, "" for the
// current folder), the glyph size fixed at start-up, and the palette as three planes of 256
// entries (red, green, blue).
struct ExportLook {
    std::string tilesetPath;
    std::string resourceFolder;
    int GlyphWidth = 0;
    int GlyphHeight = 0;
    PalettePlanes palette{};
};

// Paints the rows of a map's exported picture as RGBA8888 pixels: every cell a glyph-sized block,
// sheet pixels of exactly opaque white in the foreground colour, all others in the background;
// colour 255 stays transparent. Rows may be asked for in any order, but a row of cells is read
// from the map only once while its picture rows come one after another.
class ExportPainter {
  public:
    // Loads the glyph sheet. Fails when it cannot be loaded or does not hold 16 x 16 glyphs of
    // the look's size. The map must outlive the painter and keep its size.
    static Expected<std::shared_ptr<ExportPainter>> Create(const tilemap& map,
                                                           const ExportLook& look);

    int64_t Width() const { return int64_t{map_.tmapw} * glyphWidth_; }
    int64_t Height() const { return int64_t{map_.tmaph} * glyphHeight_; }

    // Picture rows firstRow to firstRow + count - 1; row i starts at pixels + i * stride.
    void Paint(uint8_t* pixels, size_t stride, int firstRow, int count);

  private:
    ExportPainter(const tilemap& map, const ExportLook& look, std::vector<uint8_t> masks);
    void LoadCellRow(int y);
    void PaintRow(uint8_t* out, int py) const;

    const tilemap& map_;
    const int glyphWidth_;
    const int glyphHeight_;
    const std::vector<uint8_t> masks_; // per glyph, row by row: 1 for the foreground
    std::array<std::array<uint8_t, 4>, kPaletteEntries> colors_{};
    std::vector<uint8_t> glyphs_, fgs_, bgs_;
    int cellRow_ = -1;
};

} // namespace dm
