// Autosaves of unsaved work and their recovery at the next start, in the editor run headless.
#include "editor_session.h"

#include "editor/autosave.h"
#include "editor/canvas_commands.h"
#include "editor/file_commands.h"
#include "files/container_test_support.h"
#include "files/recovery_file.h"
#include "files/recovery_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::Script;

std::shared_ptr<tilemap> Drawn(int32_t w, int32_t h, const std::string& text) {
    auto map = tilemap::Create(w, h);
    map->InsertString(0, 0, text, 3, 4, 0, 1, 0);
    return map;
}

// What the file holds, or the reason it cannot be read.
std::string Held(const std::string& file) {
    const Expected<RecoveryRecord> read = ReadRecoveryFile(file);
    if (!read) {
        return read.Why();
    }
    std::string glyphs(read->image->tmap.begin(),
                       read->image->tmap.begin() + read->image->tmapw * read->image->tmaph);
    glyphs.erase(glyphs.find_last_not_of('\0') + 1);
    return read->path + "|" + read->filePath + "|" + glyphs;
}

void Draw(canvas& drawn, int32_t x, char glyph) {
    drawn.img->SetTile(x, 0, static_cast<uint8_t>(glyph), 3, 4, 1);
    NoteImageChange(drawn);
}

TEST(Autosave, WritesWhatChangedAtEachIntervalAndRemovesTheFilesOfSavedAndClosedCanvases) {
    test::ContainerTempFolder folder;
    Expected<std::unique_ptr<RecoverySession>> session =
        RecoverySession::Create(folder.Path("recovery"));
    ASSERT_TRUE(session);
    const std::string sessionFolder = (*session)->Folder();
    Autosaver saver(std::move(session), 1000, 0);
    auto untouched = std::make_shared<canvas>();
    untouched->path = "Untitled";
    untouched->img = tilemap::Create(4, 1);
    auto drawn = std::make_shared<canvas>(*untouched);
    drawn->img = tilemap::Create(4, 1);
    std::vector<std::shared_ptr<canvas>> canvases{
        untouched, drawn, CanvasFromFile(Drawn(3, 1, "cav"), "/maps/cave.dtm")};
    const auto tick = [&](int64_t now) {
        saver.Tick(canvases, now);
        saver.WaitUntilIdle();
    };

    Draw(*drawn, 0, 'a');
    tick(999);
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(sessionFolder), std::vector<std::string>{});
    // The cells are taken when the interval is up; drawing after it waits for the next.
    saver.Tick(canvases, 1000);
    Draw(*drawn, 1, 'b');
    saver.WaitUntilIdle();
    const std::string file = saver.FileOf(*drawn);
    EXPECT_EQ(file, sessionFolder + "/canvas-1.dmrecovery");
    EXPECT_EQ(Held(file), "Untitled||a");
    EXPECT_EQ(saver.FileOf(*untouched), "");
    EXPECT_EQ(saver.FileOf(*canvases[2]), "");
    tick(1999);
    EXPECT_EQ(Held(file), "Untitled||a");
    tick(2000);
    EXPECT_EQ(Held(file), "Untitled||ab");
    // Nothing changed since: the file is not written again, even when it has gone.
    fs::remove(file);
    tick(3000);
    EXPECT_FALSE(fs::exists(file));
    Draw(*drawn, 2, 'c');
    tick(4000);
    EXPECT_EQ(Held(file), "Untitled||abc");

    // Saved: the file goes at once. An opened canvas changed is kept with its name and file.
    drawn->path = folder.Path("drawn.dtm");
    MarkSaved(*drawn, drawn->path);
    Draw(*canvases[2], 0, 'C');
    tick(4001);
    EXPECT_FALSE(fs::exists(file));
    tick(5000);
    const std::string opened = saver.FileOf(*canvases[2]);
    EXPECT_EQ(Held(opened), "cave|/maps/cave.dtm|Cav");
    // Undone back to the file's cells, it needs no recovery file either.
    Draw(*canvases[2], 0, 'c');
    tick(5001);
    EXPECT_FALSE(fs::exists(opened));
    Draw(*canvases[2], 1, 'A');
    tick(6000);
    EXPECT_TRUE(fs::exists(opened));
    canvases.pop_back();
    tick(6001);
    EXPECT_FALSE(fs::exists(opened));

    // A confirmed quit takes every file and the folder.
    Draw(*drawn, 3, 'd');
    tick(7000);
    EXPECT_EQ(Held(saver.FileOf(*drawn)),
              folder.Path("drawn.dtm") + "|" + folder.Path("drawn.dtm") + "|abcd");
    saver.ForgetAll();
    saver.WaitUntilIdle();
    EXPECT_FALSE(fs::exists(sessionFolder));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"recovery"});
}

