#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dm {

// Pixel formats, named after their byte order in memory. The numbers are stable.
inline constexpr int kPixelFormatI8 = 1;       // grey
inline constexpr int kPixelFormatA8 = 2;       // alpha only
inline constexpr int kPixelFormatBGR888 = 3;   // blue, green, red
inline constexpr int kPixelFormatRGB888 = 4;   // red, green, blue
inline constexpr int kPixelFormatBGRA8888 = 5; // blue, green, red, alpha
inline constexpr int kPixelFormatRGBA8888 = 6; // red, green, blue, alpha

// Bytes per pixel of a format; 0 for a number that is no format.
constexpr int BytesPerPixel(int format) {
    switch (format) {
    case kPixelFormatI8:
    case kPixelFormatA8:
        return 1;
    case kPixelFormatBGR888:
    case kPixelFormatRGB888:
        return 3;
    case kPixelFormatBGRA8888:
    case kPixelFormatRGBA8888:
        return 4;
    default:
        return 0;
    }
}

// A raw pixel buffer. Colours cross the interface as packed ARGB: alpha in bits 24-31, red 16-23,
// green 8-15, blue 0-7.
//
// Pixmaps exist only behind std::shared_ptr (made by Create, CreateStatic, Window, Copy, Convert),
// so that a window can keep the pixmap whose memory it shares alive. The describing fields are
// fixed for the pixmap's life; the pixel bytes are freely writable.
class TPixmap : public std::enable_shared_from_this<TPixmap> {
    struct Key {
        explicit Key() = default;
    };

  public:
    // Largest buffer Create allocates, in bytes (capacity is an int).
    static constexpr int64_t kMaxBytes = 0x7FFFFFFF;

    // A new buffer whose pitch is width x bytes per pixel rounded up to a multiple of align; the
    // memory is not cleared. Null for a non-positive size or align, an unknown format, a buffer
    // over kMaxBytes, or memory that cannot be had.
    static std::shared_ptr<TPixmap> Create(int width, int height, int format, int align);

    // Wraps memory owned elsewhere (capacity -1); the caller keeps it alive. Null for a null
    // pointer, a non-positive size, an unknown format or a pitch shorter than a row.
    static std::shared_ptr<TPixmap> CreateStatic(uint8_t* pixels, int width, int height, int pitch,
                                                 int format);

    uint8_t* const pixels;
    const int width;
    const int height;
    const int pitch;
    const int format;
    // Bytes owned (pitch x height), or -1 when the memory belongs to someone else.
    const int capacity;

    TPixmap(Key, uint8_t* pixels, int width, int height, int pitch, int format, int capacity,
            std::unique_ptr<uint8_t[]> memory, std::shared_ptr<TPixmap> source);
    TPixmap(const TPixmap&) = delete;
    TPixmap& operator=(const TPixmap&) = delete;

    // PixelPtr, ReadPixel and WritePixel check no bounds: callers keep 0 <= x < width and
    // 0 <= y < height.
    uint8_t* PixelPtr(int x, int y) const {
        return pixels + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x) * bpp_;
    }

    // I8 reads as opaque grey, A8 as white with its alpha, the three-byte formats as opaque.
    uint32_t ReadPixel(int x, int y) const {
        const uint8_t* p = PixelPtr(x, y);
        switch (format) {
        case kPixelFormatI8:
            return 0xFF000000u | p[0] * 0x010101u;
        case kPixelFormatA8:
            return static_cast<uint32_t>(p[0]) << 24 | 0xFFFFFFu;
        case kPixelFormatBGR888:
            return 0xFF000000u | Pack(p[2], p[1], p[0]);
        case kPixelFormatRGB888:
            return 0xFF000000u | Pack(p[0], p[1], p[2]);
        case kPixelFormatBGRA8888:
            return static_cast<uint32_t>(p[3]) << 24 | Pack(p[2], p[1], p[0]);
        default:
            return static_cast<uint32_t>(p[3]) << 24 | Pack(p[0], p[1], p[2]);
        }
    }

    // I8 stores (red + green + blue) / 3, A8 the alpha; the three-byte formats drop the alpha.
    void WritePixel(int x, int y, uint32_t argb) {
        uint8_t* p = PixelPtr(x, y);
        const uint8_t a = argb >> 24, r = argb >> 16, g = argb >> 8, b = argb;
        switch (format) {
        case kPixelFormatI8:
            p[0] = static_cast<uint8_t>((r + g + b) / 3);
            break;
        case kPixelFormatA8:
            p[0] = a;
            break;
        case kPixelFormatBGR888:
            p[0] = b, p[1] = g, p[2] = r;
            break;
        case kPixelFormatRGB888:
            p[0] = r, p[1] = g, p[2] = b;
            break;
        case kPixelFormatBGRA8888:
            p[0] = b, p[1] = g, p[2] = r, p[3] = a;
            break;
        default:
            p[0] = r, p[1] = g, p[2] = b, p[3] = a;
            break;
        }
    }

    // A pixmap sharing the memory of a rectangle of this one (same pitch and format); it keeps
    // this pixmap alive. Null unless the rectangle is non-empty and lies inside this pixmap.
    std::shared_ptr<TPixmap> Window(int x, int y, int w, int h);

    // A new pixmap (align 4) with the same size, format and pixels; null when out of memory.
    std::shared_ptr<TPixmap> Copy() const;

    // A new pixmap (align 4) holding these pixels in another format; null for an unknown format
    // or when out of memory.
    std::shared_ptr<TPixmap> Convert(int format) const;

    // Copies source into this pixmap with its top left corner at (x, y), converting the format.
    // Only the part that lands inside this pixmap is written; overlapping memory is allowed.
    void Paste(const TPixmap& source, int x, int y);

    // Sets every pixel to the colour as WritePixel stores it.
    void ClearPixels(uint32_t argb);

  private:
    static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

    const int bpp_;
    std::unique_ptr<uint8_t[]> memory_;
    std::shared_ptr<TPixmap> _source;
};

} // namespace dm
