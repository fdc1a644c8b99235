#include "platform/text/utf8.h"

#include <cstdint>

namespace dm {

namespace {

struct LeadByte {
    size_t length;    // 0: no sequence starts with this byte
    char32_t payload; // the bits the lead byte carries
    char32_t least;   // the smallest character a sequence of this length may hold
};

LeadByte ReadLead(uint8_t byte) {
    if (byte < 0x80) {
        return {1, byte, 0};
    }
    if ((byte & 0xE0) == 0xC0) {
        return {2, byte & 0x1Fu, 0x80};
    }
    if ((byte & 0xF0) == 0xE0) {
        return {3, byte & 0x0Fu, 0x800};
    }
    if ((byte & 0xF8) == 0xF0) {
        return {4, byte & 0x07u, 0x10000};
    }
    return {0, 0, 0};
}

} // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string characters;
    size_t at = 0;
    while (at < text.size()) {
        const LeadByte lead = ReadLead(static_cast<uint8_t>(text[at]));
        char32_t character = lead.payload;
        size_t read = lead.length == 0 ? 0 : 1;
        while (read > 0 && read < lead.length && at + read < text.size() &&
               (static_cast<uint8_t>(text[at + read]) & 0xC0) == 0x80) {
            character = character << 6 | (static_cast<uint8_t>(text[at + read]) & 0x3Fu);
            ++read;
        }
        const bool whole = lead.length > 0 && read == lead.length;
        const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
        if (whole && character >= lead.least && character <= 0x10FFFF && !surrogate) {
            characters += character;
            at += read;
        } else {
            ++at;
        }
    }
    return characters;
}

} // namespace dm
