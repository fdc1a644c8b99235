#include "tileset_glyphs.h"

#include "drawn_glyphs.h"
#include "supplement_glyphs.h"

#include "platform/text/cp437_unicode.h"

#include <cstdio>

namespace dm {
namespace {

bool IsBlankCode(int code) {
    return code == 0 || code == 32 || code == 255;
}

std::string CharacterName(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    return name;
}

} // namespace

Expected<GlyphSet> BuildTilesetGlyphs(const PsfFont& font) {
    if (font.height != kGlyphHeight) {
        return Failure{"the font's glyphs are " + std::to_string(font.height) + " rows high, not " +
                       std::to_string(kGlyphHeight)};
    }
    GlyphSet glyphs{};
    for (int code = 0; code < kGlyphCount; ++code) {
        if (IsBlankCode(code)) {
            continue;
        }
        std::optional<Glyph> glyph = DrawnGlyph(code);
        if (!glyph) {
            glyph = SupplementGlyph(code);
        }
        if (!glyph) {
            glyph = font.GlyphFor(kCp437ToUnicode[code]);
        }
        if (!glyph || glyph->IsBlank()) {
            return Failure{"the font has no visible glyph for code " + std::to_string(code) + " (" +
                           CharacterName(kCp437ToUnicode[code]) + ")"};
        }
        glyphs[code] = *glyph;
    }
    return glyphs;
}

} // namespace dm
