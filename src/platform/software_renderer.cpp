#include "platform/software_renderer.h"

#include "platform/timage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace dm {

namespace {

struct PixelRange {
    int first;
    int last; // exclusive
};

// The pixels whose centres lie in [from, to), clipped to [0, size).
PixelRange Covered(float from, float to, int size) {
    const int first = static_cast<int>(std::ceil(from - 0.5f));
    const int last = static_cast<int>(std::ceil(to - 0.5f));
    return {std::max(first, 0), std::min(last, size)};
}

uint8_t Tint(uint8_t texel, uint8_t colour) {
    return static_cast<uint8_t>((texel * colour + 127) / 255);
}

void Put(TPixmap& target, int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* p = target.PixelPtr(x, y);
    p[0] = red;
    p[1] = green;
    p[2] = blue;
    p[3] = 255;
}

void FillRect(TPixmap& target, const DrawCommand& command) {
    const PixelRange xs = Covered(command.x0, command.x1, target.width);
    const PixelRange ys = Covered(command.y0, command.y1, target.height);
    for (int y = ys.first; y < ys.last; ++y) {
        for (int x = xs.first; x < xs.last; ++x) {
            Put(target, x, y, command.red, command.green, command.blue);
        }
    }
}

// The texel index along one side for each covered pixel, sampled at the pixel's centre.
std::vector<int> TexelIndices(PixelRange range, float from, float to, int texels) {
    std::vector<int> indices;
    indices.reserve(static_cast<size_t>(std::max(range.last - range.first, 0)));
    for (int i = range.first; i < range.last; ++i) {
        const float u = (static_cast<float>(i) + 0.5f - from) / (to - from);
        indices.push_back(std::clamp(static_cast<int>(std::floor(u * static_cast<float>(texels))),
                                     0, texels - 1));
    }
    return indices;
}

void DrawImageFrame(TPixmap& target, const DrawCommand& command) {
    const TPixmap& texture = command.image->DrawableFrame(command.frame);
    const PixelRange xs = Covered(command.x0, command.x1, target.width);
    const PixelRange ys = Covered(command.y0, command.y1, target.height);
    const std::vector<int> us = TexelIndices(xs, command.x0, command.x1, texture.width);
    const std::vector<int> vs = TexelIndices(ys, command.y0, command.y1, texture.height);
    for (int y = ys.first; y < ys.last; ++y) {
        const int v = vs[static_cast<size_t>(y - ys.first)];
        for (int x = xs.first; x < xs.last; ++x) {
            const uint8_t* texel = texture.PixelPtr(us[static_cast<size_t>(x - xs.first)], v);
            if (texel[3] < 128) {
                continue;
            }
            Put(target, x, y, Tint(texel[0], command.red), Tint(texel[1], command.green),
                Tint(texel[2], command.blue));
        }
    }
}

// A slanted one-pixel line by Bresenham's steps from start to end.
void DrawSlantedLine(TPixmap& target, const DrawCommand& command) {
    int x = static_cast<int>(command.x0), y = static_cast<int>(command.y0);
    const int endX = static_cast<int>(command.x1), endY = static_cast<int>(command.y1);
    const int dx = std::abs(endX - x), dy = -std::abs(endY - y);
    const int stepX = x < endX ? 1 : -1, stepY = y < endY ? 1 : -1;
    int error = dx + dy;
    const auto plot = [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < target.width && py < target.height) {
            Put(target, px, py, command.red, command.green, command.blue);
        }
    };
    while (x != endX || y != endY) {
        plot(x, y);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
    if (command.lastPixel) {
        plot(endX, endY);
    }
}

} // namespace

void RasterizeFrame(const FrameList& frame, TPixmap& target) {
    if (target.format != PF_RGBA8888) {
        throw std::invalid_argument("frames are rasterised into RGBA pixmaps");
    }
    for (const DrawCommand& command : frame.commands) {
        switch (command.kind) {
        case DrawKind::Clear:
            target.ClearPixels(0xFF000000u | uint32_t{command.red} << 16 |
                               uint32_t{command.green} << 8 | command.blue);
            break;
        case DrawKind::Rect:
            FillRect(target, command);
            break;
        case DrawKind::Frame:
            DrawImageFrame(target, command);
            break;
        case DrawKind::Line:
            DrawSlantedLine(target, command);
            break;
        }
    }
}

} // namespace dm
