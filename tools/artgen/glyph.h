#pragma once

#include "files/glyph_sheet.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace dm {

inline constexpr int kGlyphWidth = 8;
inline constexpr int kGlyphHeight = 14;

// One monochrome 8 x 14 glyph; bit 7 of a row byte is its leftmost pixel.
struct Glyph {
    std::array<uint8_t, kGlyphHeight> rows{};

    bool Get(int x, int y) const { return (rows[y] >> (kGlyphWidth - 1 - x) & 1) != 0; }
    void Set(int x, int y) { rows[y] |= static_cast<uint8_t>(0x80 >> x); }
    // Sets the pixels of the rectangle between the two corners, both included.
    void Fill(int x0, int y0, int x1, int y1);
    bool IsBlank() const;

    bool operator==(const Glyph&) const = default;
};

// A glyph drawn as text: kGlyphHeight rows of kGlyphWidth characters, '#' for a set pixel and
// anything else for a clear one. A picture of the wrong length gives a blank glyph.
Glyph GlyphFromPicture(std::string_view picture);

} // namespace dm
