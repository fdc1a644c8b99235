#include "files/map_text.h"

#include "platform/text/cp437_unicode.h"

#include <optional>

namespace dm {
namespace {

using Color = std::optional<Rgb>; // empty: the terminal's own colour

std::string Utf8(char32_t character) {
    const auto c = static_cast<uint32_t>(character);
    std::string bytes;
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | c >> 6);
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xE0 | c >> 12);
        bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
    return bytes;
}

// Glyph 0 is blank, but NUL is no character of text.
std::string GlyphUtf8(uint8_t glyph) {
    return glyph == 0 ? std::string(" ") : Utf8(kCp437ToUnicode[glyph]);
}

// The bytes that readers of .ans files act on rather than show (NUL, backspace, tab, line feed,
// carriage return, end of file, escape) are written as spaces.
char GlyphCp437(uint8_t glyph) {
    switch (glyph) {
    case 0:
    case 8:
    case 9:
    case 10:
    case 13:
    case 26:
    case 27:
        return ' ';
    default:
        return static_cast<char>(glyph);
    }
}

std::string ColorParameters(const Color& color, const char* custom, const char* standard) {
    if (!color) {
        return standard;
    }
    return std::string(custom) + ";2;" + std::to_string(color->red) + ";" +
           std::to_string(color->green) + ";" + std::to_string(color->blue);
}

} // namespace

std::string AnsiRow(const tilemap& map, int32_t y, const PalettePlanes& palette,
                    AnsiTarget target) {
    const size_t plane = static_cast<size_t>(map.tmapw) * static_cast<size_t>(map.tmaph);
    const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(map.tmapw);
    Color fg;
    Color bg;
    std::string text;
    for (size_t cell = rowStart; cell < rowStart + static_cast<size_t>(map.tmapw); ++cell) {
        const uint8_t glyph = map.tmap[cell];
        const uint8_t fgIndex = map.tmap[plane + cell];
        const uint8_t bgIndex = map.tmap[2 * plane + cell];
        const bool painted = fgIndex != kNoColor;
        // An unpainted glyph needs no foreground, so the current one stays.
        const Color cellFg = painted ? Color(PaletteColor(palette, fgIndex)) : fg;
        const Color cellBg = bgIndex != kNoColor ? Color(PaletteColor(palette, bgIndex)) : Color();
        if (cellFg != fg || cellBg != bg) {
            fg = cellFg;
            bg = cellBg;
            text += "\x1b[" + ColorParameters(fg, "38", "39") + ";" +
                    ColorParameters(bg, "48", "49") + "m";
        }
        const uint8_t shown = painted ? glyph : uint8_t{' '};
        if (target == AnsiTarget::File) {
            text += GlyphCp437(shown);
        } else {
            text += GlyphUtf8(shown);
        }
    }
    text += "\x1b[0m";
    text += target == AnsiTarget::File ? "\r\n" : "\n";
    return text;
}

std::string TextRow(const tilemap& map, int32_t y) {
    const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(map.tmapw);
    std::string text;
    for (size_t cell = rowStart; cell < rowStart + static_cast<size_t>(map.tmapw); ++cell) {
        text += GlyphUtf8(map.tmap[cell]);
    }
    return text + "\n";
}

} // namespace dm