// A session folder left by an editor that is gone, holding the files given.
std::string DeadSession(const std::string& recovery, const std::string& name,
                        const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
    const std::string folder = recovery + "/" + name;
    fs::create_directories(folder);
    for (const auto& [file, bytes] : files) {
        test::WriteFileBytes(folder + "/" + file, bytes);
    }
    return folder;
}

std::vector<uint8_t> RecoveryBytes(const std::string& path, const std::string& filePath,
                                   const std::string& text) {
    return EncodeRecovery({path, filePath, Drawn(20, 3, text)});
}

TEST(Recovery, DamagedAndForeignFilesAreSetAsideAndWholeOnesOpenAsUnsavedCanvases) {
    test::ContainerTempFolder folder;
    const std::string recovery = folder.Path("recovery");
    std::vector<uint8_t> torn = RecoveryBytes("torn", "", "cut");
    torn.resize(torn.size() - 4);
    const std::string dead = DeadSession(
        recovery, "session-dead01",
        {{"canvas-1.dmrecovery", RecoveryBytes("/maps/cave.dtm", "/maps/cave.dtm", "c")},
         {"canvas-2.dmrecovery", torn},
         {"canvas-3.dmrecovery", {'h', 'i', '\n'}},
         {"canvas-4.dmrecovery", RecoveryBytes("Untitled", "", "new work")}});
    test::EditorSession session;
    session.RecoverFrom(recovery);
    session.Run(Script().Then("press 13\n").Then("press 13\n").Then("press 13\n").Wait(2).End());
    EXPECT_EQ(session.Log(),
              "popup Error!: Recovery file canvas-2.dmrecovery refused: the file "
              "is cut short or damaged. Kept in " +
                  recovery + "/refused\n" +
                  "popup Error!: Recovery file canvas-3.dmrecovery refused: not a "
                  "recovery file. Kept in " +
                  recovery + "/refused\n" +
                  "popup Confirm!: Recover 2 unsaved maps from an earlier session?\n");
    const EditorState& state = session.State();
    ASSERT_EQ(state.canvases.size(), 2u);
    EXPECT_EQ(state.activecanvas, state.canvases[0]);
    const struct {
        const char* path;
        const char* filePath;
        const char* text;
    } expected[] = {{"/maps/cave.dtm", "/maps/cave.dtm", "c"}, {"Untitled", "", "new work"}};
    for (size_t i = 0; i < 2; ++i) {
        const canvas& recovered = *state.canvases[i];
        EXPECT_EQ(std::tuple(recovered.path, recovered.filePath, recovered.hassaved, recovered.w,
                             recovered.h, recovered.img->transparentcolor),
                  std::tuple(std::string(expected[i].path), std::string(expected[i].filePath), 0,
                             20, 3, 255));
        EXPECT_EQ(recovered.img->tmap, Drawn(20, 3, expected[i].text)->tmap);
        // The files now belong to this session.
        const std::string file = state.autosaver->FileOf(recovered);
        EXPECT_NE(fs::path(file).parent_path(), dead);
        EXPECT_EQ(Held(file).substr(0, std::strlen(expected[i].path)), expected[i].path);
    }
    EXPECT_EQ(test::Row(*state.listmap, 0, 2, 6), ">cave<");
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(recovery + "/refused"),
              (std::vector<std::string>{"session-dead01-canvas-2.dmrecovery",
                                        "session-dead01-canvas-3.dmrecovery"}));
    EXPECT_EQ(test::ReadFileBytes(recovery + "/refused/session-dead01-canvas-2.dmrecovery"), torn);
}

