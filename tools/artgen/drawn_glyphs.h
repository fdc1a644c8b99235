#pragma once

#include "glyph.h"

#include <optional>

namespace dm {

// The shade (176-178), box-drawing (179-218) and block (219-223) glyphs, drawn from their
// geometry so that lines and fills meet exactly at the cell edges. Null for any other code.
std::optional<Glyph> DrawnGlyph(int code);

} // namespace dm
