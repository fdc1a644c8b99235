#include "glyph.h"

#include <algorithm>

namespace dm {

void Glyph::Fill(int x0, int y0, int x1, int y1) {
    for (int y = std::max(y0, 0); y <= std::min(y1, kGlyphHeight - 1); ++y) {
        for (int x = std::max(x0, 0); x <= std::min(x1, kGlyphWidth - 1); ++x) {
            Set(x, y);
        }
    }
}

bool Glyph::IsBlank() const {
    return std::all_of(rows.begin(), rows.end(), [](uint8_t row) { return row == 0; });
}

Glyph GlyphFromPicture(std::string_view picture) {
    Glyph glyph;
    if (picture.size() != static_cast<size_t>(kGlyphWidth * kGlyphHeight)) {
        return glyph;
    }
    for (int y = 0; y < kGlyphHeight; ++y) {
        for (int x = 0; x < kGlyphWidth; ++x) {
            if (picture[y * kGlyphWidth + x] == '#') {
                glyph.Set(x, y);
            }
        }
    }
    return glyph;
}

} // namespace dm
