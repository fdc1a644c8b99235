#pragma once

#include "picture_art/linear_light.h"

#include "files/color_match.h"

#include <array>
#include <cstdint>
#include <vector>

namespace dm {

// A sum of linear colours, as many pixels of one colour choice add up to.
struct ColorSum {
    int64_t red = 0;
    int64_t green = 0;
    int64_t blue = 0;
};

// Finds, exactly and fast, the palette entry nearest in linear light to the mean of some
// pixels. The colour space is cut into 64 x 64 x 64 boxes; each box knows the few entries that
// can be nearest to any point in it, so a search checks only those.
class PaletteNearest {
  public:
    struct Match {
        uint8_t index = 0;
        // count x |entry|^2 - 2 x (sum . entry): the pixels' squared distance to the entry less
        // the part that no choice of entry changes.
        int64_t cost = 0;
    };

    // Means of up to maxCount pixels are looked up.
    PaletteNearest(const PalettePlanes& palette, int maxCount);

    // The entry among 0-254 (255 means no colour) nearest to sum / count, the lowest index of
    // equally near ones; count from 1 to maxCount.
    Match Nearest(const ColorSum& sum, int count) const;

    const LinearColor& Color(uint8_t index) const { return colors_[index]; }

  private:
    static constexpr int kLevels = 64;
    static constexpr int kEntries = 255;

    int Box(const ColorSum& sum, int count) const;
    void FindCandidates();

    std::array<LinearColor, 256> colors_{};
    std::array<int64_t, 256> norms_{};     // |entry|^2
    std::vector<uint8_t> levelOf_;         // the box level of each linear intensity
    std::vector<double> reciprocals_;      // 1 / count
    std::vector<uint32_t> firstCandidate_; // per box, into candidates_; one more at the end
    std::vector<uint8_t> candidates_;      // ascending within a box
};

} // namespace dm
