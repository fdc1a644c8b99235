#pragma once

#include "picture_art/linear_light.h"

#include <cstdint>

namespace dm {

// How far a rendered conversion lies from the picture it was made from, in linear light.
struct ArtQuality {
    double squaredError = 0; // summed over every pixel and channel, on the 0 - kLinearMax scale
    int64_t samples = 0;     // pixels x 3 channels

    // The root mean square difference of a channel, on the scale of a byte (0-255).
    double RootMeanSquare() const;
    // Peak signal-to-noise ratio in decibels against the full intensity; infinite when the
    // rendering matches exactly.
    double Psnr() const;
};

// The squared difference, summed over pixels and channels, between a cell's pixels and the
// cell rendered as the export renders it: mask pixels of 1 in the foreground colour, the
// others in the background colour.
int64_t RenderedCellError(const uint8_t* mask, int pixelCount, const LinearColor& fg,
                          const LinearColor& bg, const LinearColor* pixels);

} // namespace dm
