#include "platform/pictures/pixmap.h"

#include "platform/pictures/pixel_rows.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace dm {

namespace {

// First and one-past-last byte that the pixels of a rectangle of a pixmap occupy.
struct ByteRange {
    const uint8_t* begin;
    const uint8_t* end;
};

ByteRange RectBytes(const TPixmap& p, int x, int y, int w, int h) {
    const uint8_t* first = p.PixelPtr(x, y);
    const uint8_t* last = p.PixelPtr(x + w, y + h - 1);
    return {first, last};
}

bool Overlap(ByteRange a, ByteRange b) {
    const std::less<const uint8_t*> before;
    return before(a.begin, b.end) && before(b.begin, a.end);
}

} // namespace

TPixmap::TPixmap(Key, uint8_t* pixels, int width, int height, int pitch, int format, int capacity,
                 std::unique_ptr<uint8_t[]> memory, std::shared_ptr<TPixmap> source)
    : pixels(pixels), width(width), height(height), pitch(pitch), format(format),
      capacity(capacity), bpp_(BytesPerPixel(format)), memory_(std::move(memory)),
      _source(std::move(source)) {}

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align) {
    const int bpp = BytesPerPixel(format);
    if (width <= 0 || height <= 0 || align <= 0 || bpp == 0)
        return nullptr;
    const int64_t rowBytes = static_cast<int64_t>(width) * bpp;
    const int64_t pitch = (rowBytes + align - 1) / align * align;
    if (pitch > kMaxBytes || pitch * height > kMaxBytes)
        return nullptr;
    const int64_t bytes = pitch * height;
    std::unique_ptr<uint8_t[]> memory;
    try {
        memory = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    uint8_t* pixels = memory.get();
    return std::make_shared<TPixmap>(Key(), pixels, width, height, static_cast<int>(pitch), format,
                                     static_cast<int>(bytes), std::move(memory), nullptr);
}

std::shared_ptr<TPixmap> TPixmap::CreateStatic(uint8_t* pixels, int width, int height, int pitch,
                                               int format) {
    const int bpp = BytesPerPixel(format);
    if (pixels == nullptr || width <= 0 || height <= 0 || bpp == 0 ||
        pitch < static_cast<int64_t>(width) * bpp)
        return nullptr;
    return std::make_shared<TPixmap>(Key(), pixels, width, height, pitch, format, -1, nullptr,
                                     nullptr);
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h) {
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || w > width - x || h > height - y)
        return nullptr;
    return std::make_shared<TPixmap>(Key(), PixelPtr(x, y), w, h, pitch, format, -1, nullptr,
                                     shared_from_this());
}

std::shared_ptr<TPixmap> TPixmap::Copy() const {
    return Convert(format);
}

std::shared_ptr<TPixmap> TPixmap::Convert(int newFormat) const {
    auto result = Create(width, height, newFormat, 4);
    if (result)
        for (int y = 0; y < height; ++y)
            ConvertPixelRow(PixelPtr(0, y), format, result->PixelPtr(0, y), newFormat, width);
    return result;
}

void TPixmap::Paste(const TPixmap& source, int x, int y) {
    const int64_t left = std::max(x, 0), top = std::max(y, 0);
    const int64_t right = std::min<int64_t>(width, static_cast<int64_t>(x) + source.width);
    const int64_t bottom = std::min<int64_t>(height, static_cast<int64_t>(y) + source.height);
    if (left >= right || top >= bottom)
        return;
    const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);
    const int sx = static_cast<int>(left - x), sy = static_cast<int>(top - y);
    const int dx = static_cast<int>(left), dy = static_cast<int>(top);

    // A window pasted into its own source: read from a private copy so no row is overwritten
    // before it has been read.
    if (Overlap(RectBytes(source, sx, sy, w, h), RectBytes(*this, dx, dy, w, h))) {
        const auto copy = source.Copy();
        if (copy)
            Paste(*copy, x, y);
        return;
    }
    for (int row = 0; row < h; ++row)
        ConvertPixelRow(source.PixelPtr(sx, sy + row), source.format, PixelPtr(dx, dy + row),
                        format, w);
}

void TPixmap::ClearPixels(uint32_t argb) {
    const size_t rowBytes = static_cast<size_t>(width) * bpp_;
    if (argb == 0) {
        // Owned memory holds nothing but our rows, padding included, so it clears in one block.
        if (capacity >= 0 || static_cast<size_t>(pitch) == rowBytes)
            std::memset(pixels, 0, static_cast<size_t>(pitch) * (height - 1) + rowBytes);
        else
            for (int y = 0; y < height; ++y)
                std::memset(PixelPtr(0, y), 0, rowBytes);
        return;
    }
    for (int x = 0; x < width; ++x)
        WritePixel(x, 0, argb);
    for (int y = 1; y < height; ++y)
        std::memcpy(PixelPtr(0, y), pixels, rowBytes);
}

} // namespace dm
