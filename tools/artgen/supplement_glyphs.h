#pragma once

#include "glyph.h"

#include <optional>

namespace dm {

// Hand-drawn glyphs for the codes whose characters the console font lacks or shows only as a
// stand-in (its triangles are arrows, its pilcrow is blank). Null for any other code.
std::optional<Glyph> SupplementGlyph(int code);

} // namespace dm
