#include "container_test_support.h"

#include "files/side_file_writer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Holds an exclusive lock on a file from another process, as a save in progress does, until it
// goes out of scope.
class LockHolder {
  public:
    explicit LockHolder(const std::string& path) : child_(::fork()) {
        if (child_ == 0) {
            ::flock(::open(path.c_str(), O_RDONLY), LOCK_EX);
            ::pause();
        }
        // Returns once the lock shows from here.
        const int probe = ::open(path.c_str(), O_RDONLY);
        while (::flock(probe, LOCK_EX | LOCK_NB) == 0) {
            ::flock(probe, LOCK_UN);
            ::usleep(1000);
        }
        ::close(probe);
    }
    ~LockHolder() {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

  private:
    pid_t child_;
};

void SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<SideFileWriter> writer = SideFileWriter::Open(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, bytes);
    ASSERT_TRUE(writer->Commit());
}

TEST(SideFileWriter, SideFilesNobodyHoldsGoAndHeldOnesStay) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    // Side files of map.dtm left by saves that were killed.
    for (const char* stale : {".map.dtm.AbC123", ".map.dtm.000000", ".map.dtm.zzzzzz"}) {
        WriteFileBytes(folder.Path(stale), kNew);
    }
    // Names that only look alike, and one that a save in another process is writing.
    std::vector<std::string> kept = {".map.dtm.AbC12",    ".map.dtm.AbC1234", ".map.dtm.AbC-12",
                                     ".other.dtm.AbC123", "map.dtm.AbC123",   ".map.dtm.AbC123.x",
                                     ".map.dtm.Live00"};
    for (const std::string& name : kept) {
        WriteFileBytes(folder.Path(name), kNew);
    }
    // Nor are folders and links of the pattern touched.
    fs::create_directory(folder.Path(".map.dtm.Folder"));
    fs::create_symlink(path, folder.Path(".map.dtm.Link00"));
    kept.insert(kept.end(), {".map.dtm.Folder", ".map.dtm.Link00", "map.dtm"});
    std::sort(kept.begin(), kept.end());
    {
        const LockHolder live(folder.Path(".map.dtm.Live00"));
        SaveBytes(path, kNew);
        EXPECT_EQ(folder.Names(), kept);
        EXPECT_EQ(ReadFileBytes(folder.Path(".map.dtm.Live00")), kNew);
    }
    // Once its writer is gone, the next save removes the side file it left.
    SaveBytes(path, kOld);
    EXPECT_FALSE(fs::exists(folder.Path(".map.dtm.Live00")));
    EXPECT_EQ(ReadFileBytes(path), kOld);
}

} // namespace
} // namespace dm
