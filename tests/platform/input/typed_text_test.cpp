#include "platform/text/cp437_unicode.h"
#include "platform/text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

TEST(Utf8, WellMadeSequencesBecomeCharactersAndEverythingElseIsSkipped) {
    const std::pair<std::string, std::u32string> cases[] = {
        {"", U""},
        {"Hi!", U"Hi!"},
        {"\xC3\xA9\xC2\xA3\xE2\x96\x91", U"\u00E9\u00A3\u2591"},
        {"\xF0\x9F\x98\x80z", U"\U0001F600z"},
        {"\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
        // A stray continuation byte, a cut sequence, bytes that start nothing.
        {"a\x80"
         "b",
         U"ab"},
        {"\xE2\x96"
         "c",
         U"c"},
        {"\xE2\x96", U""},
        {"\xFF\xFE"
         "d",
         U"d"},
        // Overlong forms, a surrogate and a value beyond U+10FFFF.
        {"\xC0\xAF"
         "e",
         U"e"},
        {"\xE0\x80\xAF", U""},
        {"\xED\xA0\x80"
         "f",
         U"f"},
        {"\xF4\x90\x80\x80"
         "g",
         U"g"},
    };
    for (const auto& [text, characters] : cases) {
        EXPECT_EQ(DecodeUtf8(text), characters) << testing::PrintToString(text);
    }
}

TEST(Cp437, EveryGlyphsCharacterLeadsBackToItsCodeAndOthersToNone) {
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(Cp437CodeOf(kCp437ToUnicode[static_cast<size_t>(code)]), code) << code;
    }
    for (const char32_t none :
         {U'\u0001', U'\u001B', U'\u007F', U'\u00E3', U'\u20AC', U'\U0001F600'}) {
        EXPECT_EQ(Cp437CodeOf(none), -1) << static_cast<uint32_t>(none);
    }
}

} // namespace
} // namespace dm
