#include "platform/drawing/graphics.h"

#include "platform/drawing/timage.h"

#include <algorithm>
#include <cmath>

namespace dm {

namespace {

uint8_t Channel(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

DrawCommand& Record(TGraphics& graphics, DrawKind kind) {
    const TDrawContext& context = graphics.context;
    DrawCommand& command = graphics.frame.commands.emplace_back();
    command.kind = kind;
    command.red = Channel(context.color_red);
    command.green = Channel(context.color_green);
    command.blue = Channel(context.color_blue);
    return command;
}

struct Point {
    float x;
    float y;
};

// A point given relative to a drawing position, through the scale matrix, placed at it.
Point Transform(const TDrawContext& context, float atX, float atY, float dx, float dy) {
    return {atX + context.origin_x + dx * context.tform_ix + dy * context.tform_iy,
            atY + context.origin_y + dx * context.tform_jx + dy * context.tform_jy};
}

// The covered rectangle of a quad whose corners are a and b, as the backends fill it.
void SetCorners(DrawCommand& command, Point a, Point b) {
    command.x0 = std::min(a.x, b.x);
    command.x1 = std::max(a.x, b.x);
    command.y0 = std::min(a.y, b.y);
    command.y1 = std::max(a.y, b.y);
}

// The pixels a one-pixel line along a row or column passes through, from the start pixel towards
// the end pixel, which counts only when asked for: [first, last) along the line.
void Span(int start, int end, bool lastPixel, int& first, int& last) {
    if (end >= start) {
        first = start;
        last = end + (lastPixel ? 1 : 0);
    } else {
        first = lastPixel ? end : end + 1;
        last = start + 1;
    }
}

} // namespace

void Cls() {
    TGraphics* graphics = CurrentGraphics();
    if (!graphics) {
        return;
    }
    const TDrawContext& context = graphics->context;
    DrawCommand& command = Record(*graphics, DrawKind::Clear);
    command.red = Channel(context.clscolor_red);
    command.green = Channel(context.clscolor_green);
    command.blue = Channel(context.clscolor_blue);
}

void SetColor(int red, int green, int blue) {
    if (TGraphics* graphics = CurrentGraphics()) {
        graphics->context.color_red = std::clamp(red, 0, 255);
        graphics->context.color_green = std::clamp(green, 0, 255);
        graphics->context.color_blue = std::clamp(blue, 0, 255);
    }
}

void SetDrawScale(float x, float y) {
    TGraphics* graphics = CurrentGraphics();
    if (!graphics) {
        return;
    }
    TDrawContext& context = graphics->context;
    const float radians = context.tform_rot * 3.14159265358979f / 180.0f;
    context.tform_scale_x = x;
    context.tform_scale_y = y;
    context.tform_ix = std::cos(radians) * x;
    context.tform_iy = -std::sin(radians) * y;
    context.tform_jx = std::sin(radians) * x;
    context.tform_jy = std::cos(radians) * y;
}

void DrawRect(float x, float y, float width, float height) {
    TGraphics* graphics = CurrentGraphics();
    if (!graphics) {
        return;
    }
    const TDrawContext& context = graphics->context;
    const float hx = -context.handle_x;
    const float hy = -context.handle_y;
    SetCorners(Record(*graphics, DrawKind::Rect), Transform(context, x, y, hx, hy),
               Transform(context, x, y, hx + width, hy + height));
}

void DrawFrame(const TImage& image, float x, float y, int frame) {
    TGraphics* graphics = CurrentGraphics();
    if (!graphics || frame < 0 || frame >= image.FrameCount()) {
        return;
    }
    const TDrawContext& context = graphics->context;
    const float hx = -image.handle_x;
    const float hy = -image.handle_y;
    DrawCommand& command = Record(*graphics, DrawKind::Frame);
    command.image = &image;
    command.imageId = image.Id();
    command.frame = frame;
    SetCorners(command, Transform(context, x, y, hx, hy),
               Transform(context, x, y, hx + static_cast<float>(image.width),
                         hy + static_cast<float>(image.height)));
}

void DrawLine(float x1, float y1, float x2, float y2, bool lastPixel) {
    TGraphics* graphics = CurrentGraphics();
    if (!graphics) {
        return;
    }
    const TDrawContext& context = graphics->context;
    const float hx = -context.handle_x;
    const float hy = -context.handle_y;
    const Point a = Transform(context, x1, y1, hx, hy);
    const Point b = Transform(context, x1, y1, hx + x2 - x1, hy + y2 - y1);
    const int ax = static_cast<int>(std::floor(a.x)), ay = static_cast<int>(std::floor(a.y));
    const int bx = static_cast<int>(std::floor(b.x)), by = static_cast<int>(std::floor(b.y));
    // Lines along a row or a column are the pixel runs they cover, so that every backend draws
    // them identically; slanted ones are left to each backend's line rasteriser.
    if (ay == by || ax == bx) {
        int first = 0, last = 0;
        DrawCommand& command = Record(*graphics, DrawKind::Rect);
        if (ay == by) {
            Span(ax, bx, lastPixel, first, last);
            command.x0 = static_cast<float>(first);
            command.x1 = static_cast<float>(last);
            command.y0 = static_cast<float>(ay);
            command.y1 = static_cast<float>(ay + 1);
        } else {
            Span(ay, by, lastPixel, first, last);
            command.x0 = static_cast<float>(ax);
            command.x1 = static_cast<float>(ax + 1);
            command.y0 = static_cast<float>(first);
            command.y1 = static_cast<float>(last);
        }
        return;
    }
    DrawCommand& command = Record(*graphics, DrawKind::Line);
    command.x0 = static_cast<float>(ax);
    command.y0 = static_cast<float>(ay);
    command.x1 = static_cast<float>(bx);
    command.y1 = static_cast<float>(by);
    command.lastPixel = lastPixel;
}

} // namespace dm
