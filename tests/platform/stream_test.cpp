#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/memory_stream.h"

namespace dm {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int value : values) {
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::vector<uint8_t> BytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// Reads at most one byte per call, so that callers must loop to fill their buffers.
class TTrickleStream : public TMemoryStream {
  public:
    using TMemoryStream::TMemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        return TMemoryStream::Read(buffer, count > 0 ? 1 : count);
    }
    int64_t Write(const void* buffer, int64_t count) override {
        return TMemoryStream::Write(buffer, count > 0 ? 1 : count);
    }
};

// Accepts a fixed number of bytes, then refuses every write.
class TFullStream : public TMemoryStream {
  public:
    explicit TFullStream(int64_t room) : room_(room) {}
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t moved = TMemoryStream::Write(buffer, std::min(count, room_));
        room_ -= moved;
        return moved;
    }

  private:
    int64_t room_;
};

TEST(StreamTest, IntegersAreWrittenLittleEndian) {
    TMemoryStream stream;
    stream.WriteInt(1);
    stream.WriteInt(-2);
    stream.WriteByte(0x1FF);
    stream.WriteShort(0x12345);
    stream.WriteLong(0x0102030405060708LL);
    stream.WriteLong(-1);
    EXPECT_EQ(stream.Bytes(), Bytes({0x01, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0x45, 0x23, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02,
                                     0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(StreamTest, IntegersAreReadLittleEndianWithTheirSigns) {
    TMemoryStream stream(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x80,
                                0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x81}));
    EXPECT_EQ(stream.ReadInt(), -1);
    EXPECT_EQ(stream.ReadByte(), 255);
    EXPECT_EQ(stream.ReadShort(), 0xFFFE);
    EXPECT_EQ(stream.ReadInt(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(stream.ReadLong(), static_cast<int64_t>(0x8102030405060708ULL));
    EXPECT_TRUE(stream.Eof());
}

TEST(StreamTest, FloatsAndDoublesHaveTheirIeeeBytes) {
    TMemoryStream stream;
    stream.WriteFloat(1.0f);
    stream.WriteDouble(-2.5);
    EXPECT_EQ(stream.Bytes(),
              Bytes({0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0}));

    const float floats[] = {0.1f, -0.0f, std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::infinity()};
    const double doubles[] = {0.1, 1e308, -std::numeric_limits<double>::denorm_min()};
    TMemoryStream roundTrip;
    for (float value : floats) {
        roundTrip.WriteFloat(value);
    }
    for (double value : doubles) {
        roundTrip.WriteDouble(value);
    }
    roundTrip.WriteFloat(std::numeric_limits<float>::quiet_NaN());
    roundTrip.Seek(0);
    for (float value : floats) {
        const float read = roundTrip.ReadFloat();
        EXPECT_EQ(read, value);
        EXPECT_EQ(std::signbit(read), std::signbit(value));
    }
    for (double value : doubles) {
        EXPECT_EQ(roundTrip.ReadDouble(), value);
    }
    EXPECT_TRUE(std::isnan(roundTrip.ReadFloat()));
}

TEST(StreamTest, ReadingPastTheEndThrowsTheReadError) {
    TMemoryStream stream(Bytes({1, 2, 3}));
    try {
        stream.ReadInt();
        FAIL() << "ReadInt with three bytes left returned";
    } catch (const TStreamReadException& error) {
        EXPECT_STREQ(error.what(), "Error reading from stream");
    }

    TMemoryStream empty;
    EXPECT_THROW(empty.ReadByte(), TStreamReadException);
    EXPECT_THROW(empty.ReadShort(), TStreamReadException);
    EXPECT_THROW(empty.ReadLong(), TStreamReadException);
    EXPECT_THROW(empty.ReadFloat(), TStreamReadException);
    EXPECT_THROW(empty.ReadDouble(), TStreamReadException);
    EXPECT_THROW(empty.ReadString(1), TStreamReadException);
    EXPECT_THROW(empty.SkipBytes(1), TStreamReadException);
    EXPECT_EQ(empty.ReadString(0), "");
}

TEST(StreamTest, NegativeCountsAreRefused) {
    TMemoryStream stream(Bytes({1, 2}));
    char buffer[2] = {};
    EXPECT_THROW(stream.ReadBytes(buffer, -1), TStreamReadException);
    EXPECT_THROW(stream.ReadString(-1), TStreamReadException);
    EXPECT_THROW(stream.SkipBytes(-1), TStreamReadException);
    EXPECT_THROW(stream.WriteBytes(buffer, -1), TStreamWriteException);
    EXPECT_EQ(stream.Pos(), 0);
}

TEST(StreamTest, ReadsAndWritesLoopOverPartialTransfers) {
    TTrickleStream stream(Bytes({0x78, 0x56, 0x34, 0x12, 'h', 'i', '!'}));
    EXPECT_EQ(stream.ReadInt(), 0x12345678);
    EXPECT_EQ(stream.ReadString(3), "hi!");

    TTrickleStream out;
    out.WriteLong(0x0807060504030201LL);
    out.WriteString("ok");
    EXPECT_EQ(out.Bytes(), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 'o', 'k'}));
}

TEST(StreamTest, AFailedWriteThrowsTheWriteError) {
    TFullStream stream(3);
    try {
        stream.WriteInt(7);
        FAIL() << "WriteInt into three bytes of room returned";
    } catch (const TStreamWriteException& error) {
        EXPECT_STREQ(error.what(), "Error writing to stream");
    }
    EXPECT_EQ(stream.Bytes(), Bytes({7, 0, 0}));

    TFullStream lineRoom(4);
    EXPECT_FALSE(lineRoom.WriteLine("abc"));
    TFullStream exactRoom(5);
    EXPECT_TRUE(exactRoom.WriteLine("abc"));
    EXPECT_EQ(exactRoom.Bytes(), BytesOf("abc\r\n"));
}

TEST(StreamTest, SkipBytesCrossesManySteps) {
    std::vector<uint8_t> bytes(3000, 0);
    bytes[2500] = 42;
    TMemoryStream stream(bytes);
    stream.SkipBytes(2500);
    EXPECT_EQ(stream.ReadByte(), 42);
    EXPECT_THROW(stream.SkipBytes(500), TStreamReadException);
}

TEST(StreamTest, StringsKeepEveryByteValue) {
    std::string text;
    for (int c = 0; c < 256; ++c) {
        text.push_back(static_cast<char>(c));
    }
    TMemoryStream stream;
    stream.WriteString(text);
    EXPECT_EQ(stream.Size(), 256);
    stream.Seek(0);
    EXPECT_EQ(stream.ReadString(256), text);
}

TEST(StreamTest, HugeStringCountFailsWithoutReservingIt) {
    TMemoryStream stream(BytesOf("short"));
    EXPECT_THROW(stream.ReadString(std::numeric_limits<int64_t>::max()), TStreamReadException);
}

TEST(StreamTest, ReadLineSplitsOnLineFeedAndDropsCarriageReturns) {
    TMemoryStream stream(BytesOf("ab\r\ncd"));
    EXPECT_EQ(stream.ReadLine(), "ab");
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.ReadLine(), "cd");
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.ReadLine(), "");

    TMemoryStream inner(BytesOf("a\rb\n\r\rc\r"));
    EXPECT_EQ(inner.ReadLine(), "ab");
    EXPECT_EQ(inner.ReadLine(), "c");
    EXPECT_TRUE(inner.Eof());
}

