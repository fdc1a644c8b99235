#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/memory_stream.h"

namespace dm {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// Moves at most one byte per call, so that callers must loop to fill their buffers.
class TTrickleStream : public TMemoryStream {
  public:
    using TMemoryStream::TMemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        return TMemoryStream::Read(buffer, std::min<int64_t>(count, 1));
    }
    int64_t Write(const void* buffer, int64_t count) override {
        return TMemoryStream::Write(buffer, std::min<int64_t>(count, 1));
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

TEST(StreamTest, IntegersAreLittleEndianBothWays) {
    TMemoryStream out;
    out.WriteInt(1);
    out.WriteInt(-2);
    out.WriteByte(0x1FF);
    out.WriteShort(0x12345);
    out.WriteLong(0x0102030405060708LL);
    EXPECT_EQ(out.Bytes(), Bytes(std::string("\x01\0\0\0\xFE\xFF\xFF\xFF\xFF\x45\x23"
                                             "\x08\x07\x06\x05\x04\x03\x02\x01",
                                             19)));

    TMemoryStream in(Bytes(std::string("\xFF\xFF\xFF\xFF\xFF\xFE\xFF\0\0\0\x80"
                                       "\x08\x07\x06\x05\x04\x03\x02\x81",
                                       19)));
    EXPECT_EQ(in.ReadInt(), -1);
    EXPECT_EQ(in.ReadByte(), 255);
    EXPECT_EQ(in.ReadShort(), 0xFFFE);
    EXPECT_EQ(in.ReadInt(), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(in.ReadLong(), static_cast<int64_t>(0x8102030405060708ULL));
    EXPECT_TRUE(in.Eof());
}

TEST(StreamTest, FloatsAndDoublesHaveTheirIeeeBytes) {
    TMemoryStream stream;
    stream.WriteFloat(1.0f);
    stream.WriteDouble(-2.5);
    EXPECT_EQ(stream.Bytes(), Bytes(std::string("\0\0\x80\x3F\0\0\0\0\0\0\x04\xC0", 12)));

    const float floats[] = {-0.0f, std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::infinity()};
    const double doubles[] = {0.1, -std::numeric_limits<double>::denorm_min()};
    for (float value : floats) {
        stream.WriteFloat(value);
    }
    for (double value : doubles) {
        stream.WriteDouble(value);
    }
    stream.WriteFloat(std::numeric_limits<float>::quiet_NaN());
    stream.Seek(12);
    for (float value : floats) {
        const float read = stream.ReadFloat();
        EXPECT_EQ(read, value);
        EXPECT_EQ(std::signbit(read), std::signbit(value));
    }
    for (double value : doubles) {
        EXPECT_EQ(stream.ReadDouble(), value);
    }
    EXPECT_TRUE(std::isnan(stream.ReadFloat()));
}

TEST(StreamTest, ReadingPastTheEndOrANegativeCountThrowsTheReadError) {
    TMemoryStream stream(Bytes("abc"));
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
    EXPECT_EQ(empty.ReadString(0), "");
    // A huge count fails without reserving room for it first.
    EXPECT_THROW(stream.ReadString(std::numeric_limits<int64_t>::max()), TStreamReadException);

    TMemoryStream two(Bytes("ab"));
    char buffer[2] = {};
    EXPECT_THROW(two.ReadBytes(buffer, -1), TStreamReadException);
    EXPECT_THROW(two.ReadString(-1), TStreamReadException);
    EXPECT_THROW(two.SkipBytes(-1), TStreamReadException);
    EXPECT_THROW(two.WriteBytes(buffer, -1), TStreamWriteException);
    EXPECT_EQ(two.Pos(), 0);

    // Skipping crosses many internal steps.
    std::vector<uint8_t> bytes(3000, 0);
    bytes[2500] = 42;
    TMemoryStream skipped(bytes);
    skipped.SkipBytes(2500);
    EXPECT_EQ(skipped.ReadByte(), 42);
    EXPECT_THROW(skipped.SkipBytes(500), TStreamReadException);
}

TEST(StreamTest, ReadsAndWritesLoopOverPartialTransfers) {
    TTrickleStream stream(Bytes("\x78\x56\x34\x12hi!"));
    EXPECT_EQ(stream.ReadInt(), 0x12345678);
    EXPECT_EQ(stream.ReadString(3), "hi!");

    TTrickleStream out;
    out.WriteLong(0x0807060504030201LL);
    out.WriteString("ok");
    EXPECT_EQ(out.Bytes(), Bytes("\x01\x02\x03\x04\x05\x06\x07\x08ok"));
}

TEST(StreamTest, AFailedWriteThrowsTheWriteError) {
    TFullStream stream(3);
    try {
        stream.WriteInt(7);
        FAIL() << "WriteInt into three bytes of room returned";
    } catch (const TStreamWriteException& error) {
        EXPECT_STREQ(error.what(), "Error writing to stream");
    }
    EXPECT_EQ(stream.Bytes(), Bytes(std::string("\x07\0\0", 3)));

    TFullStream lineRoom(4);
    EXPECT_FALSE(lineRoom.WriteLine("abc"));
    TFullStream exactRoom(5);
    EXPECT_TRUE(exactRoom.WriteLine("abc"));
    EXPECT_EQ(exactRoom.Bytes(), Bytes("abc\r\n"));
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

TEST(StreamTest, ReadLineSplitsOnLineFeedOrNulAndDropsCarriageReturns) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"ab\r\ncd", {"ab", "cd"}},
        {"a\rb\n\r\rc\r", {"ab", "c"}},
        {std::string("one\0two\n\nlast\n", 14), {"one", "two", "", "last"}},
        {"\xFF\x80\xB0\n", {"\xFF\x80\xB0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TMemoryStream stream(Bytes(c.bytes));
        for (const std::string& line : c.lines) {
            EXPECT_FALSE(stream.Eof());
            EXPECT_EQ(stream.ReadLine(), line);
        }
        EXPECT_TRUE(stream.Eof());
        EXPECT_EQ(stream.ReadLine(), "");
    }

    TMemoryStream written;
    EXPECT_TRUE(written.WriteLine("size 12"));
    EXPECT_TRUE(written.WriteLine(""));
    EXPECT_EQ(written.Bytes(), Bytes("size 12\r\n\r\n"));
}

} // namespace
} // namespace dm
