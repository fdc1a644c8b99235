#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/c_stream.h"
#include "platform/scratch_dir.h"

namespace dm {
namespace {

TEST(CStreamTest, WritesOverAFileThenReadsIt) {
    ScratchDir dir;
    const std::string path = dir.Write("data.bin", "previous contents");
    auto out = TCStream::OpenFile(path, false, true);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Size(), 0);
    out->WriteInt(1);
    out->WriteString("DMTM");
    EXPECT_TRUE(out->WriteLine("x"));
    EXPECT_EQ(out->Pos(), 11);
    EXPECT_EQ(out->Size(), 11);
    uint8_t byte = 0;
    EXPECT_EQ(out->Read(&byte, 1), 0);
    EXPECT_TRUE(out->SyncToDisk());
    EXPECT_EQ(ScratchDir::Contents(path), std::string("\x01\0\0\0DMTMx\r\n", 11));
    out->Close();

    auto in = TCStream::OpenFile(path, true, false);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Size(), 11);
    EXPECT_EQ(in->ReadInt(), 1);
    EXPECT_EQ(in->ReadString(4), "DMTM");
    EXPECT_EQ(in->ReadLine(), "x");
    EXPECT_TRUE(in->Eof());
    EXPECT_EQ(in->Write("z", 1), 0);
    EXPECT_THROW(in->ReadByte(), TStreamReadException);

    // A seek past the end is allowed and counts as end of file.
    EXPECT_EQ(in->Seek(20), 20);
    EXPECT_TRUE(in->Eof());
    EXPECT_EQ(in->ReadLine(), "");
    EXPECT_EQ(in->Seek(-1), -1);
    EXPECT_EQ(in->Pos(), 20);
    EXPECT_EQ(in->Seek(5), 5);
    EXPECT_EQ(in->ReadString(3), "MTM");
}

TEST(CStreamTest, UpdateModeNeedsAnExistingFileAndMixesReadsAndWrites) {
    ScratchDir dir;
    EXPECT_EQ(TCStream::OpenFile(dir.File("missing"), true, true), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

    const std::string path = dir.Write("both.bin", "abcdef");
    auto both = TCStream::OpenFile(path, true, true);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->ReadString(2), "ab");
    both->WriteString("XY");
    EXPECT_EQ(both->ReadString(1), "e");
    both->WriteString("12");
    EXPECT_EQ(both->Size(), 7);
    EXPECT_EQ(both->Seek(0), 0);
    EXPECT_EQ(both->ReadString(7), "abXYe12");
    both->Close();
    EXPECT_EQ(ScratchDir::Contents(path), "abXYe12");
}

TEST(CStreamTest, OpenTakesPathsAsWrittenAndGivesNullOnFailure) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.File("maps"));
    dir.Write("maps/town.dtm", "town");
    dir.Write("maps\\town.dtm", "name");
    auto in = TCStream::OpenFile(dir.File("maps\\town.dtm"), true, false);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->ReadString(4), "name");
    auto out = TCStream::OpenFile(dir.File("new\\file"), false, true);
    ASSERT_NE(out, nullptr);
    out->Close();
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("new\\file")));

    EXPECT_EQ(TCStream::OpenFile(dir.File("missing"), true, false), nullptr);
    EXPECT_EQ(TCStream::OpenFile(dir.File("no/such/folder/file"), false, true), nullptr);
    EXPECT_EQ(TCStream::OpenFile(dir.Path(), true, false), nullptr);
    EXPECT_EQ(TCStream::OpenFile(dir.Path(), false, true), nullptr);
    EXPECT_EQ(TCStream::OpenFile("", true, false), nullptr);
    EXPECT_EQ(TCStream::OpenFile(dir.File("maps/town.dtm"), false, false), nullptr);
}

TEST(CStreamTest, CloseOrDestructionFlushesAndCloseTwiceIsHarmless) {
    ScratchDir dir;
    auto out = TCStream::OpenFile(dir.File("twice"), false, true);
    ASSERT_NE(out, nullptr);
    out->WriteString("abc");
    out->Close();
    EXPECT_EQ(out->Pos(), 0);
    EXPECT_EQ(out->Size(), 0);
    EXPECT_TRUE(out->Eof());
    EXPECT_NO_THROW(out->Close());
    EXPECT_NO_THROW(out->Flush());
    EXPECT_EQ(out->Write("d", 1), 0);
    EXPECT_THROW(out->WriteByte(1), TStreamWriteException);
    EXPECT_EQ(out->Seek(0), -1);
    EXPECT_FALSE(out->SyncToDisk());
    EXPECT_EQ(ScratchDir::Contents(dir.File("twice")), "abc");

    TCStream::OpenFile(dir.File("dropped"), false, true)->WriteString("written");
    EXPECT_EQ(ScratchDir::Contents(dir.File("dropped")), "written");
}

// A full disk shows when the C buffer is flushed: on a write larger than the buffer, on Flush,
// on Close and on SyncToDisk.
TEST(CStreamTest, FullDeviceSurfacesAsWriteError) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    auto small = TCStream::OpenFile("/dev/full", false, true);
    ASSERT_NE(small, nullptr);
    small->WriteInt(1);
    EXPECT_FALSE(small->SyncToDisk());
    EXPECT_THROW(small->Flush(), TStreamWriteException);
    try {
        small->Close();
        FAIL() << "Close after a failed write returned";
    } catch (const TStreamWriteException& error) {
        EXPECT_STREQ(error.what(), "Error writing to stream");
    }
    EXPECT_NO_THROW(small->Close());

    auto closed = TCStream::OpenFile("/dev/full", false, true);
    ASSERT_NE(closed, nullptr);
    closed->WriteString("pending");
    EXPECT_THROW(closed->Close(), TStreamWriteException);

    auto large = TCStream::OpenFile("/dev/full", false, true);
    ASSERT_NE(large, nullptr);
    const std::vector<uint8_t> block(1 << 20, 0xAB);
    EXPECT_THROW(large->WriteBytes(block.data(), static_cast<int64_t>(block.size())),
                 TStreamWriteException);
    // The C library has dropped what it could not write and would buffer more as if all were
    // well; the stream takes nothing after the first failure.
    EXPECT_EQ(large->Write(block.data(), 16), 0);
    EXPECT_THROW(large->WriteByte(1), TStreamWriteException);
    EXPECT_EQ(large->ErrorCode(), ENOSPC);
}

TEST(CStreamTest, NamedPipeWithoutPeerDoesNotBlock) {
    ScratchDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(TCStream::OpenFile(fifo, false, true), nullptr);
    auto in = TCStream::OpenFile(fifo, true, false);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Pos(), -1);
    EXPECT_EQ(in->ReadLine(), "");
    EXPECT_TRUE(in->Eof());
    EXPECT_THROW(in->ReadByte(), TStreamReadException);
}

} // namespace
} // namespace dm
