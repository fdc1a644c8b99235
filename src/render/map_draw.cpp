#include "render/map_draw.h"

#include "files/palette_planes.h"
#include "platform/drawing/graphics.h"
#include "platform/drawing/timage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace dm {

namespace {

// The window's cells with the same three planes as a map, so that particles can be laid over them
// without touching the map.
struct Scratch {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> cells;

    uint8_t* Plane(int plane) { return cells.data() + static_cast<size_t>(plane) * width * height; }
};

void CopyWindow(const tilemap& map, int32_t viewx, int32_t viewy, Scratch& scratch) {
    const size_t plane = static_cast<size_t>(map.tmapw) * map.tmaph;
    scratch.cells.resize(static_cast<size_t>(3) * scratch.width * scratch.height);
    for (int p = 0; p < 3; ++p) {
        uint8_t* target = scratch.Plane(p);
        for (int32_t j = 0; j < scratch.height; ++j) {
            const uint8_t* row =
                map.tmap.data() + p * plane + static_cast<size_t>(viewy + j) * map.tmapw + viewx;
            std::copy(row, row + scratch.width, target + static_cast<size_t>(j) * scratch.width);
        }
    }
}

// Shows, ages and moves the particles inside the window; those that run out of life go.
void OverlayParticles(tilemap& map, int32_t viewx, int32_t viewy, Scratch& scratch) {
    for (auto it = map.tplist.begin(); it != map.tplist.end();) {
        tparticle* p = it->get();
        const bool inside = p && p->x >= static_cast<float>(viewx) &&
                            p->x < static_cast<float>(viewx + scratch.width) &&
                            p->y >= static_cast<float>(viewy) &&
                            p->y < static_cast<float>(viewy + scratch.height);
        if (!inside) {
            ++it;
            continue;
        }
        if (p->blinkrate == 0 || (int64_t{map.drawtime} % p->blinkrate) * 2 < p->blinkrate) {
            const size_t cell =
                static_cast<size_t>(static_cast<int32_t>(p->y) - viewy) * scratch.width +
                static_cast<size_t>(static_cast<int32_t>(p->x) - viewx);
            const uint8_t layers[3] = {p->glyph, p->color, p->bgcolor};
            for (int layer = 0; layer < 3; ++layer) {
                if (layers[layer] != 255) {
                    scratch.Plane(layer)[cell] = layers[layer];
                }
            }
        }
        if (p->life >= 0) {
            --p->life;
        }
        p->x += p->xv;
        p->y += p->yv;
        it = p->life == 0 ? map.tplist.erase(it) : std::next(it);
    }
}

} // namespace

int32_t Draw(tilemap& map, const Display& display, int32_t x, int32_t y, int32_t viewx,
             int32_t viewy, int32_t vieww, int32_t viewh) {
    const int32_t scale = display.config.scale;
    const float glyphWidth = display.tileset.GlyphWidth;
    const float glyphHeight = display.tileset.GlyphHeight;
    SetDrawScale(static_cast<float>(scale), static_cast<float>(scale));

    Scratch scratch;
    scratch.width = std::clamp(vieww == -1 ? map.tmapw : vieww, 0, map.tmapw);
    scratch.height = std::clamp(viewh == -1 ? map.tmaph : viewh, 0, map.tmaph);
    const float x0 = static_cast<float>(x) * glyphWidth * static_cast<float>(scale);
    const float y0 = static_cast<float>(y) * glyphHeight * static_cast<float>(scale);
    viewx = std::min(std::max(viewx, 0), map.tmapw - scratch.width);
    viewy = std::min(std::max(viewy, 0), map.tmaph - scratch.height);

    CopyWindow(map, viewx, viewy, scratch);
    OverlayParticles(map, viewx, viewy, scratch);

    const TImage& foreground = *display.tileset.ForegroundSheet;
    const TImage& background = *display.tileset.BackgroundSheet;
    const auto paintable = [&map](uint8_t colour) {
        return colour != kNoColor && colour != map.transparentcolor;
    };
    const uint8_t* glyphs = scratch.Plane(0);
    const uint8_t* fgs = scratch.Plane(1);
    const uint8_t* bgs = scratch.Plane(2);
    const float stepX = glyphWidth * static_cast<float>(scale);
    const float stepY = glyphHeight * static_cast<float>(scale);
    for (int32_t i = 0; i < scratch.width; ++i) {
        const float cellX = x0 + static_cast<float>(i) * stepX;
        for (int32_t j = 0; j < scratch.height; ++j) {
            const size_t cell = static_cast<size_t>(j) * scratch.width + i;
            const uint8_t g = glyphs[cell], f = fgs[cell], b = bgs[cell];
            const float cellY = y0 + static_cast<float>(j) * stepY;
            if (b == f) {
                if (paintable(f)) {
                    SetPaletteColor(display.palette, f);
                    DrawRect(cellX, cellY, glyphWidth, glyphHeight);
                }
                continue;
            }
            if (paintable(b)) {
                SetPaletteColor(display.palette, b);
                DrawFrame(background, cellX, cellY, g);
            }
            if (paintable(f)) {
                SetPaletteColor(display.palette, f);
                DrawFrame(foreground, cellX, cellY, g);
            }
        }
    }
    map.drawtime = static_cast<int32_t>(static_cast<uint32_t>(map.drawtime) + 1);
    SetDrawScale(1, 1);
    return 0;
}

} // namespace dm
