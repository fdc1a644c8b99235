#pragma once

#include "glyph.h"
#include "psf_font.h"

#include <array>
#include <optional>
#include <string>

namespace dm {

using GlyphSet = std::array<Glyph, kGlyphCount>;

// The 256 glyphs of the code page 437 tileset. Codes 0, 32 and 255 stay blank; shades, lines
// and blocks are drawn; the few characters the font lacks come from the hand-drawn supplement;
// everything else is the font's glyph for the code's Unicode character. Null with a message in
// error when the font's glyphs are not 8 x 14 or it lacks a character or shows it blank.
Expected<GlyphSet> BuildTilesetGlyphs(const PsfFont& font);

} // namespace dm
