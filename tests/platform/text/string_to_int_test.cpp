#include "platform/text/string_to_int.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

TEST(StringToInt, ReadsDecimalWithSignAndStopsAtFirstOtherCharacter) {
    EXPECT_EQ(StringToInt("  -12x"), -12);
    EXPECT_EQ(StringToInt("+7"), 7);
    EXPECT_EQ(StringToInt("42"), 42);
    EXPECT_EQ(StringToInt("\t\n 9 9"), 9);
    EXPECT_EQ(StringToInt("007"), 7);
    EXPECT_EQ(StringToInt("12.9"), 12);
}

TEST(StringToInt, NoDigitGivesZero) {
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt("abc"), 0);
    EXPECT_EQ(StringToInt("-"), 0);
    EXPECT_EQ(StringToInt("+-3"), 0);
    EXPECT_EQ(StringToInt("- 3"), 0);
    EXPECT_EQ(StringToInt("$"), 0);
    EXPECT_EQ(StringToInt("%2"), 0);
    EXPECT_EQ(StringToInt("x12"), 0);
}

TEST(StringToInt, ReadsHexadecimalAndBinaryPrefixes) {
    EXPECT_EQ(StringToInt("$ff"), 255);
    EXPECT_EQ(StringToInt("$FF"), 255);
    EXPECT_EQ(StringToInt("$1aG"), 26);
    EXPECT_EQ(StringToInt("-$10"), -16);
    EXPECT_EQ(StringToInt("%101"), 5);
    EXPECT_EQ(StringToInt("%1012"), 5);
    EXPECT_EQ(StringToInt(" +%11"), 3);
    EXPECT_EQ(StringToInt("$$1"), 0);
    EXPECT_EQ(StringToInt("12$4"), 12);
}

TEST(StringToInt, OverflowWrapsIn32Bits) {
    EXPECT_EQ(StringToInt("2147483647"), 2147483647);
    EXPECT_EQ(StringToInt("2147483648"), -2147483647 - 1);
    EXPECT_EQ(StringToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(StringToInt("4294967297"), 1);
    EXPECT_EQ(StringToInt("$ffffffff"), -1);
    EXPECT_EQ(StringToInt("$123456789"), 0x23456789);
    EXPECT_EQ(StringToInt("99999999999"), 1215752191);
    EXPECT_EQ(StringToInt("%1" + std::string(32, '0') + "1"), 1);
}

TEST(IntegerReader, GivesTheValueOfEveryPrefixFed) {
    const std::string text = " -$1fz9";
    IntegerReader reader;
    for (size_t length = 1; length <= text.size(); ++length) {
        reader.Feed(text[length - 1]);
        EXPECT_EQ(reader.Value(), StringToInt(text.substr(0, length))) << length;
    }
    EXPECT_EQ(reader.Value(), -31);
}

} // namespace
} // namespace dm
