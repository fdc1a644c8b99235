#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/memory_stream.h"

namespace dm {
namespace {

TEST(MemoryStreamTest, WritingInsideOverwritesAndPastTheEndGrows) {
    TMemoryStream stream(std::vector<uint8_t>{1, 2, 3, 4});
    EXPECT_EQ(stream.Seek(2), 2);
    stream.WriteString("xyz");
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 'x', 'y', 'z'}));
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Pos(), 5);
    EXPECT_TRUE(stream.Eof());
}

TEST(MemoryStreamTest, SeekAndReadStayInsideTheBytes) {
    TMemoryStream stream(std::vector<uint8_t>{5, 6, 7});
    stream.ReadByte();
    EXPECT_EQ(stream.Seek(-1), -1);
    EXPECT_EQ(stream.Seek(4), -1);
    EXPECT_EQ(stream.Pos(), 1);
    uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(buffer[1], 7);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_EQ(stream.Seek(3), 3);
    EXPECT_EQ(stream.Seek(0), 0);
    EXPECT_EQ(stream.Read(buffer, -4), 0);
    EXPECT_EQ(stream.Write(buffer, -4), 0);
    EXPECT_EQ(stream.Pos(), 0);
    EXPECT_EQ(stream.Size(), 3);
}

TEST(MemoryStreamTest, TakeBytesEmptiesTheStream) {
    TMemoryStream stream;
    stream.WriteString("body");
    EXPECT_EQ(stream.TakeBytes(), (std::vector<uint8_t>{'b', 'o', 'd', 'y'}));
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Pos(), 0);
    stream.WriteByte(1);
    EXPECT_EQ(stream.Bytes(), std::vector<uint8_t>{1});
}

} // namespace
} // namespace dm
