#include "container_test_support.h"

#include "files/side_file_writer.h"
#include "files/whole_file.h"
#include "killed_save.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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

// The writer, or null when it cannot be opened.
std::unique_ptr<SideFileWriter> OpenWriter(const std::string& path) {
    Expected<std::unique_ptr<SideFileWriter>> writer = SideFileWriter::Open(path);
    return writer ? std::move(*writer) : nullptr;
}

void SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<SideFileWriter> writer = OpenWriter(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, bytes);
    ASSERT_TRUE(writer->Commit());
}

mode_t PermissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Abandoned, given up or not yet committed, the file is untouched and nothing stays behind.
TEST(SideFileWriter, DestinationChangesOnlyOnASuccessfulCommit) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    {
        std::unique_ptr<SideFileWriter> abandoned = OpenWriter(path);
        ASSERT_TRUE(abandoned);
        WriteAll(*abandoned, kNew);
        ASSERT_TRUE(OpenWriter(folder.Path("fresh.dtm")));
    }
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});

    std::unique_ptr<SideFileWriter> writer = OpenWriter(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    const Outcome gaveUp = writer->Commit(Failure{"the encoder stopped"});
    ASSERT_FALSE(gaveUp);
    EXPECT_EQ(gaveUp.Why(), "the encoder stopped");
    writer.reset();
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});

    writer = OpenWriter(path);
    ASSERT_TRUE(writer);
    WriteAll(*writer, kNew);
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names().size(), 2u);
    EXPECT_TRUE(writer->Commit());
    EXPECT_EQ(ReadFileBytes(path), kNew);
    writer.reset();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

// A failure says why: the system's reason for a refused write before the writer's own.
TEST(SideFileWriter, WholeFilesAreWrittenOrLeftAsTheyWere) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    const auto writeNew = [](TStream& out) {
        out.WriteBytes(kNew.data(), static_cast<int64_t>(kNew.size()));
    };
    const Outcome full = WriteWholeFile("/dev/full", writeNew);
    ASSERT_FALSE(full);
    EXPECT_EQ(full.Why(), "No space left on device");
    const Outcome missing = WriteWholeFile(folder.Path("missing/map.dtm"), writeNew);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Why(), "No such file or directory");
    EXPECT_THROW(static_cast<void>(WriteWholeFile(path, [](TStream&) { throw std::bad_alloc(); })),
                 std::bad_alloc);
    EXPECT_EQ(ReadFileBytes(path), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});

    EXPECT_TRUE(WriteWholeFile(path, writeNew));
    EXPECT_EQ(ReadFileBytes(path), kNew);
}

TEST(SideFileWriter, PermissionsOfTheReplacedFileAreKept) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("shared.dtm");
    WriteFileBytes(path, kOld);
    ::chmod(path.c_str(), 0640);
    SaveBytes(path, kNew);
    EXPECT_EQ(PermissionBits(path), 0640u);

    const mode_t mask = ::umask(0);
    ::umask(mask);
    SaveBytes(folder.Path("fresh.dtm"), {});
    EXPECT_EQ(PermissionBits(folder.Path("fresh.dtm")), 0666u & ~mask);
}

TEST(SideFileWriter, AnotherUsersFileKeepsItsOwnerAndTheirLinksInASharedFolderAreNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the superuser may give a file or link to another user";
    }
    ContainerTempFolder folder;
    const std::string path = folder.Path("theirs.dtm");
    WriteFileBytes(path, kOld);
    // A change of owner clears the set-user-ID bit, so it must come before the permissions.
    ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(path.c_str(), 04750), 0);
    SaveBytes(path, kNew);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(std::tuple(info.st_uid, info.st_gid, info.st_mode & 07777),
              std::tuple(4242u, 4343u, 04750u));
    EXPECT_EQ(ReadFileBytes(path), kNew);

    fs::create_directory(folder.Root() / "shared");
    ASSERT_EQ(::chmod(folder.Path("shared").c_str(), 01777), 0);
    const std::string planted = folder.Path("shared/planted.dtm");
    fs::create_symlink(folder.Path("victim.dtm"), planted);
    ASSERT_EQ(::lchown(planted.c_str(), 4242, 4242), 0);
    const Expected<std::unique_ptr<SideFileWriter>> refused = SideFileWriter::Open(planted);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Why(), "Permission denied");
    EXPECT_FALSE(fs::exists(folder.Path("victim.dtm")));
    // The writer's own link there is followed.
    ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
    SaveBytes(planted, kNew);
    EXPECT_EQ(ReadFileBytes(folder.Path("victim.dtm")), kNew);
}

