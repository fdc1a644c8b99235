#include "platform/text/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

TEST(TerminalText, BytesATerminalActsOnAreEscapedAndUtf8TextStays) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"plain text, 100% ~ok~", "plain text, 100% ~ok~"},
        {"\033c\007", "\\x1bc\\x07"}, // a terminal reset and a bell
        {"a\tb\r\nc\0d\x7f"s, "a\\x09b\\x0d\\x0ac\\x00d\\x7f"},
        {"caf\xc3\xa9 \xe2\x94\x80 \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x94\x80 \xf0\x9f\x98\x80"},
        {"\xc2\2332J \xc2\xa0", "\\xc2\\x9b2J \xc2\xa0"},        // C1 CSI written in UTF-8
        {"\2332J", "\\x9b2J"},                                   // C1 CSI as a lone byte
        {"\xc3(", "\\xc3("},                                     // a lead without its continuation
        {"\xe2\x94", "\\xe2\\x94"},                              // cut short at the end
        {"\xc0\xaf \xe0\x80\xaf", "\\xc0\\xaf \\xe0\\x80\\xaf"}, // overlong forms
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                     // a surrogate
        {"\xf4\x90\x80\x80 \xf8", "\\xf4\\x90\\x80\\x80 \\xf8"}, // beyond U+10FFFF
        {"", ""},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(EscapeForTerminal(text), shown);
    }
}

} // namespace
} // namespace dm
