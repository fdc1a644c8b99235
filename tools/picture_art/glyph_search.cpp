#include "picture_art/glyph_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace dm {
namespace {

// Pixels of a row are summed in chunks of four: the sums of all 16 subsets of a chunk are
// made once per cell, and a glyph's covered sum is then one addition per chunk.
constexpr int kChunkWidth = 4;
constexpr int kChunkSubsets = 1 << kChunkWidth;
constexpr uint8_t kSpace = 32;

ColorSum ToColorSum(const std::array<int32_t, 4>& channels) {
    return {channels[0], channels[1], channels[2]};
}

double SquaredNorm(const ColorSum& sum) {
    const auto red = static_cast<double>(sum.red);
    const auto green = static_cast<double>(sum.green);
    const auto blue = static_cast<double>(sum.blue);
    return red * red + green * green + blue * blue;
}

ColorSum Minus(const ColorSum& a, const ColorSum& b) {
    return {a.red - b.red, a.green - b.green, a.blue - b.blue};
}

} // namespace

GlyphSearch::GlyphSearch(const GlyphMasks& masks, const std::vector<uint8_t>& codes,
                         const PalettePlanes& palette)
    : width_(masks.Width()), height_(masks.Height()),
      chunksPerRow_((masks.Width() + kChunkWidth - 1) / kChunkWidth),
      chunkCount_(chunksPerRow_ * masks.Height()),
      reciprocals_(static_cast<size_t>(masks.PixelCount()) + 1),
      nearest_(palette, masks.PixelCount()) {
    const int pixelCount = masks.PixelCount();
    for (int count = 1; count <= pixelCount; ++count) {
        reciprocals_[count] = 1.0 / count;
    }
    std::vector<uint8_t> tried;
    for (const uint8_t code : codes) {
        const uint8_t* mask = masks.Glyph(code);
        const int covered = static_cast<int>(std::count(mask, mask + pixelCount, 1));
        if (covered == 0 && (!blank_ || code == kSpace)) {
            blank_ = code;
        }
        const bool seen = std::any_of(tried.begin(), tried.end(), [&](uint8_t other) {
            return std::memcmp(masks.Glyph(other), mask, static_cast<size_t>(pixelCount)) == 0;
        });
        if (seen) {
            continue;
        }
        tried.push_back(code);
        candidates_.push_back({code, covered});
        for (int y = 0; y < height_; ++y) {
            for (int chunk = 0; chunk < chunksPerRow_; ++chunk) {
                uint8_t pattern = 0;
                for (int bit = 0; bit < kChunkWidth && chunk * kChunkWidth + bit < width_; ++bit) {
                    pattern |= mask[y * width_ + chunk * kChunkWidth + bit] << bit;
                }
                chunkPatterns_.push_back(pattern);
            }
        }
    }
}

GlyphSearch::Workspace GlyphSearch::MakeWorkspace() const {
    Workspace workspace;
    workspace.chunkSums_.resize(static_cast<size_t>(chunkCount_) * kChunkSubsets);
    workspace.coveredSums_.resize(candidates_.size());
    workspace.bounds_.resize(candidates_.size());
    return workspace;
}

void GlyphSearch::SumChunks(const LinearColor* pixels, Workspace& workspace) const {
    Workspace::Sum* sums = workspace.chunkSums_.data();
    for (int y = 0; y < height_; ++y) {
        for (int chunk = 0; chunk < chunksPerRow_; ++chunk, sums += kChunkSubsets) {
            const LinearColor* first = pixels + y * width_ + chunk * kChunkWidth;
            const int bits = std::min(kChunkWidth, width_ - chunk * kChunkWidth);
            sums[0] = {};
            for (int subset = 1; subset < (1 << bits); ++subset) {
                const LinearColor& added = first[std::countr_zero(static_cast<unsigned>(subset))];
                const Workspace::Sum& rest = sums[subset & (subset - 1)];
                sums[subset].channels = {rest.channels[0] + added.red,
                                         rest.channels[1] + added.green,
                                         rest.channels[2] + added.blue, 0};
            }
        }
    }
}

