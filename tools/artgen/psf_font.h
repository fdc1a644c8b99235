#pragma once

#include "platform/expected.h"

#include "glyph.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace dm {

// A console font in PSF version 1: 256 or 512 glyphs, 8 pixels wide, with the table that names
// the Unicode characters each glyph shows.
struct PsfFont {
    int height = 0;
    int glyphCount = 0;
    std::vector<uint8_t> bitmaps;                       // glyph after glyph, one byte per row
    std::unordered_map<char32_t, int> glyphOfCharacter; // the first glyph naming the character

    // The glyph showing the character; null when the font has none or its glyphs are not
    // kGlyphHeight rows high.
    std::optional<Glyph> GlyphFor(char32_t character) const;
};

// Parses the bytes of an uncompressed PSF1 font. Fails, saying why, for any other data, a font
// without its Unicode table, or a truncated file.
Expected<PsfFont> ParsePsfFont(std::span<const uint8_t> bytes);

// Reads a PSF1 font file, gzip-compressed (as Debian ships them) or plain.
Expected<PsfFont> LoadPsfFont(const std::string& path);

} // namespace dm
