#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <memory>
#include <ostream>

namespace dm::test {

struct Tile {
    int32_t glyph = 0;
    int32_t fg = 0;
    int32_t bg = 0;

    bool operator==(const Tile&) const = default;
};

inline void PrintTo(const Tile& tile, std::ostream* out) {
    *out << "{" << tile.glyph << ", " << tile.fg << ", " << tile.bg << "}";
}

inline Tile TileAt(const tilemap& map, int32_t x, int32_t y) {
    Tile tile{-1, -1, -1};
    map.GrabTileInt(x, y, tile.glyph, tile.fg, tile.bg);
    return tile;
}

// A map whose cells all differ: glyph x + 16 y, foreground 100 + x, background 200 + y.
inline std::shared_ptr<tilemap> NumberedMap(int32_t w, int32_t h) {
    auto map = tilemap::Create(w, h);
    for (int32_t x = 0; x < w; ++x) {
        for (int32_t y = 0; y < h; ++y) {
            map->SetTile(x, y, static_cast<uint8_t>(x + 16 * y), static_cast<uint8_t>(100 + x),
                         static_cast<uint8_t>(200 + y), 1);
        }
    }
    return map;
}

} // namespace dm::test
