#include "editor/map_edits.h"

#include "files/map_text.h"
#include "platform/text/cp437_unicode.h"
#include "platform/text/utf8.h"

namespace dm {

void PasteClip(tilemap& map, const tilemap& clip, int32_t x, int32_t y) {
    tilemap::CopyRect(clip, 0, 0, clip.tmapw, clip.tmaph, map, x, y, 1);
}

std::string MapAsText(const tilemap& map) {
    std::string text;
    for (int32_t y = 0; y < map.tmaph; ++y) {
        text += TextRow(map, y);
    }
    return text;
}

void PasteText(tilemap& map, std::string_view text, int32_t x, int32_t y, uint8_t fg, uint8_t bg) {
    int64_t column = x;
    int64_t row = y;
    for (const char32_t character : DecodeUtf8(text)) {
        if (row >= map.tmaph) {
            return;
        }
        if (character == U'\n') {
            column = x;
            ++row;
            continue;
        }
        if (character == U'\r') {
            continue;
        }
        const int glyph = character == 0 ? -1 : Cp437CodeOf(character);
        if (glyph >= 0 && column >= 0 && column < map.tmapw && row >= 0) {
            map.SetTile(static_cast<int32_t>(column), static_cast<int32_t>(row),
                        static_cast<uint8_t>(glyph), fg, bg, 1);
        }
        ++column;
    }
}

void ReplaceCells(tilemap& map, int32_t x, int32_t y, uint8_t glyph, uint8_t fg, uint8_t bg) {
    if (x < 0 || y < 0 || x >= map.tmapw || y >= map.tmaph) {
        return;
    }
    const size_t n = static_cast<size_t>(map.tmapw) * static_cast<size_t>(map.tmaph);
    uint8_t* const glyphs = map.tmap.data();
    uint8_t* const fgs = glyphs + n;
    uint8_t* const bgs = fgs + n;
    const size_t clicked = static_cast<size_t>(y) * static_cast<size_t>(map.tmapw) + x;
    const uint8_t oldGlyph = glyphs[clicked], oldFg = fgs[clicked], oldBg = bgs[clicked];
    for (size_t i = 0; i < n; ++i) {
        if (glyphs[i] == oldGlyph && fgs[i] == oldFg && bgs[i] == oldBg) {
            glyphs[i] = glyph;
            fgs[i] = fg;
            bgs[i] = bg;
        }
    }
}

} // namespace dm
