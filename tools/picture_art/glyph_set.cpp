#include "picture_art/glyph_set.h"

namespace dm {
namespace {

constexpr uint8_t kSpace = 32;
constexpr uint8_t kLastAscii = 126;
constexpr uint8_t kLightShade = 176;
constexpr uint8_t kDarkShade = 178;
constexpr uint8_t kFullBlock = 219;
constexpr uint8_t kUpperHalfBlock = 223;

std::vector<uint8_t> Range(uint8_t first, uint8_t last) {
    std::vector<uint8_t> codes;
    for (int code = first; code <= last; ++code) {
        codes.push_back(static_cast<uint8_t>(code));
    }
    return codes;
}

} // namespace

std::optional<GlyphSet> GlyphSetNamed(const std::string& name) {
    if (name == "all") {
        return GlyphSet::All;
    }
    if (name == "blocks") {
        return GlyphSet::Blocks;
    }
    if (name == "ascii") {
        return GlyphSet::Ascii;
    }
    return std::nullopt;
}

std::vector<uint8_t> GlyphCodes(GlyphSet set) {
    switch (set) {
    case GlyphSet::All:
        return Range(0, 255);
    case GlyphSet::Blocks: {
        std::vector<uint8_t> codes = {kSpace};
        for (const uint8_t code : Range(kLightShade, kDarkShade)) {
            codes.push_back(code);
        }
        for (const uint8_t code : Range(kFullBlock, kUpperHalfBlock)) {
            codes.push_back(code);
        }
        return codes;
    }
    case GlyphSet::Ascii:
        return Range(kSpace, kLastAscii);
    }
    return {};
}

} // namespace dm
