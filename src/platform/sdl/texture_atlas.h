#pragma once

#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace dm {

class TImage;

// Where one image frame lies in the atlas: its page and its rectangle of texture coordinates.
struct AtlasFrame {
    int page = 0;
    float u0 = 0;
    float v0 = 0;
    float u1 = 0;
    float v1 = 0;
};

// One square texture's pixels, kept on this side until they are uploaded.
struct AtlasPage {
    int size = 0;
    bool filtered = false;
    bool dirty = true;
    std::shared_ptr<TPixmap> pixels; // RGBA
    int shelfX = 0;
    int shelfY = 0;
    int shelfHeight = 0;
};

// Packs image frames into a few square pages, so that everything drawn with one page takes one
// draw call. Each frame is stored once, with its last column, last row and corner repeated beyond
// its right and bottom edges so that sampling at the edge never picks up a neighbour. Every page
// starts with a block of opaque white that rectangles and lines are drawn with, tinted by their
// colour like any frame. Smoothly sampled images get pages of their own.
class TextureAtlas {
  public:
    explicit TextureAtlas(int pageSize) : pageSize_(pageSize) {}

    // The frame's place, packing the image on first use. Throws when a frame is larger than a
    // page.
    const AtlasFrame& Place(const TImage& image, int frame);

    // Makes the first page, whose white block rectangles need even before any image is drawn.
    void EnsurePage();

    // The texture coordinates of the white block of a page.
    float WhiteU() const { return 1.0f / static_cast<float>(pageSize_); }
    float WhiteV() const { return 1.0f / static_cast<float>(pageSize_); }

    std::vector<AtlasPage>& Pages() { return pages_; }

  private:
    int NewPage(bool filtered);
    std::pair<int, int> Allocate(int page, int width, int height);

    int pageSize_;
    std::vector<AtlasPage> pages_;
    std::map<uint64_t, std::vector<AtlasFrame>> images_;
};

} // namespace dm