TEST(SideFileWriter, LinksKeepPointingAtTheFileWrittenAndHardLinksKeepTheOldBytes) {
    ContainerTempFolder folder;
    fs::create_directory(folder.Root() / "real");
    const std::string target = folder.Path("real/map.dtm");
    WriteFileBytes(target, kOld);
    struct Case {
        std::string link;
        std::string pointsAt; // as the link holds it
        std::string written;  // the file that gets the bytes
    };
    const Case cases[] = {
        {"live.dtm", target, target},
        // Pointing nowhere yet, relative to the link's folder, and through a second link.
        {"dangling.dtm", "real/new.dtm", folder.Path("real/new.dtm")},
        {"chain.dtm", "dangling2.dtm", folder.Path("real/newer.dtm")},
    };
    fs::create_symlink("real/newer.dtm", folder.Path("dangling2.dtm"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        const std::string link = folder.Path(c.link);
        fs::create_symlink(c.pointsAt, link);
        SaveBytes(link, kNew);
        EXPECT_EQ(fs::read_symlink(link), c.pointsAt);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.written)));
        EXPECT_EQ(ReadFileBytes(c.written), kNew);
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"chain.dtm", "dangling.dtm",
                                                        "dangling2.dtm", "live.dtm", "real"}));

    // A loop and a link into a missing folder are refused, and stay as they were.
    for (const auto& [name, pointsAt, why] :
         {std::tuple("loop.dtm", "loop.dtm", "Too many levels of symbolic links"),
          std::tuple("nowhere.dtm", "missing/map.dtm", "No such file or directory")}) {
        fs::create_symlink(pointsAt, folder.Path(name));
        const Expected<std::unique_ptr<SideFileWriter>> refused =
            SideFileWriter::Open(folder.Path(name));
        ASSERT_FALSE(refused) << name;
        EXPECT_EQ(refused.Why(), why);
        EXPECT_TRUE(fs::is_symlink(folder.Path(name)));
    }

    // A file with a second name is replaced under the name saved to only.
    fs::create_hard_link(target, folder.Path("hard.dtm"));
    SaveBytes(folder.Path("hard.dtm"), kOld);
    EXPECT_EQ(ReadFileBytes(folder.Path("hard.dtm")), kOld);
    EXPECT_EQ(ReadFileBytes(target), kNew);
}

