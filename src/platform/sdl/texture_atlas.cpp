#include "platform/sdl/texture_atlas.h"

#include "platform/drawing/timage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace dm {

namespace {

// The white block: 2 x 2 texels, so that sampling its centre stays inside it.
constexpr int kWhiteBlock = 2;

// Copies the frame to (x, y) of the page and repeats its last column and row once more.
void CopyWithEdges(const TPixmap& frame, TPixmap& page, int x, int y) {
    const size_t rowBytes = static_cast<size_t>(frame.width) * 4;
    for (int row = 0; row <= frame.height; ++row) {
        const uint8_t* source = frame.PixelPtr(0, std::min(row, frame.height - 1));
        uint8_t* target = page.PixelPtr(x, y + row);
        std::memcpy(target, source, rowBytes);
        std::memcpy(target + rowBytes, source + rowBytes - 4, 4);
    }
}

} // namespace

int TextureAtlas::NewPage(bool filtered) {
    AtlasPage page;
    page.size = pageSize_;
    page.filtered = filtered;
    page.pixels = TPixmap::Create(pageSize_, pageSize_, kPixelFormatRGBA8888, 4);
    if (!page.pixels) {
        throw std::bad_alloc();
    }
    page.pixels->ClearPixels(0);
    for (int y = 0; y < kWhiteBlock; ++y) {
        for (int x = 0; x < kWhiteBlock; ++x) {
            page.pixels->WritePixel(x, y, 0xFFFFFFFFu);
        }
    }
    page.shelfX = kWhiteBlock;
    page.shelfHeight = kWhiteBlock;
    pages_.push_back(std::move(page));
    return static_cast<int>(pages_.size()) - 1;
}

// A free rectangle in the page's shelves, or (-1, -1) when the page is full.
std::pair<int, int> TextureAtlas::Allocate(int pageIndex, int width, int height) {
    AtlasPage& page = pages_[static_cast<size_t>(pageIndex)];
    if (page.shelfX + width > page.size) {
        page.shelfX = 0;
        page.shelfY += page.shelfHeight;
        page.shelfHeight = 0;
    }
    if (page.shelfY + height > page.size) {
        return {-1, -1};
    }
    const std::pair<int, int> place{page.shelfX, page.shelfY};
    page.shelfX += width;
    page.shelfHeight = std::max(page.shelfHeight, height);
    return place;
}

void TextureAtlas::EnsurePage() {
    if (pages_.empty()) {
        NewPage(false);
    }
}

const AtlasFrame& TextureAtlas::Place(const TImage& image, int frame) {
    auto known = images_.find(image.Id());
    if (known != images_.end()) {
        return known->second[static_cast<size_t>(frame)];
    }
    const bool filtered = (image.flags & (kImageFiltered | kImageMipmapped)) != 0;
    if (image.width + 1 > pageSize_ || image.height + 1 > pageSize_) {
        throw std::runtime_error("Unable to calculate tex size");
    }
    std::vector<AtlasFrame> frames;
    frames.reserve(static_cast<size_t>(image.FrameCount()));
    int page = -1;
    for (int i = static_cast<int>(pages_.size()) - 1; i >= 0 && page < 0; --i) {
        page = pages_[static_cast<size_t>(i)].filtered == filtered ? i : -1;
    }
    for (int i = 0; i < image.FrameCount(); ++i) {
        std::pair<int, int> at{-1, -1};
        if (page >= 0) {
            at = Allocate(page, image.width + 1, image.height + 1);
        }
        if (at.first < 0) {
            page = NewPage(filtered);
            at = Allocate(page, image.width + 1, image.height + 1);
        }
        AtlasPage& target = pages_[static_cast<size_t>(page)];
        CopyWithEdges(image.DrawableFrame(i), *target.pixels, at.first, at.second);
        target.dirty = true;
        const float size = static_cast<float>(pageSize_);
        frames.push_back({page, static_cast<float>(at.first) / size,
                          static_cast<float>(at.second) / size,
                          static_cast<float>(at.first + image.width) / size,
                          static_cast<float>(at.second + image.height) / size});
    }
    return images_.emplace(image.Id(), std::move(frames)).first->second[static_cast<size_t>(frame)];
}

} // namespace dm
