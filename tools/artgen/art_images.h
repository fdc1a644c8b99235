#pragma once

#include "palette_design.h"
#include "platform/pictures/pixmap.h"
#include "tileset_glyphs.h"

#include <memory>

namespace dm {

// A tileset sheet as an RGB picture of 16 x 16 glyph cells, code g in column g mod 16 and row
// g div 16: glyph pixels in ink, all others in paper. Null when out of memory.
std::shared_ptr<TPixmap> RenderSheet(const GlyphSet& glyphs, uint32_t ink, uint32_t paper);

// The palette as a 16 x 16 RGB picture, index i at column i mod 16 and row i div 16.
std::shared_ptr<TPixmap> RenderPalette(const std::array<uint32_t, kPaletteSize>& colours);

} // namespace dm
