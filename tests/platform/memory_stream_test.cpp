#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/memory_stream.h"

namespace dm {
namespace {

TEST(MemoryStreamTest, WrittenBytesReadBackAfterSeeking) {
    TMemoryStream stream;
    EXPECT_TRUE(stream.Eof());
    stream.WriteInt(0x44434241);
    stream.WriteShort(7);
    EXPECT_EQ(stream.Pos(), 6);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Seek(0), 0);
    EXPECT_EQ(stream.ReadString(4), "ABCD");
    EXPECT_EQ(stream.ReadShort(), 7);
    EXPECT_TRUE(stream.Eof());
}

TEST(MemoryStreamTest, WritingInsideOverwritesAndPastTheEndGrows) {
    TMemoryStream stream(std::vector<uint8_t>{1, 2, 3, 4});
    EXPECT_EQ(stream.Seek(2), 2);
    stream.WriteString("xyz");
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 'x', 'y', 'z'}));
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Pos(), 5);
}

TEST(MemoryStreamTest, SeekOutsideTheBytesIsRefused) {
    TMemoryStream stream(std::vector<uint8_t>{9, 8});
    stream.ReadByte();
    EXPECT_EQ(stream.Seek(-1), -1);
    EXPECT_EQ(stream.Seek(3), -1);
    EXPECT_EQ(stream.Pos(), 1);
    EXPECT_EQ(stream.Seek(2), 2);
    EXPECT_TRUE(stream.Eof());
}

TEST(MemoryStreamTest, ReadMovesOnlyWhatIsLeft) {
    TMemoryStream stream(std::vector<uint8_t>{5, 6, 7});
    uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 3);
    EXPECT_EQ(buffer[2], 7);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_EQ(stream.Read(buffer, -4), 0);
    EXPECT_EQ(stream.Write(buffer, -4), 0);
    EXPECT_EQ(stream.Size(), 3);
}

TEST(MemoryStreamTest, TakeBytesEmptiesTheStream) {
    TMemoryStream stream;
    stream.WriteString("body");
    const std::vector<uint8_t> taken = stream.TakeBytes();
    EXPECT_EQ(taken, (std::vector<uint8_t>{'b', 'o', 'd', 'y'}));
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Pos(), 0);
    EXPECT_TRUE(stream.Bytes().empty());
    stream.WriteByte(1);
    EXPECT_EQ(stream.Bytes(), std::vector<uint8_t>{1});
}

TEST(MemoryStreamTest, CloseAndFlushKeepTheBytes) {
    TMemoryStream stream;
    stream.WriteString("kept");
    stream.Flush();
    stream.Close();
    EXPECT_EQ(stream.Size(), 4);
    EXPECT_EQ(stream.Bytes().front(), 'k');
}

} // namespace
} // namespace dm
