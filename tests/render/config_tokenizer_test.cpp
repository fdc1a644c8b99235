#include "render/config_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

constexpr const char* kWhere = "on line 4 of dmdata\\graphics.txt";

struct Parsed {
    std::string keyword;
    ConfigArgs args;
    std::string warning;
};

Parsed Parse(const std::string& line) {
    Parsed parsed;
    testing::internal::CaptureStderr();
    parsed.keyword = ParseConfigLine(line, kWhere, parsed.args);
    parsed.warning = testing::internal::GetCapturedStderr();
    return parsed;
}

struct LineCase {
    std::string line;
    std::string keyword;
    std::vector<std::string> args;
    // The argument text the unterminated-string warning shows, or nullptr for no warning.
    const char* unterminated = nullptr;
};

TEST(ConfigTokenizer, SplitsLinesIntoKeywordAndArguments) {
    const LineCase cases[] = {
        // Space, comma and tab separate; blanks around the line and around commas go.
        {"WIDTH 80", "WIDTH", {"80"}},
        {"width,80", "width", {"80"}},
        {"  width\t80  ", "width", {"80"}},
        {"width\t\t80", "width", {"80"}},
        {"title My Map", "title", {"My Map"}},
        {"pos  1 ,  2 ,3  ", "pos", {"1", "2", "3"}},
        // A keyword alone or with one empty argument has none; a comma after a blank adds one.
        {"width", "width", {}},
        {"width   ", "width", {}},
        {"title \"\"", "title", {}},
        {"width ,80", "width", {"", "80"}},
        {"    ", "", {}},
        // Quoted text keeps commas and characters dropped elsewhere, but not outer blanks.
        {"title \"Hello, world\"", "title", {"Hello, world"}},
        {"title Hello, world", "title", {"Hello", "world"}},
        {"title \"a=b?<>\xE9\"", "title", {"a=b?<>\xE9"}},
        {"title \"ab\"cd", "title", {"abcd"}},
        {"title \"  padded  \"", "title", {"padded"}},
        {"title \"a\",\"b\"", "title", {"a", "b"}},
        // Outside quotes only the accepted characters stay.
        {"title Caf=e?", "title", {"Cafe"}},
        {"title a<b>c\xE9\x01", "title", {"abc"}},
        {"wi=d?th 80", "width", {"80"}},
        {"wi\"dth 80", "width", {"80"}},
        {"title ~`/\\.!@#$%^&*()[]{}|:'_-+;", "title", {"~`/\\.!@#$%^&*()[]{}|:'_-+;"}},
        // The first "//" outside quotes starts a comment; inside quotes there is none.
        {"width 80 // wider", "width", {"80"}},
        {"width//80", "width", {}},
        {"title \"a//b\" c // d", "title", {"a//b c // d"}},
        {"title a/b", "title", {"a/b"}},
        {"// note", "", {}},
        {"  // note", "", {}},
        {"\t//", "", {}},
        {"//width 80", "", {}},
        {"k 1,2,3,4,5,6,7,8,9,10", "k", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        // An unterminated string warns and keeps what it holds; a lone quote still counts.
        {"title \"abc", "title", {"abc"}, "abc"},
        {"title \"  My Map, \"there", "title", {"My Map, there"}},
        {"title x,\" My Map, // ", "title", {"x", "My Map, //"}, "My Map, //"},
        {"title \"", "title", {""}, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        const Parsed p = Parse(c.line);
        EXPECT_EQ(p.keyword, c.keyword);
        EXPECT_EQ(p.args.count, static_cast<int>(c.args.size()));
        for (int i = 0; i < kConfigSlots; ++i) {
            EXPECT_EQ(p.args.slot[i], i < static_cast<int>(c.args.size()) ? c.args[i] : "") << i;
        }
        EXPECT_EQ(p.warning, c.unterminated == nullptr ? ""
                                                       : "Improperly teminated string on line 4 of "
                                                         "dmdata\\graphics.txt ( " +
                                                             std::string(c.unterminated) + " )\n");
    }
}

TEST(ConfigTokenizer, AnEleventhArgumentOnlyCountsAndEarlierArgumentsAreCleared) {
    const Parsed eleven = Parse("k 1,2,3,4,5,6,7,8,9,10,11,12");
    EXPECT_EQ(eleven.args.count, 11);
    EXPECT_EQ(eleven.args.slot[9], "10");
    EXPECT_EQ(Parse("k,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,").args.count,
              11);

    ConfigArgs args;
    ParseConfigLine("k a,b,c", kWhere, args);
    ParseConfigLine("k x", kWhere, args);
    EXPECT_EQ(args.count, 1);
    EXPECT_EQ(args.slot[0], "x");
    EXPECT_EQ(args.slot[1], "");
    EXPECT_EQ(args.slot[2], "");
}

} // namespace
} // namespace dm