TEST(SideFileWriter, DevicesAreWrittenInPlaceAndFoldersCannotBeWritten) {
    SaveBytes("/dev/null", kNew);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    ContainerTempFolder folder;
    for (const std::string& path : {folder.Root().string(), folder.Path("missing/map.dtm"),
                                    std::string(), folder.Path("memory::map.dtm")}) {
        EXPECT_FALSE(SideFileWriter::Open(path)) << path;
    }
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

bool IsMarked(const std::string& path) {
    return ::getxattr(path.c_str(), LockedSideFile::kSideFileMark, nullptr, 0) >= 0;
}

TEST(SideFileWriter, OnlyTheProgramsOwnLeftoversThatNobodyHoldsAreRemoved) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    // A user's files, those of other tools and earlier versions, and names that only look like
    // the program's: kept.
    std::vector<std::string> kept = {".map.dtm.backup",
                                     ".map.dtm.AbC123",
                                     ".map.dtm.duskmarch-AbC12",
                                     ".map.dtm.duskmarch-AbC1234",
                                     ".other.dtm.duskmarch-AbC123",
                                     "map.dtm.duskmarch-AbC123",
                                     ".map.dtm.duskmarch-AbC-12",
                                     ".map.dtm.duskmarch-NoMark"};
    for (const std::string& name : kept) {
        WriteFileBytes(folder.Path(name), kNew);
    }
    std::string leftovers[5];
    {
        // Each killed save would clear the leftovers before it, unless the folder is locked.
        const LockHolder folderLock(folder.Root().string());
        for (std::string& leftover : leftovers) {
            leftover = test::LeaveKilledSave(path, &leftover == leftovers ? kOld : kNew);
            ASSERT_TRUE(leftover.starts_with(".map.dtm.duskmarch-")) << leftover;
            EXPECT_TRUE(IsMarked(folder.Path(leftover))) << leftover;
        }
    }
    // The first two are removed. The others are in doubt: one renamed (its mark names another
    // file), one with a second name, one that a save in another process holds.
    fs::rename(folder.Path(leftovers[2]), folder.Path(".map.dtm.duskmarch-Moved0"));
    fs::create_hard_link(folder.Path(leftovers[3]), folder.Path("second-name"));
    const std::string held = leftovers[4];
    fs::create_directory(folder.Path(".map.dtm.duskmarch-Folder"));
    fs::create_symlink(folder.Path(leftovers[0]), folder.Path(".map.dtm.duskmarch-Link00"));
    kept.insert(kept.end(), {".map.dtm.duskmarch-Moved0", leftovers[3], "second-name", held,
                             ".map.dtm.duskmarch-Folder", ".map.dtm.duskmarch-Link00", "map.dtm"});
    std::sort(kept.begin(), kept.end());
    {
        const LockHolder live(folder.Path(held));
        SaveBytes(path, kNew);
        EXPECT_EQ(folder.Names(), kept);
        EXPECT_EQ(ReadFileBytes(folder.Path(".map.dtm.backup")), kNew);
        EXPECT_FALSE(IsMarked(path)) << "the saved file keeps no mark";
    }
    // Once its writer is gone, the next save removes the side file it held.
    SaveBytes(path, kOld);
    EXPECT_FALSE(fs::exists(folder.Path(held)));
    EXPECT_EQ(folder.Names().size(), kept.size() - 1);
    EXPECT_EQ(ReadFileBytes(path), kOld);
}

// Runs a save in another process and tells whether it ended, successfully, within a time far
// longer than any save needs; one that waits for a lock is stopped by the alarm.
bool SavesWithoutHanging(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        std::unique_ptr<SideFileWriter> writer = OpenWriter(path);
        bool saved = false;
        if (writer) {
            WriteAll(*writer, kNew);
            saved = writer->Commit().HasValue();
        }
        ::_exit(saved ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "the save hung";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SideFileWriter, LocksHeldByOthersNeverHoldUpASave) {
    ContainerTempFolder folder;
    const std::string path = folder.Path("map.dtm");
    WriteFileBytes(path, kOld);
    const std::string held = test::LeaveKilledSave(path, kOld);
    const std::string unheld = test::LeaveKilledSave(path, kOld);
    {
        // Another process, perhaps of another user, locks the folder and a side file.
        const LockHolder folderLock(folder.Root().string());
        const LockHolder fileLock(folder.Path(held));
        EXPECT_TRUE(SavesWithoutHanging(path));
        EXPECT_EQ(ReadFileBytes(path), kNew);
        // The clean-up waits for a save that can lock the folder.
        EXPECT_TRUE(fs::exists(folder.Path(unheld)));
    }
    SaveBytes(path, kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"map.dtm"});
}

} // namespace
} // namespace dm
