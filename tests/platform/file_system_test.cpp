#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scratch_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

TEST(FileSystemTest, FileTypes) {
    ScratchDir dir;
    const std::string file = dir.Write("a.txt", "abc");
    EXPECT_EQ(GetFileType(file), kFileTypeFile);
    EXPECT_EQ(GetFileType(dir.Path()), kFileTypeDirectory);
    EXPECT_EQ(GetFileType(dir.File("missing")), kFileTypeNone);
    EXPECT_EQ(GetFileType(""), kFileTypeNone);
    EXPECT_EQ(GetFileType("/dev/null"), kFileTypeNone);

    const std::string angled = dir.Write("a<b", "x");
    EXPECT_EQ(GetFileType(angled), kFileTypeNone);
    const std::string closing = dir.Write("c>d", "x");
    EXPECT_EQ(GetFileType(closing), kFileTypeNone);
}

TEST(FileSystemTest, BackslashPathsAreUnderstood) {
    ScratchDir dir;
    fs::create_directory(dir.File("maps"));
    dir.Write("maps/town.dtm", "12345");
    EXPECT_EQ(GetFileType(dir.File("maps\\town.dtm")), kFileTypeFile);
    EXPECT_EQ(GetFileType(dir.Path() + "\\maps\\"), kFileTypeDirectory);
    EXPECT_EQ(GetFileSize(dir.File("maps\\town.dtm")), 5);
    EXPECT_TRUE(RemoveFile(dir.File("maps\\town.dtm")));
    EXPECT_FALSE(fs::exists(dir.File("maps/town.dtm")));
}

TEST(FileSystemTest, FileSizes) {
    ScratchDir dir;
    EXPECT_EQ(GetFileSize(dir.Write("empty", "")), 0);
    EXPECT_EQ(GetFileSize(dir.Write("seven", "1234567")), 7);
    EXPECT_EQ(GetFileSize(dir.Path()), 0);
    EXPECT_EQ(GetFileSize(dir.File("missing")), -1);
    EXPECT_EQ(GetFileSize(""), -1);
}

TEST(FileSystemTest, RemoveFileDeletesEvenReadOnlyFiles) {
    ScratchDir dir;
    const std::string file = dir.Write("locked", "x");
    fs::permissions(file, fs::perms::owner_read, fs::perm_options::replace);
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(RemoveFile(file));
}

TEST(FileSystemTest, RemoveFileLeavesDirectories) {
    ScratchDir dir;
    const std::string inner = dir.File("inner");
    fs::create_directory(inner);
    EXPECT_FALSE(RemoveFile(inner));
    EXPECT_TRUE(fs::is_directory(inner));
    EXPECT_FALSE(RemoveFile(""));
}

TEST(FileSystemTest, RemoveFileDeletesALinkButNotItsTarget) {
    ScratchDir dir;
    const std::string target = dir.Write("target", "x");
    const std::string link = dir.File("link");
    fs::create_symlink(target, link);
    fs::permissions(target, fs::perms::owner_read, fs::perm_options::replace);
    EXPECT_TRUE(RemoveFile(link));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(FileSystemTest, RenameFileReplacesTheTarget) {
    ScratchDir dir;
    const std::string side = dir.Write("map.dtm.tmp", "new");
    const std::string target = dir.Write("map.dtm", "old contents");
    EXPECT_TRUE(RenameFile(side, target));
    EXPECT_EQ(ScratchDir::Contents(target), "new");
    EXPECT_FALSE(fs::exists(side));

    EXPECT_FALSE(RenameFile(side, target));
    EXPECT_EQ(ScratchDir::Contents(target), "new");
    EXPECT_FALSE(RenameFile(target, dir.File("missing/map.dtm")));
    EXPECT_FALSE(RenameFile("", target));
    EXPECT_TRUE(fs::exists(target));
}

} // namespace
} // namespace dm
