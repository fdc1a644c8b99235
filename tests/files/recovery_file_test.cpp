#include "files/recovery_file.h"
#include "files/recovery_store.h"

#include "container_test_support.h"
#include "files/locked_side_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

void Append(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
}

std::vector<uint8_t> Int(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// The file with its check sum made again over everything before it, so that only the field
// changed can refuse it.
std::vector<uint8_t> Resealed(std::vector<uint8_t> bytes) {
    bytes.resize(bytes.size() - 7);
    const auto crc = static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
    Append(bytes, Int(crc));
    Append(bytes, Bytes("EOF"));
    return bytes;
}

std::shared_ptr<tilemap> TwoCells() {
    auto map = tilemap::Create(2, 1);
    map->SetTile(0, 0, 'A', 7, 0, 1);
    map->SetTile(1, 0, 'B', 7, 0, 1);
    return map;
}

TEST(RecoveryFile, BytesAreTheHeaderNamesRunsCheckSumAndTrailer) {
    const std::vector<uint8_t> encoded = EncodeRecovery({"Untitled", "", TwoCells()});
    std::vector<uint8_t> expected = Bytes("DMRECOVR");
    for (const auto& field :
         {Int(1), Int(2), Int(1), Int(8), Bytes("Untitled"), Int(0), Int(8),
          std::vector<uint8_t>{0, 'A', 0, 'B', 1, 7, 1, 0}, Int(0), Bytes("EOF")}) {
        Append(expected, field);
    }
    EXPECT_EQ(encoded, Resealed(expected));

    test::ContainerTempFolder folder;
    auto map = tilemap::Create(300, 7);
    map->InsertString(3, 2, "a map with a name", 14, 3, 0, 1, 0);
    const std::string file = folder.Path("canvas-1.dmrecovery");
    ASSERT_TRUE(WriteRecoveryFile({"/maps/cave.dtm", "/maps/cave.dtm", map}, file));
    const Expected<RecoveryRecord> read = ReadRecoveryFile(file);
    ASSERT_TRUE(read) << read.Why();
    EXPECT_EQ(read->path, "/maps/cave.dtm");
    EXPECT_EQ(read->filePath, "/maps/cave.dtm");
    EXPECT_EQ(std::tuple(read->image->tmapw, read->image->tmaph), std::tuple(300, 7));
    EXPECT_EQ(read->image->tmap, map->tmap);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"canvas-1.dmrecovery"});
}

TEST(RecoveryFile, ForeignCutShortAndDamagedFilesAreRefusedWithTheirReason) {
    const std::vector<uint8_t> whole = EncodeRecovery({"cave", "/maps/cave.xp", TwoCells()});
    const std::string notOurs = "not a recovery file";
    const std::string damaged = "the file is cut short or damaged";
    for (size_t length = 0; length < whole.size(); ++length) {
        const Expected<RecoveryRecord> cut =
            DecodeRecovery(std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        ASSERT_FALSE(cut) << length;
        EXPECT_EQ(cut.Why(), length < 8 ? notOurs : damaged) << length;
    }
    for (size_t at = 8; at < whole.size(); ++at) {
        std::vector<uint8_t> flipped = whole;
        flipped[at] ^= 0x10;
        EXPECT_FALSE(DecodeRecovery(flipped)) << at;
    }
    std::vector<uint8_t> longer = whole;
    longer.push_back(0);
    // The last run left out and the run count saying so: the rest is taken from what follows.
    std::vector<uint8_t> shortRuns(whole.begin(), whole.end() - 9);
    std::copy_n(Int(6).begin(), 4, shortRuns.end() - 10);
    Append(shortRuns, Bytes("crc EOF"));
    shortRuns = Resealed(shortRuns);
    // Fields that no check sum can vouch for: sizes, lengths and runs that do not fit.
    const auto at = [&whole](size_t offset, const std::vector<uint8_t>& with) {
        std::vector<uint8_t> changed = whole;
        std::copy(with.begin(), with.end(), changed.begin() + static_cast<long>(offset));
        return Resealed(changed);
    };
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {Bytes("DMTR\x01\0\0\0\x01\0\0\0\0\0\0\0\0\x41\0\x07\0\0EOF"), notOurs},
        {Bytes("\x89PNG\r\n\x1a\n and the rest of a picture"), notOurs},
        {longer, damaged},
        {at(8, Int(2)), "written by another version of the program"},
        {at(12, Int(0)), damaged},                  // no columns
        {at(16, Int(4096 * 4096 + 1)), damaged},    // more cells than a map may have
        {at(20, Int(65537)), damaged},              // a name longer than any
        {at(20, Int(5)), damaged},                  // a name running into the next field
        {at(whole.size() - 15, {1, 'A'}), damaged}, // runs covering too much
        {at(whole.size() - 19, Int(6)), damaged},   // a run count that is not the body's
        {shortRuns, damaged},                       // runs that end early
    };
    for (const auto& [bytes, why] : cases) {
        const Expected<RecoveryRecord> refused = DecodeRecovery(bytes);
        ASSERT_FALSE(refused) << why;
        EXPECT_EQ(refused.Why(), why);
    }

    test::ContainerTempFolder folder;
    EXPECT_EQ(ReadRecoveryFile(folder.Path("none")).Why(), "No such file or directory");
}

