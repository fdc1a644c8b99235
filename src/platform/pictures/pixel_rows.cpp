#include "platform/pictures/pixel_rows.h"

#include "platform/pictures/pixmap.h"

#include <algorithm>
#include <cstring>

namespace dm {

namespace {

void WidenToRgba(const uint8_t* s, int format, uint8_t* d, int count) {
    switch (format) {
    case kPixelFormatI8:
        for (int i = 0; i < count; ++i, s += 1, d += 4)
            d[0] = d[1] = d[2] = s[0], d[3] = 255;
        break;
    case kPixelFormatA8:
        for (int i = 0; i < count; ++i, s += 1, d += 4)
            d[0] = d[1] = d[2] = 255, d[3] = s[0];
        break;
    case kPixelFormatBGR888:
        for (int i = 0; i < count; ++i, s += 3, d += 4)
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = 255;
        break;
    case kPixelFormatRGB888:
        for (int i = 0; i < count; ++i, s += 3, d += 4)
            d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        break;
    case kPixelFormatBGRA8888:
        for (int i = 0; i < count; ++i, s += 4, d += 4)
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
        break;
    case kPixelFormatRGBA8888:
        std::memcpy(d, s, static_cast<size_t>(count) * 4);
        break;
    }
}

void NarrowFromRgba(const uint8_t* s, uint8_t* d, int format, int count) {
    switch (format) {
    case kPixelFormatI8:
        for (int i = 0; i < count; ++i, s += 4, d += 1)
            d[0] = static_cast<uint8_t>((s[0] + s[1] + s[2]) / 3);
        break;
    case kPixelFormatA8:
        for (int i = 0; i < count; ++i, s += 4, d += 1)
            d[0] = s[3];
        break;
    case kPixelFormatBGR888:
        for (int i = 0; i < count; ++i, s += 4, d += 3)
            d[0] = s[2], d[1] = s[1], d[2] = s[0];
        break;
    case kPixelFormatRGB888:
        for (int i = 0; i < count; ++i, s += 4, d += 3)
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
        break;
    case kPixelFormatBGRA8888:
        for (int i = 0; i < count; ++i, s += 4, d += 4)
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
        break;
    case kPixelFormatRGBA8888:
        std::memcpy(d, s, static_cast<size_t>(count) * 4);
        break;
    }
}

} // namespace

void ConvertPixelRow(const uint8_t* source, int sourceFormat, uint8_t* target, int targetFormat,
                     int count) {
    if (count <= 0 || BytesPerPixel(sourceFormat) == 0 || BytesPerPixel(targetFormat) == 0)
        return;
    if (sourceFormat == targetFormat) {
        std::memmove(target, source, static_cast<size_t>(count) * BytesPerPixel(sourceFormat));
        return;
    }
    if (targetFormat == kPixelFormatRGBA8888) {
        WidenToRgba(source, sourceFormat, target, count);
        return;
    }
    if (sourceFormat == kPixelFormatRGBA8888) {
        NarrowFromRgba(source, target, targetFormat, count);
        return;
    }
    // Neither side is RGBA8888: go through a small buffer a chunk at a time.
    constexpr int kChunk = 256;
    uint8_t rgba[kChunk * 4];
    const int sourceBpp = BytesPerPixel(sourceFormat), targetBpp = BytesPerPixel(targetFormat);
    for (int done = 0; done < count; done += kChunk) {
        const int n = std::min(kChunk, count - done);
        WidenToRgba(source + static_cast<ptrdiff_t>(done) * sourceBpp, sourceFormat, rgba, n);
        NarrowFromRgba(rgba, target + static_cast<ptrdiff_t>(done) * targetBpp, targetFormat, n);
    }
}

} // namespace dm