TEST(Recovery, NoKeepsTheMapsAWeekAndYesOpensAsManyAsTheLimitAllows) {
    test::ContainerTempFolder folder;
    const std::string recovery = folder.Path("recovery");
    const std::string discarded = recovery + "/discarded";
    fs::create_directories(discarded);
    for (const int days : {6, 8}) {
        const std::string old = discarded + "/" + std::to_string(days) + "-days.dmrecovery";
        test::WriteFileBytes(old, RecoveryBytes("old", "", "old"));
        fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::days(days));
    }
    std::vector<std::pair<std::string, std::vector<uint8_t>>> nine;
    for (const std::string i : {"1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
        nine.push_back({"canvas-" + i + kRecoveryExtension, RecoveryBytes("map" + i, "", i)});
    }
    DeadSession(recovery, "session-first", nine);
    test::EditorSession declined;
    declined.RecoverFrom(recovery);
    declined.Run(Script().Then("press 39\n").Then("press 13\n").Wait(2).End());
    EXPECT_EQ(declined.Log(), "popup Confirm!: Recover 9 unsaved maps from an earlier session?\n");
    EXPECT_TRUE(declined.State().canvases.empty());
    EXPECT_FALSE(fs::exists(recovery + "/session-first"));
    const std::vector<std::string> kept = test::ContainerTempFolder::NamesIn(discarded);
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_EQ(kept[0], "6-days.dmrecovery");
    EXPECT_EQ(kept[1], "session-first-canvas-1.dmrecovery");
    // Their week counts from now: the next start keeps them.
    EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(discarded + "/" + kept[9]),
              std::chrono::hours(1));

    const std::string second = DeadSession(recovery, "session-second", nine);
    test::EditorSession accepted;
    accepted.RecoverFrom(recovery);
    accepted.Run(Script().Then("press 13\n").Then("press 13\n").Wait(2).End());
    EXPECT_EQ(accepted.Log(),
              std::string("popup Confirm!: Recover 9 unsaved maps from an earlier session?\n") +
                  "popup Error!: " + kTooManyToOpen + "\n");
    EXPECT_EQ(accepted.State().canvases.size(), 8u);
    EXPECT_EQ(accepted.State().canvases[7]->path, "map8");
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(second),
              std::vector<std::string>{"canvas-9.dmrecovery"});
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(discarded).size(), 10u);
}

// A scripted run that ends while the question is open neither opens nor discards the maps.
TEST(Recovery, ARunEndingAtTheQuestionLeavesTheMapsForTheNextSession) {
    test::ContainerTempFolder folder;
    const std::string recovery = folder.Path("recovery");
    const std::vector<uint8_t> bytes = RecoveryBytes("Untitled", "", "kept");
    const std::string dead =
        DeadSession(recovery, "session-dead02", {{"canvas-1.dmrecovery", bytes}});
    test::EditorSession session;
    session.RecoverFrom(recovery);
    EXPECT_FALSE(session.Run(Script().Wait(2).End()));
    EXPECT_EQ(session.Log(), "popup Confirm!: Recover 1 unsaved maps from an earlier session?\n");
    EXPECT_EQ(test::ContainerTempFolder::NamesIn(dead),
              std::vector<std::string>{"canvas-1.dmrecovery"});
    EXPECT_EQ(test::ReadFileBytes(dead + "/canvas-1.dmrecovery"), bytes);
    EXPECT_FALSE(fs::exists(recovery + "/discarded"));
}

TEST(Recovery, AFailingAutosaveIsToldOnceAndEditingGoesOn) {
    test::ContainerTempFolder folder;
    test::WriteFileBytes(folder.Path("state"), {'x'});
    Script script;
    // A 16 x 16 canvas drawn on, then a minute and more away from it, twice.
    script.Shifted('N').Click(test::OverCanvas(1, 1)).Then(test::kAway).Wait(1250);
    script.Then("press 13\n").Click(test::OverCanvas(2, 1)).Then(test::kAway).Wait(1250);
    test::EditorSession session;
    session.RecoverFrom(folder.Path("state/recovery"));
    session.Run(script.End());
    EXPECT_EQ(session.Log(),
              "popup Error!: Unable to autosave Untitled: " + folder.Path("state/recovery") +
                  ": Not a directory. Save your work to keep it.\n");
    EXPECT_EQ(test::Row(*session.State().activecanvas->img, 2, 1, 1), "@"); // glyph 64
}

} // namespace
} // namespace dm
