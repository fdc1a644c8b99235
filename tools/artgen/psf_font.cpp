#include "psf_font.h"

#include <zlib.h>

namespace dm {
namespace {

constexpr uint8_t kMagic0 = 0x36;
constexpr uint8_t kMagic1 = 0x04;
constexpr uint8_t kMode512 = 0x01;
constexpr uint8_t kModeHasTable = 0x02;
constexpr uint8_t kModeHasSequences = 0x04;
constexpr size_t kHeaderSize = 4;
constexpr uint16_t kSequenceStart = 0xFFFE;
constexpr uint16_t kGlyphEnd = 0xFFFF;

// The largest PSF1 font is 512 glyphs of 255 rows plus its table; anything far beyond is not one.
constexpr size_t kMaxFileBytes = 1 << 20;

} // namespace

std::optional<Glyph> PsfFont::GlyphFor(char32_t character) const {
    const auto found = glyphOfCharacter.find(character);
    if (found == glyphOfCharacter.end() || height != kGlyphHeight) {
        return std::nullopt;
    }
    Glyph glyph;
    const size_t first = static_cast<size_t>(found->second) * kGlyphHeight;
    for (int y = 0; y < kGlyphHeight; ++y) {
        glyph.rows[y] = bitmaps[first + y];
    }
    return glyph;
}

Expected<PsfFont> ParsePsfFont(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize || bytes[0] != kMagic0 || bytes[1] != kMagic1) {
        return Failure{"not a PSF1 font"};
    }
    const uint8_t mode = bytes[2];
    PsfFont font;
    font.height = bytes[3];
    font.glyphCount = (mode & kMode512) != 0 ? 512 : 256;
    if ((mode & (kModeHasTable | kModeHasSequences)) == 0) {
        return Failure{"the font has no Unicode table"};
    }
    const size_t bitmapBytes = static_cast<size_t>(font.glyphCount) * font.height;
    if (font.height == 0 || bytes.size() < kHeaderSize + bitmapBytes) {
        return Failure{"the font's glyphs are cut short"};
    }
    font.bitmaps.assign(bytes.begin() + kHeaderSize, bytes.begin() + kHeaderSize + bitmapBytes);

    size_t at = kHeaderSize + bitmapBytes;
    for (int glyph = 0; glyph < font.glyphCount; ++glyph) {
        bool inSequences = false;
        for (;;) {
            if (at + 2 > bytes.size()) {
                return Failure{"the font's Unicode table is cut short"};
            }
            const uint16_t value = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
            at += 2;
            if (value == kGlyphEnd) {
                break;
            }
            if (value == kSequenceStart) {
                inSequences = true; // combining sequences name no single character
            } else if (!inSequences) {
                font.glyphOfCharacter.try_emplace(value, glyph);
            }
        }
    }
    return font;
}

Expected<PsfFont> LoadPsfFont(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        return Failure{"cannot open " + path};
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[16384];
    int got = 0;
    while ((got = gzread(file, chunk, sizeof chunk)) > 0 && bytes.size() <= kMaxFileBytes) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    gzclose(file);
    if (got < 0) {
        return Failure{"cannot read " + path};
    }
    if (bytes.size() > kMaxFileBytes) {
        return Failure{path + " is too large for a console font"};
    }
    Expected<PsfFont> font = ParsePsfFont(bytes);
    if (!font) {
        return Failure{path + ": " + font.Why()};
    }
    return font;
}

} // namespace dm
