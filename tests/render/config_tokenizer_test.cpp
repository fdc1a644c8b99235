#include "render/config_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(ConfigTokenizer, KeywordAndOneArgumentBySpaceOrComma) {
    for (const std::string line : {"WIDTH 80", "width,80", "  width\t80  ", "width\t\t80"}) {
        const Parsed p = Parse(line);
        EXPECT_EQ(p.keyword, line.find('W') != std::string::npos ? "WIDTH" : "width") << line;
        EXPECT_EQ(p.args.count, 1) << line;
        EXPECT_EQ(p.args.slot[0], "80") << line;
        EXPECT_EQ(p.warning, "") << line;
    }
}

TEST(ConfigTokenizer, KeywordAloneOrWithEmptyArgumentHasNoArguments) {
    EXPECT_EQ(Parse("width").args.count, 0);
    EXPECT_EQ(Parse("width   ").args.count, 0);
    EXPECT_EQ(Parse("title \"\"").args.count, 0);
    const Parsed comma = Parse("width ,80");
    EXPECT_EQ(comma.args.count, 2);
    EXPECT_EQ(comma.args.slot[0], "");
    EXPECT_EQ(comma.args.slot[1], "80");
}

TEST(ConfigTokenizer, SpacesInsideArgumentsStayAndAroundCommasGo) {
    const Parsed p = Parse("title My Map");
    EXPECT_EQ(p.args.slot[0], "My Map");
    EXPECT_EQ(p.args.count, 1);
    const Parsed list = Parse("pos  1 ,  2 ,3  ");
    EXPECT_EQ(list.args.count, 3);
    EXPECT_EQ(list.args.slot[0], "1");
    EXPECT_EQ(list.args.slot[1], "2");
    EXPECT_EQ(list.args.slot[2], "3");
}

TEST(ConfigTokenizer, QuotedTextKeepsCommasAndForeignCharacters) {
    const Parsed hello = Parse("title \"Hello, world\"");
    EXPECT_EQ(hello.args.count, 1);
    EXPECT_EQ(hello.args.slot[0], "Hello, world");

    const Parsed unquoted = Parse("title Hello, world");
    EXPECT_EQ(unquoted.args.count, 2);
    EXPECT_EQ(unquoted.args.slot[0], "Hello");
    EXPECT_EQ(unquoted.args.slot[1], "world");

    EXPECT_EQ(Parse("title \"a=b?<>\xE9\"").args.slot[0], "a=b?<>\xE9");
    EXPECT_EQ(Parse("title \"ab\"cd").args.slot[0], "abcd");
    EXPECT_EQ(Parse("title \"  padded  \"").args.slot[0], "padded");
    EXPECT_EQ(Parse("title \"a\",\"b\"").args.slot[1], "b");
}

TEST(ConfigTokenizer, CharactersOutsideTheAcceptedSetVanishOutsideQuotes) {
    EXPECT_EQ(Parse("title Caf=e?").args.slot[0], "Cafe");
    EXPECT_EQ(Parse("title a<b>c\xE9\x01").args.slot[0], "abc");
    EXPECT_EQ(Parse("wi=d?th 80").keyword, "width");
    EXPECT_EQ(Parse("wi\"dth 80").keyword, "width");
    EXPECT_EQ(Parse("title ~`/\\.!@#$%^&*()[]{}|:'_-+;").args.slot[0],
              "~`/\\.!@#$%^&*()[]{}|:'_-+;");
}

TEST(ConfigTokenizer, FirstDoubleSlashOutsideQuotesStartsAComment) {
    const Parsed trailing = Parse("width 80 // wider");
    EXPECT_EQ(trailing.args.count, 1);
    EXPECT_EQ(trailing.args.slot[0], "80");

    const Parsed inKeyword = Parse("width//80");
    EXPECT_EQ(inKeyword.keyword, "width");
    EXPECT_EQ(inKeyword.args.count, 0);

    // Only the first "//" counts; inside quotes it leaves the line without a comment.
    EXPECT_EQ(Parse("title \"a//b\" c // d").args.slot[0], "a//b c // d");
    EXPECT_EQ(Parse("title a/b").args.slot[0], "a/b");
}

TEST(ConfigTokenizer, LineStartingWithCommentGivesEmptyKeyword) {
    for (const std::string line : {"// note", "  // note", "\t//", "//width 80"}) {
        const Parsed p = Parse(line);
        EXPECT_EQ(p.keyword, "") << line;
        EXPECT_EQ(p.args.count, 0) << line;
    }
    EXPECT_EQ(Parse("    ").keyword, "");
}

TEST(ConfigTokenizer, TenArgumentsFitAndTheEleventhOnlyCounts) {
    const Parsed ten = Parse("k 1,2,3,4,5,6,7,8,9,10");
    EXPECT_EQ(ten.args.count, 10);
    EXPECT_EQ(ten.args.slot[0], "1");
    EXPECT_EQ(ten.args.slot[9], "10");

    const Parsed eleven = Parse("k 1,2,3,4,5,6,7,8,9,10,11,12");
    EXPECT_EQ(eleven.args.count, 11);
    EXPECT_EQ(eleven.args.slot[9], "10");

    const Parsed commas = Parse("k,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,");
    EXPECT_EQ(commas.args.count, 11);
}

TEST(ConfigTokenizer, EarlierArgumentsAreClearedOnEveryCall) {
    ConfigArgs args;
    testing::internal::CaptureStderr();
    ParseConfigLine("k a,b,c", kWhere, args);
    ParseConfigLine("k x", kWhere, args);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(args.count, 1);
    EXPECT_EQ(args.slot[0], "x");
    EXPECT_EQ(args.slot[1], "");
    EXPECT_EQ(args.slot[2], "");
}

TEST(ConfigTokenizer, UnterminatedStringWarnsAndKeepsThePartialArgument) {
    const Parsed abc = Parse("title \"abc");
    EXPECT_EQ(abc.keyword, "title");
    EXPECT_EQ(abc.args.count, 1);
    EXPECT_EQ(abc.args.slot[0], "abc");
    EXPECT_EQ(abc.warning,
              "Improperly teminated string on line 4 of dmdata\\graphics.txt ( abc )\n");

    const Parsed spaced = Parse("title \"  My Map, \"there");
    EXPECT_EQ(spaced.args.slot[0], "My Map, there");
    EXPECT_EQ(spaced.warning, "");
    const Parsed open = Parse("title x,\" My Map, // ");
    EXPECT_EQ(open.args.count, 2);
    EXPECT_EQ(open.args.slot[1], "My Map, //");
    EXPECT_EQ(open.warning,
              "Improperly teminated string on line 4 of dmdata\\graphics.txt ( My Map, // )\n");

    // A lone quote leaves an empty argument that still counts.
    const Parsed lone = Parse("title \"");
    EXPECT_EQ(lone.args.count, 1);
    EXPECT_EQ(lone.args.slot[0], "");
    EXPECT_EQ(lone.warning, "Improperly teminated string on line 4 of dmdata\\graphics.txt (  )\n");
}

} // namespace
} // namespace dm
