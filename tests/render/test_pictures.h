#pragma once

#include "platform/pictures/pixmap.h"
#include "platform/pictures/png_codec.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace dm::test {

// Writes a PNG picture whose pixel (x, y) is colorAt(x, y) as packed ARGB.
inline void WritePicture(const std::string& path, int width, int height, int format,
                         const std::function<uint32_t(int x, int y)>& colorAt) {
    const std::shared_ptr<TPixmap> picture = TPixmap::Create(width, height, format, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture->WritePixel(x, y, colorAt(x, y));
        }
    }
    if (!WritePixmapPNG(*picture, path, 6)) {
        throw std::runtime_error("cannot write " + path);
    }
}

// An opaque picture whose pixels name their own position: red and green the x, blue the y.
inline uint32_t PositionColor(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x & 0xFFFF) << 8 | static_cast<uint32_t>(y & 0xFF);
}

} // namespace dm::test
