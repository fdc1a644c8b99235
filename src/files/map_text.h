#pragma once

#include "files/color_match.h"
#include "model/tilemap.h"

#include <cstdint>
#include <string>

// Maps as text: glyphs as characters, colours as 24-bit SGR escape sequences.
namespace dm {

// Where ANSI text is going: an .ans file (code page 437 bytes, CR LF line ends) or a UTF-8
// terminal (LF line ends).
enum class AnsiTarget { File, Terminal };

// Row y of the map as ANSI text: each cell's glyph, preceded by the sequence that sets its
// foreground and background whenever they change along the row, then a reset and the line end.
// Colour 255 is not painted: a background of 255 is the terminal's own, and a cell whose
// foreground is 255 shows a space.
std::string AnsiRow(const tilemap& map, int32_t y, const PalettePlanes& palette, AnsiTarget target);

// Row y of the map's glyphs as UTF-8 text ending in LF.
std::string TextRow(const tilemap& map, int32_t y);

} // namespace dm
