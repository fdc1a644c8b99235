#include "picture_art/art_quality.h"

#include <cmath>
#include <limits>

namespace dm {

double ArtQuality::RootMeanSquare() const {
    if (samples == 0) {
        return 0;
    }
    return std::sqrt(squaredError / static_cast<double>(samples)) * 255.0 / kLinearMax;
}

double ArtQuality::Psnr() const {
    if (squaredError == 0 || samples == 0) {
        return std::numeric_limits<double>::infinity();
    }
    const double meanSquare = squaredError / static_cast<double>(samples);
    return 10.0 * std::log10(double{kLinearMax} * kLinearMax / meanSquare);
}

int64_t RenderedCellError(const uint8_t* mask, int pixelCount, const LinearColor& fg,
                          const LinearColor& bg, const LinearColor* pixels) {
    int64_t total = 0;
    for (int i = 0; i < pixelCount; ++i) {
        const LinearColor& drawn = mask[i] ? fg : bg;
        const int64_t red = pixels[i].red - drawn.red;
        const int64_t green = pixels[i].green - drawn.green;
        const int64_t blue = pixels[i].blue - drawn.blue;
        total += red * red + green * green + blue * blue;
    }
    return total;
}

} // namespace dm
