#pragma once

#include <cstdint>
#include <vector>

namespace dm {

class TImage;

enum class DrawKind : uint8_t {
    Clear, // the whole window in the colour
    Rect,  // the pixels whose centres lie in [x0, x1) x [y0, y1), untextured
    Frame, // frame `frame` of `image` stretched over the rectangle, tinted by the colour
    Line,  // a slanted line from (x0, y0) to (x1, y1) through pixel centres
};

// One recorded drawing operation, in window pixels, with the colour it was made in.
struct DrawCommand {
    DrawKind kind = DrawKind::Clear;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool lastPixel = false; // Line: the end pixel is drawn too
    int frame = 0;
    float x0 = 0;
    float y0 = 0;
    float x1 = 0;
    float y1 = 0;
    // Not owned: images are drawn only while they live, and a frame list lives one frame.
    const TImage* image = nullptr;
    // The image's own number, which a later image never reuses as it may reuse the address, so
    // that a frame kept after its images went still compares without touching them.
    uint64_t imageId = 0;

    bool operator==(const DrawCommand&) const = default;
};

// The drawing of one frame, in order, as the drawing calls recorded it.
struct FrameList {
    std::vector<DrawCommand> commands;

    // Equal lists draw equal pictures.
    bool operator==(const FrameList&) const = default;
};

} // namespace dm
