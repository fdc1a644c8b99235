#include "platform/text/utf8.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Feeds arbitrary bytes to the decoder of typed text, which must give only Unicode scalar values
// (no surrogates, nothing beyond U+10FFFF) and never more characters than there were bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u32string characters =
        dm::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    if (characters.size() > size)
        __builtin_trap();
    for (const char32_t c : characters) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            __builtin_trap();
    }
    return 0;
}