TEST(StreamTest, ReadLineStopsAtNulAndContinuesAfterIt) {
    TMemoryStream stream(BytesOf(std::string("one\0two\n\nlast\n", 14)));
    EXPECT_EQ(stream.ReadLine(), "one");
    EXPECT_EQ(stream.ReadLine(), "two");
    EXPECT_EQ(stream.ReadLine(), "");
    EXPECT_EQ(stream.ReadLine(), "last");
    EXPECT_TRUE(stream.Eof());
}

TEST(StreamTest, ReadLineKeepsHighBytes) {
    TMemoryStream stream(Bytes({0xFF, 0x80, 0xB0, '\n'}));
    EXPECT_EQ(stream.ReadLine(), "\xFF\x80\xB0");
}

TEST(StreamTest, WriteLineEndsWithCarriageReturnLineFeed) {
    TMemoryStream stream;
    EXPECT_TRUE(stream.WriteLine("size 12"));
    EXPECT_TRUE(stream.WriteLine(""));
    EXPECT_EQ(stream.Bytes(), BytesOf("size 12\r\n\r\n"));
    stream.Seek(0);
    EXPECT_EQ(stream.ReadLine(), "size 12");
    EXPECT_EQ(stream.ReadLine(), "");
    EXPECT_TRUE(stream.Eof());
}

} // namespace
} // namespace dm
