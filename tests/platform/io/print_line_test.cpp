#include <string>

#include <gtest/gtest.h>

#include "platform/io/print_line.h"

namespace dm {
namespace {

TEST(PrintLineTest, WritesTheTextThenCarriageReturnLineFeed) {
    testing::internal::CaptureStdout();
    PrintLine("RLE size: 42");
    PrintLine("");
    PrintLine(std::string("a\0b", 3));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string("RLE size: 42\r\n\r\na\0b\r\n", 21));
}

} // namespace
} // namespace dm
