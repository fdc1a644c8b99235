#include "picture_art/picture_scaler.h"

#include <algorithm>

namespace dm {
namespace {

// Along one axis, output pixel i spans [i * sourceSize, (i + 1) * sourceSize) and source pixel j
// spans [j * outputSize, (j + 1) * outputSize), so every overlap is a whole number and the
// weights of an output pixel add up to sourceSize.
struct Overlap {
    int64_t first = 0; // source pixels first to last touch the output pixel
    int64_t last = 0;
};

Overlap SourceSpan(int64_t output, int64_t sourceSize, int64_t outputSize) {
    return {output * sourceSize / outputSize, ((output + 1) * sourceSize - 1) / outputSize};
}

int64_t Weight(int64_t output, int64_t source, int64_t sourceSize, int64_t outputSize) {
    return std::min((output + 1) * sourceSize, (source + 1) * outputSize) -
           std::max(output * sourceSize, source * outputSize);
}

} // namespace

PictureScaler::PictureScaler(const TPixmap& picture, const LinearColor& background, int64_t width,
                             int64_t height)
    : picture_(picture), background_(background), width_(width), height_(height) {}

PictureScaler::Columns PictureScaler::ColumnsOf(int64_t left, int columns) const {
    const int64_t sourceWidth = picture_.width;
    Columns spans;
    spans.firstSource = SourceSpan(left, sourceWidth, width_).first;
    for (int64_t x = left; x < left + columns; ++x) {
        const Overlap span = SourceSpan(x, sourceWidth, width_);
        spans.first.push_back(span.first - spans.firstSource);
        spans.last.push_back(span.last - spans.firstSource);
        for (int64_t s = span.first; s <= span.last; ++s) {
            spans.weights.push_back(Weight(x, s, sourceWidth, width_));
        }
    }
    spans.source.resize(static_cast<size_t>(spans.last.back() + 1));
    return spans;
}

// One source row resampled to the region's columns: each the weighted sum of the source pixels
// it covers, not yet divided by the source width.
void PictureScaler::ScaleRow(int sourceRow, Columns& columns, std::vector<Wide>& out) const {
    std::vector<LinearColor>& source = columns.source;
    const LinearTable& table = LinearFromBytes();
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = LinearOver(
            picture_.ReadPixel(static_cast<int>(columns.firstSource + static_cast<int64_t>(i)),
                               sourceRow),
            background_, table);
    }
    out.assign(columns.first.size(), Wide{});
    const int64_t* weight = columns.weights.data();
    for (size_t i = 0; i < out.size(); ++i) {
        Wide& sum = out[i];
        for (int64_t s = columns.first[i]; s <= columns.last[i]; ++s, ++weight) {
            const LinearColor& pixel = source[static_cast<size_t>(s)];
            sum.red += *weight * pixel.red;
            sum.green += *weight * pixel.green;
            sum.blue += *weight * pixel.blue;
        }
    }
}

void PictureScaler::Scale(int64_t left, int64_t top, int columns, int rows,
                          std::vector<LinearColor>& out) const {
    const int64_t sourceHeight = picture_.height;
    // The weights of an output pixel add up to the source's area; a whole multiple of it (every
    // pixel at the same size) divides exactly in doubles.
    const double reciprocal = 1.0 / (static_cast<double>(picture_.width) * sourceHeight);
    const auto mean = [reciprocal](int64_t sum) {
        return static_cast<int32_t>(static_cast<double>(sum) * reciprocal + 0.5);
    };
    out.resize(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    Columns spans = ColumnsOf(left, columns);
    std::vector<Wide> row;
    // Consecutive output rows share the source row at their border, and when enlarging many
    // share one: the last source row of each output row is kept.
    std::vector<Wide> kept;
    int64_t keptRow = -1;
    std::vector<Wide> sums(static_cast<size_t>(columns));
    for (int r = 0; r < rows; ++r) {
        const int64_t y = top + r;
        const Overlap span = SourceSpan(y, sourceHeight, height_);
        std::fill(sums.begin(), sums.end(), Wide{});
        for (int64_t s = span.first; s <= span.last; ++s) {
            if (s != keptRow) {
                ScaleRow(static_cast<int>(s), spans, row);
                if (s == span.last) {
                    kept.swap(row);
                    keptRow = s;
                }
            }
            const std::vector<Wide>& scaled = s == keptRow ? kept : row;
            const int64_t weight = Weight(y, s, sourceHeight, height_);
            for (size_t i = 0; i < sums.size(); ++i) {
                sums[i].red += weight * scaled[i].red;
                sums[i].green += weight * scaled[i].green;
                sums[i].blue += weight * scaled[i].blue;
            }
        }
        LinearColor* target = out.data() + static_cast<size_t>(r) * static_cast<size_t>(columns);
        for (size_t i = 0; i < sums.size(); ++i) {
            target[i] = {mean(sums[i].red), mean(sums[i].green), mean(sums[i].blue)};
        }
    }
}

} // namespace dm
