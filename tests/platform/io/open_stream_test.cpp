#include <memory>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/io/c_stream.h"
#include "platform/io/memory_stream.h"
#include "platform/io/open_stream.h"
#include "platform/scratch_dir.h"

namespace dm {
namespace {

TEST(OpenStreamTest, PlainPathsOpenFileStreamsAndWritingTruncates) {
    ScratchDir dir;
    const std::string path = dir.Write("map.dtm", "0123456789");
    auto out = OpenWriteStream(path);
    ASSERT_NE(out, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TCStream>(out), nullptr);
    out->WriteString("DMTR");
    out->Close();
    EXPECT_EQ(ScratchDir::Contents(path), "DMTR");

    auto in = OpenReadStream(path);
    ASSERT_NE(in, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TCStream>(in), nullptr);
    EXPECT_EQ(in->ReadString(4), "DMTR");
    EXPECT_EQ(in->Write("x", 1), 0);
}

TEST(OpenStreamTest, UnopenableAndProtocolPathsGiveNull) {
    ScratchDir dir;
    const std::string path = dir.Write("real.txt", "x");
    EXPECT_EQ(OpenReadStream(dir.File("missing.txt")), nullptr);
    EXPECT_EQ(OpenWriteStream(dir.File("missing/inner.txt")), nullptr);
    EXPECT_EQ(OpenReadStream("incbin::" + path), nullptr);
    EXPECT_EQ(OpenWriteStream("http::" + path), nullptr);
    EXPECT_EQ(OpenReadStream(dir.Path()), nullptr);
}

TEST(OpenStreamTest, PipesAreReadWholeIntoMemory) {
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe(ends), 0);
    const std::string text = "line one\r\nline two\n";
    ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(ends[1]);

    auto in = OpenReadStream("/proc/self/fd/" + std::to_string(ends[0]));
    close(ends[0]);
    ASSERT_NE(in, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TMemoryStream>(in), nullptr);
    EXPECT_EQ(in->Pos(), 0);
    EXPECT_EQ(in->Size(), static_cast<int64_t>(text.size()));
    EXPECT_EQ(in->ReadLine(), "line one");
    EXPECT_EQ(in->ReadLine(), "line two");
    EXPECT_TRUE(in->Eof());
}

} // namespace
} // namespace dm