GlyphSearch::Scored GlyphSearch::Evaluate(size_t candidate, const ColorSum& covered,
                                          const ColorSum& total) const {
    const int pixelCount = width_ * height_;
    const int foreground = candidates_[candidate].covered;
    if (foreground == 0 || foreground == pixelCount) {
        const PaletteNearest::Match only = nearest_.Nearest(total, pixelCount);
        return {only.cost, only.index, only.index};
    }
    const PaletteNearest::Match fg = nearest_.Nearest(covered, foreground);
    const PaletteNearest::Match bg =
        nearest_.Nearest(Minus(total, covered), pixelCount - foreground);
    return {fg.cost + bg.cost, fg.index, bg.index};
}

CellChoice GlyphSearch::Best(const LinearColor* pixels, Workspace& workspace) const {
    const int pixelCount = width_ * height_;
    ColorSum total;
    int64_t squares = 0;
    for (int i = 0; i < pixelCount; ++i) {
        const LinearColor& p = pixels[i];
        total.red += p.red;
        total.green += p.green;
        total.blue += p.blue;
        squares += int64_t{p.red} * p.red + int64_t{p.green} * p.green + int64_t{p.blue} * p.blue;
    }
    // In a cell of one colour every glyph ties, with that colour's nearest entry on both sides.
    if (std::all_of(pixels, pixels + pixelCount,
                    [&pixels](const LinearColor& p) { return p == pixels[0]; })) {
        const PaletteNearest::Match only = nearest_.Nearest(total, pixelCount);
        return {blank_.value_or(candidates_.front().code), only.index, only.index,
                squares + only.cost};
    }
    SumChunks(pixels, workspace);

    // With ideal colours (the means themselves) a glyph would cost -(|covered|^2 / n +
    // |rest|^2 / (N - n)); no palette entry does better, so this bounds what the glyph can
    // reach. The smallest bound marks the glyph most likely to win, tried first.
    size_t mostPromising = 0;
    const uint8_t* patterns = chunkPatterns_.data();
    for (size_t c = 0; c < candidates_.size(); ++c, patterns += chunkCount_) {
        Workspace::Sum sum;
        const Workspace::Sum* chunkSums = workspace.chunkSums_.data();
        for (int chunk = 0; chunk < chunkCount_; ++chunk, chunkSums += kChunkSubsets) {
            const Workspace::Sum& part = chunkSums[patterns[chunk]];
            for (int channel = 0; channel < 4; ++channel) {
                sum.channels[channel] += part.channels[channel];
            }
        }
        workspace.coveredSums_[c] = sum;
        const ColorSum covered = ToColorSum(sum.channels);
        const int foreground = candidates_[c].covered;
        workspace.bounds_[c] =
            -(SquaredNorm(covered) * reciprocals_[foreground] +
              SquaredNorm(Minus(total, covered)) * reciprocals_[pixelCount - foreground]);
        if (workspace.bounds_[c] < workspace.bounds_[mostPromising]) {
            mostPromising = c;
        }
    }

    const auto covered = [&](size_t c) { return ToColorSum(workspace.coveredSums_[c].channels); };
    size_t bestCandidate = mostPromising;
    Scored best = Evaluate(mostPromising, covered(mostPromising), total);
    for (size_t c = 0; c < candidates_.size(); ++c) {
        // The bound is rounded; skip only glyphs that are worse by more than its rounding.
        const double bound = workspace.bounds_[c];
        const double margin = 1.0 + std::abs(bound) * 1e-9;
        if (c == mostPromising || bound > static_cast<double>(best.score) + margin) {
            continue;
        }
        const Scored scored = Evaluate(c, covered(c), total);
        if (scored.score < best.score || (scored.score == best.score && c < bestCandidate)) {
            best = scored;
            bestCandidate = c;
        }
    }

    CellChoice choice{candidates_[bestCandidate].code, best.fg, best.bg, squares + best.score};
    if (choice.fg == choice.bg && blank_) {
        choice.glyph = *blank_;
    }
    return choice;
}

} // namespace dm
