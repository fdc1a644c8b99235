#include <gtest/gtest.h>

#include "platform/io/paths.h"
#include "platform/io/program_folder.h"

#include <cerrno>
#include <filesystem>
#include <string>

namespace dm {
namespace {

TEST(PathsTest, NormalizePath) {
    EXPECT_EQ(NormalizePath("C:/games//maps/"), "C:/games/maps");
    EXPECT_EQ(NormalizePath("a//b///c"), "a/b/c");
    EXPECT_EQ(NormalizePath("//server/share/map.dtm"), "//server/share/map.dtm");
    EXPECT_EQ(NormalizePath("///x"), "//x");
    EXPECT_EQ(NormalizePath("/"), "/");
    EXPECT_EQ(NormalizePath("c:/"), "c:/");
    EXPECT_EQ(NormalizePath("maps/"), "maps");
    EXPECT_EQ(NormalizePath(""), "");
    // A backslash is part of a name.
    EXPECT_EQ(NormalizePath("maps\\town.dtm"), "maps\\town.dtm");
    EXPECT_EQ(NormalizePath("a//b\\\\c/"), "a/b\\\\c");
    EXPECT_EQ(NormalizePath("\\"), "\\");
}

TEST(PathsTest, PathFromBackslashes) {
    EXPECT_EQ(PathFromBackslashes("dmdata\\graphics.txt"), "dmdata/graphics.txt");
    EXPECT_EQ(PathFromBackslashes("data\\image\\curses.png"), "data/image/curses.png");
    EXPECT_EQ(PathFromBackslashes("/abs\\mixed/x"), "/abs/mixed/x");
    EXPECT_EQ(PathFromBackslashes(""), "");
}

TEST(PathsTest, PathNoExtension) {
    EXPECT_EQ(PathNoExtension("old.maps/town"), "old.maps/town");
    EXPECT_EQ(PathNoExtension("maps/town.dtm"), "maps/town");
    EXPECT_EQ(PathNoExtension("old.maps\\town"), "old");
    EXPECT_EQ(PathNoExtension("town.tar.gz"), "town.tar");
    EXPECT_EQ(PathNoExtension("town."), "town");
    EXPECT_EQ(PathNoExtension("town"), "town");
    EXPECT_EQ(PathNoExtension("."), ".");
    EXPECT_EQ(PathNoExtension(".."), "..");
    EXPECT_EQ(PathNoExtension("maps/.."), "maps/..");
    EXPECT_EQ(PathNoExtension(""), "");
}

TEST(PathsTest, PathFileNameAndBaseName) {
    EXPECT_EQ(PathFileName("maps/town.dtm"), "town.dtm");
    EXPECT_EQ(PathFileName("maps/sub\\town.dtm"), "sub\\town.dtm");
    EXPECT_EQ(PathFileName("town.dtm"), "town.dtm");
    EXPECT_EQ(PathFileName("C:/maps/"), "maps");
    EXPECT_EQ(PathFileName("/"), "");
    EXPECT_EQ(PathBaseName("maps/town.dtm"), "town");
    EXPECT_EQ(PathBaseName("..\\up.dtm"), "..\\up");
    EXPECT_EQ(PathBaseName("old.maps/town"), "town");
    EXPECT_EQ(PathBaseName("C:/a.b/c.d.e"), "c.d");
    EXPECT_EQ(PathBaseName("town"), "town");
}

TEST(PathsTest, LowerExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"maps/cave.XP", ".xp"},
        {"maps//cave.Xp", ".xp"},
        {"cave.dtm", ".dtm"},
        {"old.maps/cave", ""},
        {"cave", ""},
        {"maps/..", ""},
        {".hidden", ".hidden"},
        {"a.b.TAR", ".tar"},
        {"", ""},
    };
    for (const auto& [path, extension] : cases) {
        EXPECT_EQ(LowerExtension(path), extension) << path;
    }
}

TEST(PathsTest, PathDirectory) {
    EXPECT_EQ(PathDirectory("maps/town.dtm"), "maps");
    EXPECT_EQ(PathDirectory("maps/sub/town.dtm"), "maps/sub");
    EXPECT_EQ(PathDirectory("maps\\sub\\town.dtm"), "");
    EXPECT_EQ(PathDirectory("town.dtm"), "");
    EXPECT_EQ(PathDirectory("/town.dtm"), "/");
    EXPECT_EQ(PathDirectory("C:/town.dtm"), "C:/");
    EXPECT_EQ(PathDirectory("C:/maps/town.dtm"), "C:/maps");
    EXPECT_EQ(PathDirectory("/"), "/");
    EXPECT_EQ(PathDirectory("C:/"), "C:/");
    EXPECT_EQ(PathDirectory("."), ".");
    EXPECT_EQ(PathDirectory(".."), "..");
    EXPECT_EQ(PathDirectory("./town.dtm"), ".");
    EXPECT_EQ(PathDirectory("//server/share/town.dtm"), "//server/share");
    EXPECT_EQ(PathDirectory("//server"), "//");
    EXPECT_EQ(PathDirectory("maps/sub/"), "maps");
    EXPECT_EQ(PathDirectory(""), "");
}

TEST(PathsTest, PathFromFolderAndProgramFolder) {
    EXPECT_EQ(PathFromFolder("/opt/dm", "data/image/pallet.png"), "/opt/dm/data/image/pallet.png");
    EXPECT_EQ(PathFromFolder("/opt/dm/", "dmdata/graphics.txt"), "/opt/dm/dmdata/graphics.txt");
    EXPECT_EQ(PathFromFolder("/opt/dm", "/home/me/pallet.png"), "/home/me/pallet.png");
    EXPECT_EQ(PathFromFolder("", "data/image/pallet.png"), "data/image/pallet.png");
    EXPECT_EQ(PathFromFolder("rel", "x.png"), "rel/x.png");

    // The folder of the running program holds the program itself.
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(
        PathFromFolder(folder, PathFileName(program_invocation_name))));
}

} // namespace
} // namespace dm
