#pragma once

#include <string>
#include <string_view>

namespace dm {

// The characters of UTF-8 text. Bytes that do not form a well-made sequence (a stray continuation
// byte, a sequence cut short, an overlong form, a surrogate, a value beyond U+10FFFF) are skipped.
std::u32string DecodeUtf8(std::string_view text);

} // namespace dm
