#include "platform/drawing/timage.h"

#include "platform/host.h"
#include "platform/pictures/png_codec.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>

namespace dm {

namespace {

MaskColor& CurrentMask() {
    return CurrentHost().mask;
}

uint64_t NextImageId() {
    static std::atomic<uint64_t> next{1};
    return next++;
}

uint8_t ClampChannel(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

bool HasAlpha(int format) {
    return format == kPixelFormatA8 || format == kPixelFormatBGRA8888 ||
           format == kPixelFormatRGBA8888;
}

} // namespace

std::shared_ptr<TImage> TImage::Make(std::vector<std::shared_ptr<TPixmap>> frames, int width,
                                     int height, int flags, MaskColor mask) {
    auto image = std::make_shared<TImage>(Key{});
    image->width = width;
    image->height = height;
    image->flags = flags == -1 ? kDefaultImageFlags : flags;
    image->mask = mask;
    image->pixmaps = std::move(frames);
    return image;
}

void SetMaskRGB(int red, int green, int blue) {
    CurrentMask() = MaskColor{ClampChannel(red), ClampChannel(green), ClampChannel(blue)};
}

MaskColor GetMaskRGB() {
    return CurrentMask();
}

TImage::TImage(Key) : id_(NextImageId()) {}

std::shared_ptr<TImage> TImage::Load(const std::string& path, int flags, MaskColor mask) {
    return Load(LoadPixmap(path), flags, mask);
}

std::shared_ptr<TImage> TImage::Load(std::shared_ptr<TPixmap> pixmap, int flags, MaskColor mask) {
    if (!pixmap) {
        return nullptr;
    }
    const int width = pixmap->width;
    const int height = pixmap->height;
    return Make({std::move(pixmap)}, width, height, flags, mask);
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::string& path, int cellWidth, int cellHeight,
                                         int first, int count, int flags, MaskColor mask) {
    return LoadAnim(LoadPixmap(path), cellWidth, cellHeight, first, count, flags, mask);
}

std::shared_ptr<TImage> TImage::LoadAnim(std::shared_ptr<TPixmap> pixmap, int cellWidth,
                                         int cellHeight, int first, int count, int flags,
                                         MaskColor mask) {
    if (!pixmap || cellWidth <= 0 || cellHeight <= 0 || first < 0 || count <= 0) {
        return nullptr;
    }
    const int64_t across = pixmap->width / cellWidth;
    const int64_t down = pixmap->height / cellHeight;
    if (across * down < int64_t{first} + count) {
        return nullptr;
    }
    std::vector<std::shared_ptr<TPixmap>> frames;
    frames.reserve(static_cast<size_t>(count));
    for (int i = first; i < first + count; ++i) {
        frames.push_back(pixmap->Window(static_cast<int>(cellWidth * (i % across)),
                                        static_cast<int>(cellHeight * (i / across)), cellWidth,
                                        cellHeight));
    }
    return Make(std::move(frames), cellWidth, cellHeight, flags, mask);
}

const TPixmap& TImage::DrawableFrame(int frame) const {
    if (frame < 0 || frame >= FrameCount()) {
        throw std::out_of_range("image frame " + std::to_string(frame) + " does not exist");
    }
    if (drawable_.empty()) {
        drawable_.resize(pixmaps.size());
    }
    std::shared_ptr<TPixmap>& drawable = drawable_[static_cast<size_t>(frame)];
    if (!drawable) {
        drawable =
            DrawablePixmap(*pixmaps[static_cast<size_t>(frame)], (flags & kImageMasked) != 0, mask);
        if (!drawable) {
            throw std::bad_alloc();
        }
    }
    return *drawable;
}

std::shared_ptr<TPixmap> DrawablePixmap(const TPixmap& source, bool masked, MaskColor mask) {
    std::shared_ptr<TPixmap> rgba = source.Convert(kPixelFormatRGBA8888);
    if (!rgba || !masked || HasAlpha(source.format)) {
        return rgba;
    }
    const uint32_t maskRgb = uint32_t{mask.red} << 16 | uint32_t{mask.green} << 8 | mask.blue;
    const auto isMask = [&](int x, int y) {
        return (source.ReadPixel(x, y) & 0xFFFFFF) == maskRgb;
    };
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            if (!isMask(x, y)) {
                continue;
            }
            int red = 0, green = 0, blue = 0, count = 0;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, source.height - 1); ++ny) {
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, source.width - 1); ++nx) {
                    if (isMask(nx, ny)) {
                        continue;
                    }
                    const uint32_t argb = source.ReadPixel(nx, ny);
                    red += (argb >> 16) & 0xFF;
                    green += (argb >> 8) & 0xFF;
                    blue += argb & 0xFF;
                    ++count;
                }
            }
            const uint32_t average = count == 0 ? 0
                                                : uint32_t(red / count) << 16 |
                                                      uint32_t(green / count) << 8 |
                                                      uint32_t(blue / count);
            rgba->WritePixel(x, y, average);
        }
    }
    return rgba;
}

} // namespace dm
