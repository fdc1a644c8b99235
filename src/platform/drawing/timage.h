#pragma once

#include "platform/pictures/pixmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dm {

// Image flags.
inline constexpr int kImageMasked = 1;    // pixels of the mask colour are not drawn
inline constexpr int kImageFiltered = 2;  // sampled smoothly instead of by nearest pixel
inline constexpr int kImageMipmapped = 4; // accepted; drawn as filtered
inline constexpr int kDefaultImageFlags = kImageMasked | kImageFiltered;

struct MaskColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// The mask colour that later loads are given; black until set.
void SetMaskRGB(int red, int green, int blue);
MaskColor GetMaskRGB();

// A drawable picture of one or more frames of equal size, each cut from a pixmap.
class TImage {
    struct Key {
        explicit Key() = default;
    };

  public:
    int width = 0;  // of one frame, in pixels
    int height = 0; // of one frame, in pixels
    int flags = 0;
    MaskColor mask;
    float handle_x = 0;
    float handle_y = 0;
    std::vector<std::shared_ptr<TPixmap>> pixmaps; // one per frame

    explicit TImage(Key);

    // A single-frame image of the picture; flags -1 stands for kDefaultImageFlags. Null when the
    // picture cannot be loaded.
    static std::shared_ptr<TImage> Load(const std::string& path, int flags, MaskColor mask);
    static std::shared_ptr<TImage> Load(std::shared_ptr<TPixmap> pixmap, int flags, MaskColor mask);

    // count frames of cellWidth x cellHeight pixels, from cell first on, cut in reading order with
    // pixmap width / cellWidth cells to a row. Null when the picture cannot be loaded, a size is
    // not positive, or fewer than first + count whole cells fit.
    static std::shared_ptr<TImage> LoadAnim(const std::string& path, int cellWidth, int cellHeight,
                                            int first, int count, int flags, MaskColor mask);
    static std::shared_ptr<TImage> LoadAnim(std::shared_ptr<TPixmap> pixmap, int cellWidth,
                                            int cellHeight, int first, int count, int flags,
                                            MaskColor mask);

    int FrameCount() const { return static_cast<int>(pixmaps.size()); }

    // The frame as it is drawn: RGBA, its mask pixels transparent. Made on first use and kept.
    const TPixmap& DrawableFrame(int frame) const;

    // Tells images apart for drawing backends that keep per-image resources.
    uint64_t Id() const { return id_; }

  private:
    static std::shared_ptr<TImage> Make(std::vector<std::shared_ptr<TPixmap>> frames, int width,
                                        int height, int flags, MaskColor mask);

    uint64_t id_;
    mutable std::vector<std::shared_ptr<TPixmap>> drawable_;
};

// The pixmap as RGBA for drawing. When masked is set and the pixmap has no alpha channel, pixels
// of exactly the mask colour get alpha 0 and the average colour of the unmasked pixels among their
// eight neighbours (black when there are none), so that smooth sampling does not bleed the mask
// colour into the picture; every other pixel is opaque. A pixmap with alpha keeps its own.
std::shared_ptr<TPixmap> DrawablePixmap(const TPixmap& source, bool masked, MaskColor mask);

} // namespace dm
