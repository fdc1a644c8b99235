#pragma once

#include "model/tparticle.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string_view>
#include <vector>

namespace dm {

// A grid of cells, each a glyph, a foreground and a background colour index. The cells lie in
// `tmap` as three planes of tmapw * tmaph bytes (glyphs, foregrounds, backgrounds), each in row
// order. In every cell write the value 255 leaves a component unchanged unless the write is
// forced (force != 0).
class tilemap {
  public:
    int32_t drawtime = 0;
    int32_t tmapw = 0;
    int32_t tmaph = 0;
    std::vector<uint8_t> tmap;
    std::list<std::shared_ptr<tparticle>> tplist;
    int32_t transparentcolor = 9;

    // A w x h map of zero cells; a negative size counts as 0.
    static std::shared_ptr<tilemap> Create(int32_t w, int32_t h);

    // Copies the w x h cells at (sx, sy) of src to (dx, dy) of dst. Source cells outside src
    // repeat the last cell read inside src (0, 0, 0 before the first). Returns 0.
    static int32_t CopyRect(const tilemap& src, int32_t sx, int32_t sy, int32_t w, int32_t h,
                            tilemap& dst, int32_t dx, int32_t dy, int32_t force);

    // An independent map with the same cells, drawtime, transparentcolor and particles.
    std::shared_ptr<tilemap> Copy() const;

    int32_t InsertMapImage(const tilemap& src, int32_t x, int32_t y, int32_t force);
    // Glyphs 0-255 in a 16 x 16 block, colours kept. Returns 0.
    int32_t InsertCharTable(int32_t x, int32_t y);
    // Backgrounds 0-255 in a 16 x 16 block with glyph 0, foreground kept. Returns 0.
    int32_t InsertColorTable(int32_t x, int32_t y);

    // Whole-map writes storing the low 8 bits of each argument; only exactly 255 keeps a
    // component. Return 0 when nothing is to be done, else 1.
    int32_t Fill(int32_t glyph, int32_t fg, int32_t bg, int32_t force);
    int32_t FillColor(int32_t fg, int32_t bg, int32_t force);

    // Returns 1 when (x, y) lies inside the map, else 0 and writes nothing.
    int32_t SetTile(int32_t x, int32_t y, uint8_t glyph, uint8_t fg, uint8_t bg, int32_t force);
    int32_t SetTiles(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t glyph, uint8_t fg,
                     uint8_t bg, int32_t force);
    int32_t SetColors(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t fg, uint8_t bg,
                      int32_t force);

    // Leave the out-arguments untouched for a cell outside the map. Return 0.
    int32_t GrabTile(int32_t x, int32_t y, uint8_t& glyph, uint8_t& fg, uint8_t& bg) const;
    int32_t GrabTileInt(int32_t x, int32_t y, int32_t& glyph, int32_t& fg, int32_t& bg) const;

    // Writes text from (x, y). With colorcodes, "@" toggles a code whose digits set the
    // foreground; with linebreaks, character 255 starts the next row at column x. Stops at the
    // first character whose cell is outside the map. Returns 0.
    int32_t InsertString(int32_t x, int32_t y, std::string_view text, uint8_t fg, uint8_t bg,
                         int32_t colorcodes, int32_t force, int32_t linebreaks);

    // The checksum stored in map files.
    int32_t GetChecksum() const;

    std::shared_ptr<tparticle> AddParticle(float x, float y, float xv, float yv, int32_t blinkrate,
                                           int32_t life, uint8_t glyph, uint8_t color,
                                           uint8_t bgcolor);
    int32_t ClearParticles();

    // Paints into target the region of cells connected to (x, y) of this map that carry the same
    // tile as (x, y). diagonal >= 1 spreads eight-way, 0 four-way; bleed != 0 also paints every
    // considered neighbour of a region cell. Returns the step count.
    int32_t FloodFill(tilemap& target, int32_t x, int32_t y, uint8_t glyph, uint8_t fg, uint8_t bg,
                      int32_t diagonal, int32_t bleed, int32_t force) const;

  private:
    bool Inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < tmapw && y < tmaph; }
    size_t PlaneSize() const { return static_cast<size_t>(tmapw) * static_cast<size_t>(tmaph); }
    // Index into the glyph plane; add PlaneSize() once or twice for the colour planes.
    size_t CellIndex(int64_t x, int64_t y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(tmapw) + static_cast<size_t>(x);
    }
    // Sets every byte of one plane (0 glyphs, 1 foregrounds, 2 backgrounds) unless it is kept.
    void FillPlane(size_t plane, int32_t value, int32_t force);
};

} // namespace dm
