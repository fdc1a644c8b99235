#pragma once

#include "picture_art/glyph_masks.h"
#include "picture_art/linear_light.h"
#include "picture_art/palette_nearest.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dm {

// The glyph and colours chosen for one cell.
struct CellChoice {
    uint8_t glyph = 0;
    uint8_t fg = 0;
    uint8_t bg = 0;
    // The squared difference between the cell's pixels and the cell rendered, summed over its
    // pixels and channels, in linear light.
    int64_t error = 0;
};

// Chooses for a cell's pixels the glyph and the two palette colours that render closest to
// them. For a given glyph the best colours follow in closed form: the foreground is the entry
// nearest the mean of the pixels the glyph covers, the background the one nearest the mean of
// the rest. So every glyph is tried for every cell, skipping those whose error with ideal
// colours already exceeds the best found. Sums are kept in integers, so the choice is exact: a
// cell rendered from the tileset and palette comes back with an error of 0.
class GlyphSearch {
  public:
    // Chooses among `codes`, at least one; glyphs with identical masks are tried once, as the
    // lowest code.
    GlyphSearch(const GlyphMasks& masks, const std::vector<uint8_t>& codes,
                const PalettePlanes& palette);

    // Scratch memory of one searching thread.
    class Workspace {
        friend class GlyphSearch;
        struct Sum {
            std::array<int32_t, 4> channels{}; // red, green, blue, unused: adds as one vector
        };
        std::vector<Sum> chunkSums_;
        std::vector<Sum> coveredSums_;
        std::vector<double> bounds_;
    };
    Workspace MakeWorkspace() const;

    // The best choice for a cell's pixels, row by row. When the two colours come out equal,
    // the glyph is the set's blank one (the space where it is blank), with both colours that
    // colour, as an editor of the map would expect.
    CellChoice Best(const LinearColor* pixels, Workspace& workspace) const;

    const PaletteNearest& Palette() const { return nearest_; }

  private:
    struct Candidate {
        uint8_t code = 0;
        int covered = 0; // foreground pixels
    };
    struct Scored {
        int64_t score = 0;
        uint8_t fg = 0;
        uint8_t bg = 0;
    };

    void SumChunks(const LinearColor* pixels, Workspace& workspace) const;
    Scored Evaluate(size_t candidate, const ColorSum& covered, const ColorSum& total) const;

    int width_ = 0;
    int height_ = 0;
    int chunksPerRow_ = 0;
    int chunkCount_ = 0;
    std::vector<Candidate> candidates_;
    std::vector<uint8_t> chunkPatterns_; // per candidate, each chunk's 4-pixel mask
    std::vector<double> reciprocals_;    // 1 / count
    std::optional<uint8_t> blank_;
    PaletteNearest nearest_;
};

} // namespace dm
