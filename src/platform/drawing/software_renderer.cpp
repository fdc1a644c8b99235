#include "platform/drawing/software_renderer.h"

#include "platform/drawing/line_walk.h"
#include "platform/drawing/timage.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace dm {

namespace {

struct PixelRange {
    int first;
    int last; // exclusive
};

// The pixels whose centres lie in [from, to), clipped to [low, high).
PixelRange Covered(float from, float to, int low, int high) {
    const int first = static_cast<int>(std::ceil(from - 0.5f));
    const int last = static_cast<int>(std::ceil(to - 0.5f));
    return {std::max(first, low), std::min(last, high)};
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

void Fill(TPixmap& target, const PixelRect& rect, uint8_t red, uint8_t green, uint8_t blue) {
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            Put(target, x, y, red, green, blue);
        }
    }
}

void FillRect(TPixmap& target, const DrawCommand& command, const PixelRect& clip) {
    const PixelRange xs = Covered(command.x0, command.x1, clip.x, clip.x + clip.width);
    const PixelRange ys = Covered(command.y0, command.y1, clip.y, clip.y + clip.height);
    Fill(target, {xs.first, ys.first, xs.last - xs.first, ys.last - ys.first}, command.red,
         command.green, command.blue);
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

void DrawImageFrame(TPixmap& target, const DrawCommand& command, const PixelRect& clip) {
    const TPixmap& texture = command.image->DrawableFrame(command.frame);
    const PixelRange xs = Covered(command.x0, command.x1, clip.x, clip.x + clip.width);
    const PixelRange ys = Covered(command.y0, command.y1, clip.y, clip.y + clip.height);
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

// A slanted one-pixel line from start to end, the end pixel only when the command asks for it;
// only the pixels for which `shown` holds are drawn, so that a part of the window gets exactly the
// pixels the whole would.
template <class Shown>
void DrawSlantedLine(TPixmap& target, const DrawCommand& command, Shown shown) {
    const int endX = static_cast<int>(command.x1), endY = static_cast<int>(command.y1);
    WalkLine(static_cast<int>(command.x0), static_cast<int>(command.y0), endX, endY,
             [&](int x, int y) {
                 if (x == endX && y == endY && !command.lastPixel) {
                     return;
                 }
                 if (x >= 0 && y >= 0 && x < target.width && y < target.height && shown(x, y)) {
                     Put(target, x, y, command.red, command.green, command.blue);
                 }
             });
}

void RequireRgba(const TPixmap& target) {
    if (target.format != kPixelFormatRGBA8888) {
        throw std::invalid_argument("frames are rasterised into RGBA pixmaps");
    }
}

} // namespace

void RasterizeFrame(const FrameList& frame, TPixmap& target) {
    RequireRgba(target);
    const PixelRect window{0, 0, target.width, target.height};
    for (const DrawCommand& command : frame.commands) {
        switch (command.kind) {
        case DrawKind::Clear:
            target.ClearPixels(0xFF000000u | uint32_t{command.red} << 16 |
                               uint32_t{command.green} << 8 | command.blue);
            break;
        case DrawKind::Rect:
            FillRect(target, command, window);
            break;
        case DrawKind::Frame:
            DrawImageFrame(target, command, window);
            break;
        case DrawKind::Line:
            DrawSlantedLine(target, command, [](int, int) { return true; });
            break;
        }
    }
}

void RasterizeDamage(const FrameList& frame, const DamageGrid& damage, TPixmap& target) {
    RequireRgba(target);
    if (damage.Width() != target.width || damage.Height() != target.height) {
        throw std::invalid_argument("the damage is of another window's size");
    }
    constexpr int kTile = DamageGrid::kTileSize;
    const auto eachMarkedTile = [&damage](const PixelRect& area, auto&& draw) {
        if (area.IsEmpty()) {
            return;
        }
        for (int row = area.y / kTile; row <= (area.y + area.height - 1) / kTile; ++row) {
            for (int column = area.x / kTile; column <= (area.x + area.width - 1) / kTile;
                 ++column) {
                if (damage.IsMarked(column, row)) {
                    draw(damage.Tile(column, row));
                }
            }
        }
    };
    const PixelRect window{0, 0, target.width, target.height};
    eachMarkedTile(window, [&target](const PixelRect& tile) { Fill(target, tile, 0, 0, 0); });
    for (const DrawCommand& command : frame.commands) {
        const PixelRect bounds = CommandBounds(command, target.width, target.height);
        switch (command.kind) {
        case DrawKind::Clear:
            eachMarkedTile(window, [&](const PixelRect& tile) {
                Fill(target, tile, command.red, command.green, command.blue);
            });
            break;
        case DrawKind::Rect:
            eachMarkedTile(bounds, [&](const PixelRect& tile) { FillRect(target, command, tile); });
            break;
        case DrawKind::Frame:
            eachMarkedTile(bounds,
                           [&](const PixelRect& tile) { DrawImageFrame(target, command, tile); });
            break;
        case DrawKind::Line:
            DrawSlantedLine(target, command, [&damage](int x, int y) {
                return damage.IsMarked(x / kTile, y / kTile);
            });
            break;
        }
    }
}

} // namespace dm
