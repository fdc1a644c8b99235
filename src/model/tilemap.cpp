#include "model/tilemap.h"

#include <algorithm>

namespace dm {

namespace {

bool Keeps(int32_t value, int32_t force) {
    return value == 255 && force == 0;
}

// Clips the cell range [from, from + count) to [0, limit).
std::pair<int64_t, int64_t> ClipRange(int32_t from, int32_t count, int32_t limit) {
    const int64_t first = std::max<int64_t>(from, 0);
    const int64_t end = std::min<int64_t>(static_cast<int64_t>(from) + count, limit);
    return {first, end};
}

} // namespace

std::shared_ptr<tilemap> tilemap::Create(int32_t w, int32_t h) {
    auto map = std::make_shared<tilemap>();
    map->tmapw = std::max(w, 0);
    map->tmaph = std::max(h, 0);
    map->tmap.assign(3 * map->PlaneSize(), 0);
    return map;
}

std::shared_ptr<tilemap> tilemap::Copy() const {
    auto map = std::make_shared<tilemap>();
    map->drawtime = drawtime;
    map->tmapw = tmapw;
    map->tmaph = tmaph;
    map->tmap = tmap;
    map->transparentcolor = transparentcolor;
    for (const auto& particle : tplist) {
        map->tplist.push_back(std::make_shared<tparticle>(*particle));
    }
    return map;
}

int32_t tilemap::GrabTile(int32_t x, int32_t y, uint8_t& glyph, uint8_t& fg, uint8_t& bg) const {
    if (Inside(x, y)) {
        const size_t at = CellIndex(x, y);
        glyph = tmap[at];
        fg = tmap[at + PlaneSize()];
        bg = tmap[at + 2 * PlaneSize()];
    }
    return 0;
}

int32_t tilemap::GrabTileInt(int32_t x, int32_t y, int32_t& glyph, int32_t& fg, int32_t& bg) const {
    if (Inside(x, y)) {
        uint8_t g, f, b;
        GrabTile(x, y, g, f, b);
        glyph = g;
        fg = f;
        bg = b;
    }
    return 0;
}

int32_t tilemap::SetTile(int32_t x, int32_t y, uint8_t glyph, uint8_t fg, uint8_t bg,
                         int32_t force) {
    if (!Inside(x, y)) {
        return 0;
    }
    const size_t at = CellIndex(x, y);
    if (!Keeps(glyph, force)) {
        tmap[at] = glyph;
    }
    if (!Keeps(fg, force)) {
        tmap[at + PlaneSize()] = fg;
    }
    if (!Keeps(bg, force)) {
        tmap[at + 2 * PlaneSize()] = bg;
    }
    return 1;
}

int32_t tilemap::SetTiles(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t glyph, uint8_t fg,
                          uint8_t bg, int32_t force) {
    // Each write touches only its own cell, so clipping to the map changes nothing but the time.
    const auto [i0, i1] = ClipRange(x, w, tmapw);
    const auto [j0, j1] = ClipRange(y, h, tmaph);
    for (int64_t i = i0; i < i1; ++i) {
        for (int64_t j = j0; j < j1; ++j) {
            SetTile(static_cast<int32_t>(i), static_cast<int32_t>(j), glyph, fg, bg, force);
        }
    }
    return 0;
}

int32_t tilemap::SetColors(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t fg, uint8_t bg,
                           int32_t force) {
    if (Keeps(fg, force) && Keeps(bg, force)) {
        return 0;
    }
    const auto [i0, i1] = ClipRange(x, w, tmapw);
    const auto [j0, j1] = ClipRange(y, h, tmaph);
    for (int64_t i = i0; i < i1; ++i) {
        for (int64_t j = j0; j < j1; ++j) {
            const size_t at = CellIndex(i, j);
            if (!Keeps(fg, force)) {
                tmap[at + PlaneSize()] = fg;
            }
            if (!Keeps(bg, force)) {
                tmap[at + 2 * PlaneSize()] = bg;
            }
        }
    }
    return 0;
}

int32_t tilemap::Fill(int32_t glyph, int32_t fg, int32_t bg, int32_t force) {
    if (Keeps(glyph, force) && Keeps(fg, force) && Keeps(bg, force)) {
        return 0;
    }
    FillPlane(0, glyph, force);
    FillPlane(1, fg, force);
    FillPlane(2, bg, force);
    return 1;
}

int32_t tilemap::FillColor(int32_t fg, int32_t bg, int32_t force) {
    if (Keeps(fg, force) && Keeps(bg, force)) {
        return 0;
    }
    FillPlane(1, fg, force);
    FillPlane(2, bg, force);
    return 1;
}

void tilemap::FillPlane(size_t plane, int32_t value, int32_t force) {
    if (!Keeps(value, force)) {
        const auto first = tmap.begin() + static_cast<ptrdiff_t>(plane * PlaneSize());
        std::fill_n(first, PlaneSize(), static_cast<uint8_t>(value & 255));
    }
}

} // namespace dm
