#include "container_test_support.h"

#include "files/side_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::ContainerTempFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::vector<uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<uint8_t> kNew = {'n', 'e', 'w', '!', '!'};

void WriteAll(SideFileWriter& writer, const std::vector<uint8_t>& bytes) {
    writer.Stream().WriteBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
}

mode_t PermissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(SideFileWriter, DestinationChangesOnlyOnCommit) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);

    std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names().size(), 2u);

    EXPECT_TRUE(writer->Commit());
    EXPECT_EQ(ReadFileBytes(path), kNew);
    writer.reset();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

TEST(SideFileWriter, AbandonedWriteLeavesNothingBehind) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    {
        std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path);
        ASSERT_TRUE(writer);
        WriteAll(*writer, kNew);
    }
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});

    {
        std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(folder.Path("fresh.dtm"));
        ASSERT_TRUE(writer);
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

TEST(SideFileWriter, PermissionsOfTheReplacedFileAreKept) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("shared.dtm");
    WriteFileBytes(path, kOld);
    ::chmod(path.c_str(), 0640);
    std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    ASSERT_TRUE(writer->Commit());
    EXPECT_EQ(PermissionBits(path), 0640u);

    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string fresh = folder.Path("fresh.dtm");
    writer = SideFileWriter::Open(fresh);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Commit());
    EXPECT_EQ(PermissionBits(fresh), 0666u & ~mask);
}

TEST(SideFileWriter, SymbolicLinkKeepsPointingAtTheReplacedFile) {
    ContainerTempFolder folder;
    fs::create_directory(folder.Root() / "real");
    const std::string target = folder.Path("real/map.dtm");
    WriteFileBytes(target, kOld);
    const std::string link = folder.Path("link.dtm");
    fs::create_symlink(target, link);

    std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(link);
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    ASSERT_TRUE(writer->Commit());

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), kNew);
    EXPECT_EQ(fs::directory_iterator(folder.Root() / "real")->path().filename(), "map.dtm");
}

TEST(SideFileWriter, DevicesAreWrittenInPlace) {
    std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open("/dev/null");
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    EXPECT_TRUE(writer->Commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(SideFileWriter, FoldersAndMissingFoldersCannotBeWritten) {
    ContainerTempFolder folder;
    EXPECT_FALSE(SideFileWriter::Open(folder.Root().string()));
    EXPECT_FALSE(SideFileWriter::Open(folder.Path("missing/map.dtm")));
    EXPECT_FALSE(SideFileWriter::Open(""));
    EXPECT_FALSE(SideFileWriter::Open(folder.Path("memory::map.dtm")));
    EXPECT_TRUE(folder.Names().empty());
}

} // namespace
} // namespace dm
