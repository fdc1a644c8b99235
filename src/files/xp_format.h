#pragma once

#include "files/color_match.h"
#include "files/tilemap_file.h"
#include "model/tilemap.h"
#include "platform/io/stream.h"

#include <cstdint>
#include <memory>

// The .xp layered image of roguelike engines and text-art tools: a gzip stream holding a negative
// version, a layer count, then per layer its width and height and its cells column by column,
// each a glyph code and foreground and background red, green and blue bytes. All integers are
// 32-bit little-endian.
namespace dm {

inline constexpr int32_t kXpVersion = -1;
inline constexpr int64_t kXpCellBytes = 4 + 3 + 3;
// A background of this colour marks a transparent cell.
inline constexpr Rgb kXpTransparent{255, 0, 255};
// Declared layer counts above this are refused, which bounds the work one image can ask for.
inline constexpr int32_t kMaxXpLayers = 64;
// As the layer of ReadXp: every layer, flattened.
inline constexpr int kXpAllLayers = -1;

// Writes the map as a one-layer .xp image. Each palette index becomes its colour; a background
// of 255 becomes the transparent colour and a foreground of 255 takes the background's colour,
// so nothing shows of a glyph that the editor would not paint either. Throws
// TStreamWriteException when out cannot take the bytes.
void WriteXp(const tilemap& map, const PalettePlanes& palette, TStream& out);

// Reads layer `layer` (counted from 0 at the bottom) of an .xp image, or with kXpAllLayers every
// layer flattened: a cell of an upper layer replaces the one below unless its background is
// transparent, and layers of different sizes are refused. Colours become the nearest palette
// index among 0-254 and transparent backgrounds 255. Sizes and counts are checked against the
// map limits and against what the rest of the input can inflate to before anything is
// allocated. Fails, saying why in words for the user, for an image that is not gzip, damaged, cut
// short, out of limits, or holding glyph codes above 255. Never throws.
Expected<std::shared_ptr<tilemap>> ReadXp(TStream& in, const PalettePlanes& palette, int layer);

} // namespace dm
