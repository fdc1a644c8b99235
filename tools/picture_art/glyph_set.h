#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dm {

// The glyphs a conversion may choose from.
enum class GlyphSet {
    All,    // every glyph of the tileset
    Blocks, // the space, the three shades and the full and half blocks: colour, hardly shape
    Ascii,  // the printable characters 32-126
};

// The set of that name ("all", "blocks", "ascii"), if there is one.
std::optional<GlyphSet> GlyphSetNamed(const std::string& name);

// The glyph codes of a set, ascending.
std::vector<uint8_t> GlyphCodes(GlyphSet set);

} // namespace dm
