#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// Writes the whole clip into map with its top-left cell at (x, y), every cell as it is (forced,
// so 255 is written too); cells beyond the map's edges are left out.
void PasteClip(tilemap& map, const tilemap& clip, int32_t x, int32_t y);

// The map's glyphs as UTF-8 text, one line per row, each ended by a line feed: every glyph as the
// character code page 437 shows it with, glyph 0 (blank) as a space.
std::string MapAsText(const tilemap& map);

// Writes UTF-8 text into map from (x, y) in the given colours (forced), one row per line: each
// character as the code page 437 glyph that shows it. A character that no glyph shows (a tab, a
// control character) leaves its cell as it is, and the next character goes into the next cell.
// A line feed starts the next row at column x; carriage returns are passed over, so CR LF ends a
// line too. Cells beyond the map's edges are left out.
void PasteText(tilemap& map, std::string_view text, int32_t x, int32_t y, uint8_t fg, uint8_t bg);

// Gives every cell equal to cell (x, y) in glyph and both colours the glyph and colours given
// (forced). Nothing when (x, y) lies outside the map.
void ReplaceCells(tilemap& map, int32_t x, int32_t y, uint8_t glyph, uint8_t fg, uint8_t bg);

} // namespace dm
