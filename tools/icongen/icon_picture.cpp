#include "icon_picture.h"

#include <algorithm>

namespace dm::icongen {

namespace {

constexpr int kSamples = 4; // per pixel and axis, for the rounded corners' edges

// How many of a pixel's kSamples x kSamples points lie inside a rectangle of width x height
// pixels whose corners are rounded with the given radius; (x, y) counts from its top left.
int CoveredSamples(int x, int y, int width, int height, int radius) {
    int covered = 0;
    for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
            // The point and the rectangle in units of 1 / (2 kSamples) pixel, so points sit
            // at odd positions.
            const int px = (x * kSamples + i) * 2 + 1;
            const int py = (y * kSamples + j) * 2 + 1;
            const int r = radius * kSamples * 2;
            const int w = width * kSamples * 2;
            const int h = height * kSamples * 2;
            // Distance past the circle's centre into the corner, 0 away from the corners.
            const int dx = std::max({r - px, px - (w - r), 0});
            const int dy = std::max({r - py, py - (h - r), 0});
            if (int64_t{dx} * dx + int64_t{dy} * dy <= int64_t{r} * r) {
                ++covered;
            }
        }
    }
    return covered;
}

} // namespace

std::shared_ptr<TPixmap> FrameIcon(const TPixmap& scene, int scale, int side) {
    const int width = scene.width * scale;
    const int height = scene.height * scale;
    if (scale < 1 || width > side || height > side) {
        return nullptr;
    }
    auto icon = TPixmap::Create(side, side, kPixelFormatRGBA8888, 4);
    if (!icon) {
        return nullptr;
    }
    icon->ClearPixels(0);
    const int left = (side - width) / 2;
    const int top = (side - height) / 2;
    const int radius = std::min(width, height) / 8;
    constexpr int kAllSamples = kSamples * kSamples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = scene.ReadPixel(x / scale, y / scale);
            const uint32_t alpha =
                (argb >> 24) * CoveredSamples(x, y, width, height, radius) / kAllSamples;
            icon->WritePixel(left + x, top + y, alpha << 24 | (argb & 0xFFFFFFu));
        }
    }
    return icon;
}

} // namespace dm::icongen
