#include "picture_art/palette_nearest.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dm {
namespace {

// The boxes are found coarse to fine, each level of fineness halving the last one's boxes
// along every channel; an entry that can be nearest somewhere in a box can be so in the box
// that holds it, so each box looks only at its parent's candidates.
constexpr int kCoarsestLevels = 4;

struct Span {
    int64_t low = 0;
    int64_t high = 0;
};

using Box = std::array<Span, 3>;

// The box level of a linear intensity among `levels` levels. Levels follow the square root of
// the intensity, close to how a picture's bytes spread, so that boxes hold few entries in the
// dark as in the light; a level of `levels` is the level of 2 x `levels` halved.
int LevelOf(int value, int levels) {
    return std::min(levels - 1, static_cast<int>(levels * std::sqrt(value / (kLinearMax + 1.0))));
}

// The intensities of each level. A mean is placed by a rounded quotient that may miss its
// level by one either way, so each level reaches one further down and two further up.
std::vector<Span> LevelSpans(int levels) {
    std::vector<Span> spans(static_cast<size_t>(levels), Span{kLinearMax, 0});
    for (int value = 0; value <= kLinearMax; ++value) {
        Span& span = spans[static_cast<size_t>(LevelOf(value, levels))];
        span.low = std::min<int64_t>(span.low, value);
        span.high = std::max<int64_t>(span.high, value);
    }
    for (Span& span : spans) {
        span.low -= 1;
        span.high += 2;
    }
    return spans;
}

int64_t Square(int64_t value) {
    return value * value;
}

std::array<int64_t, 3> Channels(const LinearColor& color) {
    return {color.red, color.green, color.blue};
}

// Squared distances from a point to the nearest and the farthest point of a box.
int64_t NearestInBox(const LinearColor& color, const Box& box) {
    const std::array<int64_t, 3> p = Channels(color);
    int64_t total = 0;
    for (int c = 0; c < 3; ++c) {
        total += Square(std::max<int64_t>({0, box[c].low - p[c], p[c] - box[c].high}));
    }
    return total;
}

int64_t FarthestInBox(const LinearColor& color, const Box& box) {
    const std::array<int64_t, 3> p = Channels(color);
    int64_t total = 0;
    for (int c = 0; c < 3; ++c) {
        total += std::max(Square(p[c] - box[c].low), Square(box[c].high - p[c]));
    }
    return total;
}

// Candidates per box, each box's list ascending, at one fineness.
struct Grid {
    int levels = 0;
    std::vector<uint32_t> first; // per box, into entries; one more at the end
    std::vector<uint8_t> entries;
};

// No point of the box lies farther than the reach of the best of the offered entries, so an
// entry whose nearest point of the box is farther is never the nearest.
void AddCandidates(const Box& box, const uint8_t* offered, size_t count,
                   const std::array<LinearColor, 256>& colors, Grid& grid) {
    int64_t reach = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < count; ++i) {
        reach = std::min(reach, FarthestInBox(colors[offered[i]], box));
    }
    grid.first.push_back(static_cast<uint32_t>(grid.entries.size()));
    for (size_t i = 0; i < count; ++i) {
        if (NearestInBox(colors[offered[i]], box) <= reach) {
            grid.entries.push_back(offered[i]);
        }
    }
}

// The grid twice as fine as parent along each channel (or the coarsest, from every entry).
Grid Refine(const Grid* parent, int levels, const std::array<LinearColor, 256>& colors,
            int entryCount) {
    std::vector<uint8_t> everyEntry(static_cast<size_t>(entryCount));
    for (int i = 0; i < entryCount; ++i) {
        everyEntry[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    const std::vector<Span> spans = LevelSpans(levels);
    Grid grid;
    grid.levels = levels;
    grid.first.reserve(static_cast<size_t>(levels) * levels * levels + 1);
    for (int r = 0; r < levels; ++r) {
        for (int g = 0; g < levels; ++g) {
            for (int b = 0; b < levels; ++b) {
                const Box box = {spans[r], spans[g], spans[b]};
                if (!parent) {
                    AddCandidates(box, everyEntry.data(), everyEntry.size(), colors, grid);
                    continue;
                }
                const int up = parent->levels;
                const int parentBox = (r / 2 * up + g / 2) * up + b / 2;
                const uint32_t from = parent->first[parentBox];
                AddCandidates(box, parent->entries.data() + from,
                              parent->first[parentBox + 1] - from, colors, grid);
            }
        }
    }
    grid.first.push_back(static_cast<uint32_t>(grid.entries.size()));
    return grid;
}

} // namespace

PaletteNearest::PaletteNearest(const PalettePlanes& palette, int maxCount)
    : levelOf_(kLinearMax + 1), reciprocals_(static_cast<size_t>(maxCount) + 1) {
    for (int i = 0; i < kPaletteEntries; ++i) {
        const Rgb color = PaletteColor(palette, static_cast<uint8_t>(i));
        colors_[i] = {LinearFromByte(color.red), LinearFromByte(color.green),
                      LinearFromByte(color.blue)};
        norms_[i] = Square(colors_[i].red) + Square(colors_[i].green) + Square(colors_[i].blue);
    }
    for (int count = 1; count <= maxCount; ++count) {
        reciprocals_[count] = 1.0 / count;
    }
    for (int value = 0; value <= kLinearMax; ++value) {
        levelOf_[value] = static_cast<uint8_t>(LevelOf(value, kLevels));
    }
    Grid grid = Refine(nullptr, kCoarsestLevels, colors_, kEntries);
    while (grid.levels < kLevels) {
        grid = Refine(&grid, grid.levels * 2, colors_, kEntries);
    }
    firstCandidate_ = std::move(grid.first);
    candidates_ = std::move(grid.entries);
}

int PaletteNearest::Box(const ColorSum& sum, int count) const {
    const double reciprocal = reciprocals_[count];
    const auto level = [&](int64_t channel) {
        const auto mean = static_cast<int64_t>(static_cast<double>(channel) * reciprocal);
        return levelOf_[static_cast<size_t>(std::clamp<int64_t>(mean, 0, kLinearMax))];
    };
    return (level(sum.red) * kLevels + level(sum.green)) * kLevels + level(sum.blue);
}

PaletteNearest::Match PaletteNearest::Nearest(const ColorSum& sum, int count) const {
    const int box = Box(sum, count);
    Match best{0, std::numeric_limits<int64_t>::max()};
    for (uint32_t i = firstCandidate_[box]; i < firstCandidate_[box + 1]; ++i) {
        const uint8_t index = candidates_[i];
        const LinearColor& entry = colors_[index];
        const int64_t cost =
            count * norms_[index] -
            2 * (sum.red * entry.red + sum.green * entry.green + sum.blue * entry.blue);
        if (cost < best.cost) {
            best = {index, cost};
        }
    }
    return best;
}

} // namespace dm