TEST(RecoveryFolder, ComesFromTheStateFolderOrHome) {
    const struct {
        const char* state;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/st", "/home/u", "/st/duskmarch/recovery"},
        {"", "/home/u/", "/home/u/.local/state/duskmarch/recovery"},
        {"relative", "/home/u", "/home/u/.local/state/duskmarch/recovery"},
        {"", "relative", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecoveryFolderFor(c.state, c.home), c.folder) << c.state << " " << c.home;
    }
}

void Touch(const std::string& path, std::chrono::hours age = std::chrono::hours(0)) {
    test::WriteFileBytes(path, Bytes("x"));
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

TEST(RecoveryFolder, SessionsAreLockedWhileTheirEditorLivesAndTakenOnceAfter) {
    test::ContainerTempFolder folder;
    const std::string recovery = folder.Path("state/recovery");
    Expected<std::unique_ptr<RecoverySession>> live = RecoverySession::Create(recovery);
    ASSERT_TRUE(live) << live.Why();
    EXPECT_EQ(fs::status(recovery).permissions() & fs::perms::all, fs::perms::owner_all);
    const std::string liveFolder = (*live)->Folder();
    EXPECT_EQ(fs::path(liveFolder).parent_path(), recovery);
    EXPECT_TRUE(fs::path(liveFolder).filename().string().starts_with("session-"));
    EXPECT_EQ((*live)->NewFilePath(), liveFolder + "/canvas-1.dmrecovery");
    Touch(liveFolder + "/canvas-2.dmrecovery");
    EXPECT_EQ((*live)->NewFilePath(), liveFolder + "/canvas-3.dmrecovery");
    Touch(liveFolder + "/canvas-1.dmrecovery");
    Touch(liveFolder + "/.canvas-1.dmrecovery" + LockedSideFile::kNameMarker + "Ab12Cd");
    EXPECT_TRUE(TakeDeadSessions(recovery).empty());

    Expected<std::unique_ptr<RecoverySession>> other = RecoverySession::Create(recovery);
    ASSERT_TRUE(other);
    live->reset();
    const auto dead = TakeDeadSessions(recovery);
    ASSERT_EQ(dead.size(), 1u);
    EXPECT_EQ(dead[0]->Folder(), liveFolder);
    EXPECT_EQ(dead[0]->Files(), (std::vector<std::string>{liveFolder + "/canvas-1.dmrecovery",
                                                          liveFolder + "/canvas-2.dmrecovery"}));
    // Another editor starting meanwhile finds nothing to take.
    EXPECT_TRUE(TakeDeadSessions(recovery).empty());
    fs::remove(liveFolder + "/canvas-1.dmrecovery");
    dead[0]->RemoveWhenEmpty();
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(liveFolder),
              std::vector<std::string>{"canvas-2.dmrecovery"});
    fs::remove(liveFolder + "/canvas-2.dmrecovery");
    dead[0]->RemoveWhenEmpty();
    EXPECT_FALSE(fs::exists(liveFolder));

    const std::string otherFolder = (*other)->Folder();
    Touch(otherFolder + "/canvas-1.dmrecovery");
    Touch(otherFolder + "/.canvas-1.dmrecovery" + LockedSideFile::kNameMarker + "Ab12Cd");
    (*other)->RemoveWithFiles();
    EXPECT_FALSE(fs::exists(otherFolder));
}

TEST(RecoveryFolder, FilesMovedAsideKeepTheirNamesAndOldDiscardsGo) {
    test::ContainerTempFolder folder;
    const std::string aside = folder.Path("aside");
    for (int i = 0; i < 3; ++i) {
        Touch(folder.Path("from.dmrecovery"), std::chrono::hours(24 * 30));
        const Expected<std::string> moved =
            MoveAside(folder.Path("from.dmrecovery"), aside, "s-canvas.dmrecovery", i == 0);
        ASSERT_TRUE(moved) << moved.Why();
    }
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(aside),
              (std::vector<std::string>{"s-canvas-2.dmrecovery", "s-canvas-3.dmrecovery",
                                        "s-canvas.dmrecovery"}));
    EXPECT_FALSE(MoveAside(folder.Path("gone.dmrecovery"), aside, "x.dmrecovery", false));

    // Only the untouched moves are older than a week; other files stay whatever their age.
    Touch(aside + "/six-days.dmrecovery", std::chrono::hours(24 * 6));
    Touch(aside + "/notes.txt", std::chrono::hours(24 * 30));
    DeleteOlderThan(aside, std::chrono::days(7));
    EXPECT_EQ(
        test::ContainerTempFolder::NamesIn(aside),
        (std::vector<std::string>{"notes.txt", "s-canvas.dmrecovery", "six-days.dmrecovery"}));
}

} // namespace
} // namespace dm
