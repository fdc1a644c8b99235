#include "platform/text/terminal_text.h"

#include <cstdint>

namespace dm {
namespace {

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of two or more bytes starting at text[at], or 0.
// Overlong forms, surrogates, code points above U+10FFFF and the C1 controls do not count.
size_t SequenceLength(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    size_t length = 0;
    uint8_t low = 0x80; // the range the second byte must lie in
    uint8_t high = 0xBF;
    if (lead == 0xC2) {
        length = 2;
        low = 0xA0; // C2 80 to C2 9F are the C1 controls
    } else if (lead >= 0xC3 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    const auto second = static_cast<uint8_t>(text[at + 1]);
    if (second < low || second > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(static_cast<uint8_t>(text[at + i]))) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string EscapeForTerminal(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<uint8_t>(text[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += static_cast<char>(byte);
            ++at;
            continue;
        }
        const size_t length = byte >= 0x80 ? SequenceLength(text, at) : 0;
        if (length > 0) {
            shown.append(text.substr(at, length));
            at += length;
            continue;
        }
        shown += "\\x";
        shown += kHex[byte >> 4];
        shown += kHex[byte & 15];
        ++at;
    }
    return shown;
}

} // namespace dm
