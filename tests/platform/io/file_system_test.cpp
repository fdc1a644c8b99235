#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/io/file_system.h"
#include "platform/scratch_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

TEST(FileSystemTest, FileTypesAndSizes) {
    ScratchDir dir;
    const std::string file = dir.Write("seven", "1234567");
    EXPECT_EQ(GetFileType(file), kFileTypeFile);
    EXPECT_EQ(GetFileType(dir.Path()), kFileTypeDirectory);
    EXPECT_EQ(GetFileType(dir.File("missing")), kFileTypeNone);
    EXPECT_EQ(GetFileType(""), kFileTypeNone);
    EXPECT_EQ(GetFileType("/dev/null"), kFileTypeNone);
    EXPECT_EQ(GetFileType(dir.Write("a<b", "x")), kFileTypeNone);
    EXPECT_EQ(GetFileType(dir.Write("c>d", "x")), kFileTypeNone);

    EXPECT_EQ(GetFileSize(file), 7);
    EXPECT_EQ(GetFileSize(dir.Write("empty", "")), 0);
    EXPECT_EQ(GetFileSize(dir.Path()), 0);
    EXPECT_EQ(GetFileSize(dir.File("missing")), -1);
    EXPECT_EQ(GetFileSize(""), -1);
}

TEST(FileSystemTest, BackslashesArePartOfNames) {
    ScratchDir dir;
    fs::create_directory(dir.File("maps"));
    dir.Write("maps/town.dtm", "12345");
    EXPECT_EQ(GetFileType(dir.File("maps\\town.dtm")), kFileTypeNone);
    EXPECT_EQ(GetFileSize(dir.File("maps\\town.dtm")), -1);
    EXPECT_TRUE(RemoveFile(dir.File("maps\\town.dtm")));
    EXPECT_TRUE(fs::exists(dir.File("maps/town.dtm")));

    dir.Write("maps\\town.dtm", "123");
    EXPECT_EQ(GetFileType(dir.File("maps\\town.dtm")), kFileTypeFile);
    EXPECT_EQ(GetFileSize(dir.File("maps\\town.dtm")), 3);
    EXPECT_TRUE(RenameFile(dir.File("maps\\town.dtm"), dir.File("a\\b")));
    EXPECT_EQ(ScratchDir::Contents(dir.File("a\\b")), "123");
    EXPECT_TRUE(RemoveFile(dir.File("a\\b")));
    EXPECT_FALSE(fs::exists(dir.File("a\\b")));
    EXPECT_EQ(ScratchDir::Contents(dir.File("maps/town.dtm")), "12345");
}

TEST(FileSystemTest, RemoveFileDeletesReadOnlyFilesAndLinksButNoFolders) {
    ScratchDir dir;
    const std::string file = dir.Write("locked", "x");
    fs::permissions(file, fs::perms::owner_read, fs::perm_options::replace);
    const std::string link = dir.File("link");
    fs::create_symlink(file, link);
    EXPECT_TRUE(RemoveFile(link));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(RemoveFile(file));

    fs::create_directory(dir.File("inner"));
    EXPECT_FALSE(RemoveFile(dir.File("inner")));
    EXPECT_TRUE(fs::is_directory(dir.File("inner")));
    EXPECT_FALSE(RemoveFile(""));
}

TEST(FileSystemTest, RenameFileReplacesTheTarget) {
    ScratchDir dir;
    const std::string side = dir.Write("map.dtm.tmp", "new");
    const std::string target = dir.Write("map.dtm", "old contents");
    EXPECT_TRUE(RenameFile(side, target));
    EXPECT_EQ(ScratchDir::Contents(target), "new");
    EXPECT_FALSE(fs::exists(side));

    const Outcome gone = RenameFile(side, target);
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.Why(), "No such file or directory");
    EXPECT_EQ(ScratchDir::Contents(target), "new");
    EXPECT_FALSE(RenameFile(target, dir.File("missing/map.dtm")));
    const Outcome unnamed = RenameFile("", target);
    ASSERT_FALSE(unnamed);
    EXPECT_EQ(unnamed.Why(), "No such file or directory");
    EXPECT_TRUE(fs::exists(target));
}

} // namespace
} // namespace dm
