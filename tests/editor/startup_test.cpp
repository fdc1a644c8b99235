#include "editor_session.h"

#include "editor/long_work.h"
#include "editor/program_arguments.h"
#include "editor/screen_layout.h"
#include "files/container_test_support.h"
#include "files/tilemap_file.h"
#include "platform/drawing/software_renderer.h"
#include "platform/pictures/png_codec.h"
#include "support/memory_limit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <tuple>

namespace dm {
namespace {

using test::EditorSession;
using test::Script;
using namespace std::string_literals;

TEST(ProgramArguments, MapsInOrderRelativeToTheStartFolderAndEverythingAfterDashDashIsAMap) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> maps;
        std::string replay, error;
    };
    const Case cases[] = {
        {{"maps/town.dtm"}, {"/home/ann/maps/town.dtm"}, "", ""},
        {{"--replay", "../s.txt", "/abs/x.dtm"}, {"/abs/x.dtm"}, "/home/s.txt", ""},
        {{"a.dtm", "--replay", "s", "b.dtm"},
         {"/home/ann/a.dtm", "/home/ann/b.dtm"},
         "/home/ann/s",
         ""},
        {{"--", "-h", "--help", "--replay"},
         {"/home/ann/-h", "/home/ann/--help", "/home/ann/--replay"},
         "",
         ""},
        {{"", "b.dtm"}, {"", "/home/ann/b.dtm"}, "", ""},
        {{"a.dtm", "-h", "--", "b"}, {"/home/ann/a.dtm"}, "", "help"},
        {{"a.dtm", "--version", "b"}, {"/home/ann/a.dtm"}, "", "version"},
        {{"--replay", "s", "-h", "--version"}, {}, "/home/ann/s", "help"},
        {{"--", "--version"}, {"/home/ann/--version"}, "", ""},
        {{"--replay"}, {}, "", "--replay needs a script"},
        {{}, {}, "", ""},
    };
    for (const Case& c : cases) {
        const Expected<ProgramArguments> parsed = ParseProgramArguments(c.args, "/home/ann");
        const ProgramArguments arguments = parsed ? *parsed : ProgramArguments{};
        const std::string error = !parsed                                        ? parsed.Why()
                                  : arguments.request == ProgramRequest::Help    ? "help"
                                  : arguments.request == ProgramRequest::Version ? "version"
                                                                                 : "";
        EXPECT_EQ(arguments.mapPaths, c.maps) << testing::PrintToString(c.args);
        EXPECT_EQ(std::pair(arguments.replayScript, error), std::pair(c.replay, c.error));
    }
}

TEST(CommandLineOpen, AFileBecomesTheFirstCanvasAndADirectoryIsRefused) {
    const std::string path = testing::TempDir() + "/castle.dtm";
    auto map = tilemap::Create(20, 12);
    map->SetTile(3, 4, 'Q', 5, 6, 1);
    ASSERT_EQ(Save(*map, path), 1);
    const auto opened = test::Ran(Script().End(), path);
    ASSERT_EQ(opened->State().canvases.size(), 1u);
    const canvas& first = *opened->State().activecanvas;
    EXPECT_EQ(std::tuple(first.path, first.hassaved, first.w, first.img->transparentcolor),
              std::tuple("castle", 1, 20, 255));
    EXPECT_EQ(first.img->tmap, map->tmap);
    EXPECT_EQ(test::Row(*opened->State().listmap, 0, 2, 8), ">castle<");

    const auto directory = test::Ran("end\n", testing::TempDir());
    EXPECT_EQ(directory->Shown(37, 31, 23), "Failed to open tilemap.");
    const auto answered = test::Ran("frame 1\npress 13\nframe 3\nend\n", testing::TempDir());
    EXPECT_TRUE(answered->State().canvases.empty());
}

TEST(CommandLineOpen, SeveralMapsOpenInOrderUpToEightWithTheFirstActiveAndTheRestRefusedOnce) {
    const std::string folder = test::FreshFolder("several");
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        paths.push_back(folder + "/map" + std::to_string(i) + ".dtm");
        test::SaveRows(paths.back(), {std::string(1, static_cast<char>('0' + i))});
    }
    const auto two = test::Ran(Script().End(), std::vector<std::string>{paths[0], paths[1]});
    const EditorState& opened = two->State();
    ASSERT_EQ(opened.canvases.size(), 2u);
    EXPECT_EQ(opened.activecanvas, opened.canvases[0]);
    EXPECT_EQ(test::Row(*opened.listmap, 0, 2, 6) + test::Row(*opened.listmap, 0, 3, 6),
              ">map0< map1 ");
    EXPECT_EQ(two->Log(), "");

    // An empty name is a file that cannot be opened; the ninth and tenth maps get one message.
    std::vector<std::string> many{""};
    many.insert(many.end(), paths.begin(), paths.end());
    const auto full = test::Ran(Script().Then("press 13\n").Then("press 13\n").Wait(1).End(), many);
    const EditorState& state = full->State();
    EXPECT_EQ(full->Log(), "popup Error!: Failed to open tilemap.\n"
                           "popup Error!: Too many canvases; you cannot open another. If you wish "
                           "to open another canvas, try saving and closing some of the ones you "
                           "currently have open.\n");
    ASSERT_EQ(state.canvases.size(), 8u);
    EXPECT_EQ(state.canvases[7]->path, "map7");
    EXPECT_EQ(state.activecanvas, state.canvases[0]);
    EXPECT_EQ(test::Row(*state.activecanvas->img, 0, 0, 1), "0");
}

TEST(CommandLineOpen, TheProgramTakesEveryArgumentAfterDashDashAsAMap) {
    // Maps named "a.dtm" and "-h" and an empty name, relative to the folder the program starts
    // in: the empty one fails to open, the others are offered by the save requester in turn.
    test::ContainerTempFolder folder;
    test::SaveRows(folder.Path("a.dtm"), {"a"});
    test::SaveRows(folder.Path("-h"), {"h"});
    std::ofstream(folder.Path("s.txt"))
        << "frame 1\npress 13\nframe 2\npress 83\nframe 3\npress 9\nframe 4\npress 83\nend\n";
    const std::string command = "cd '" + folder.Root().string() + "' && timeout 60 '" +
                                DUSKMARCH_BIN_DIR +
                                "/duskmarch' --replay s.txt -- a.dtm -h '' >out.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> out = test::ReadFileBytes(folder.Path("out.txt"));
    const std::string where = std::filesystem::canonical(folder.Root()).string();
    const std::string save = "requester save Save Tilemap As [Duskmarch Tilemaps:dtm;All Files:*] ";
    EXPECT_EQ(std::string(out.begin(), out.end()), "popup Error!: Failed to open tilemap.\n" +
                                                       save + where + "/a\n" + save + where +
                                                       "/-h\n");
}

// The start-up screen as the software renderer draws it, against the picture kept with the
// tests, and the help and tables it hides. A mismatch writes what was drawn beside the test.
TEST(ScreenLayout, StartUpScreenMatchesTheKeptPictureAndHelpAndTablesAreWhereUsersLook) {
    const auto session = test::Ran(Script().Then(test::MoveToCell(100, 40)).End());
    const EditorState& state = session->State();
    EXPECT_EQ(test::Row(*state.helpmap, 0, 0, 31), "== MOUSE CONTROLS GUIDE ==  \0\0\0"s);
    EXPECT_EQ(test::Row(*state.helpmap, 0, 4, 64),
              "canvas to draw tiles, middle click to perform a flood fill. Hold");
    EXPECT_EQ(test::Row(*state.helpmap, 0, 25, 23), "[\x18][\x19][\x1B][\x1A] scroll the");
    EXPECT_EQ(test::Row(*state.tablesmap, 1, 9, 6), "@ 64\0\0"s);
    EXPECT_EQ(test::Row(*state.tablesmap, 91, 31, 4) + test::Row(*state.tablesmap, 91, 32, 4),
              "\0\0\0\0 255"s);
    EXPECT_EQ(test::Row(*state.tablesmap, 1, 32, 13), "Pallet table:");
    uint8_t glyph = 0, fg = 0, bg = 0;
    state.tablesmap->GrabTile(13, 35, glyph, fg, bg);
    EXPECT_EQ((std::array<int, 3>{glyph, fg, bg}), (std::array<int, 3>{219, 18, 9}));
    EXPECT_EQ(std::pair(HelpColumn(state), HelpRow(state)), std::pair(55 - 32, 34 - 33 / 2));

    const std::shared_ptr<TPixmap> drawn = session->Driver().LastFrame();
    const std::string kept = std::string(DUSKMARCH_SOURCE_DIR) + "/tests/editor/startup_screen.png";
    const std::shared_ptr<TPixmap> expected = LoadPixmap(kept);
    int differing = expected ? 0 : -1;
    for (int y = 0; expected && y < drawn->height; ++y) {
        for (int x = 0; x < drawn->width; ++x) {
            differing +=
                (drawn->ReadPixel(x, y) & 0xFFFFFF) != (expected->ReadPixel(x, y) & 0xFFFFFF);
        }
    }
    const std::string actual = testing::TempDir() + "/startup_screen_actual.png";
    if (differing != 0) {
        WritePixmapPNG(*drawn->Convert(kPixelFormatRGB888), actual, 6);
    }
    EXPECT_EQ(differing, 0) << "pixels differ from " << kept << "; drawn: " << actual;
}

TEST(KeyTable, LettersWithoutShiftAreUsedUpAndTabNeedsTwoCanvases) {
    Script script;
    script.Then("press 66\n").Then("key down 160\n").Then("key up 160\n");
    const auto forgotten = test::Ran(script.End());
    EXPECT_FALSE(forgotten->State().showtables);

    script.Shifted('B').Shifted('N').Then("press 9\n");
    const auto toggled = test::Ran(script.End());
    EXPECT_TRUE(toggled->State().showtables);
    ASSERT_EQ(toggled->State().canvases.size(), 1u);
    EXPECT_EQ(toggled->State().activecanvas, toggled->State().canvases[0]);

    // F1 needs no Shift; Shift+N in the same frame as a held Shift from before works too.
    script.Then("press 112\n").Shifted('N').Then("press 9\n");
    const auto cycled = test::Ran(script.End());
    EXPECT_TRUE(cycled->State().showhelp);
    EXPECT_EQ(cycled->State().activecanvas, cycled->State().canvases[0]);
}

TEST(QuitCheck, AsksOnlyWithUnsavedCanvasesAndNoKeepsEverything) {
    EditorSession none;
    EXPECT_TRUE(none.Run(Script().Then("key down 27\n").End()));
    EXPECT_EQ(none.Driver().FrameNumber(), 1);

    EditorSession closed;
    EXPECT_TRUE(closed.Run(Script().Then("close\n").End()));

    Script unsaved;
    unsaved.Shifted('N').Then("key down 27\n").Then("press 39\n").Then("press 13\n");
    const auto no = test::Ran(unsaved.Wait(3).End());
    EXPECT_EQ(no->State().canvases.size(), 1u);

    unsaved.Then("close\n").Then("press 13\n");
    EditorSession yes;
    EXPECT_TRUE(yes.Run(unsaved.End()));
    // The question stands in the popup's label.
    EXPECT_EQ(yes.Shown(37, 31, 20), "Exit without saving?");
}

TEST(ReplayLog, EveryPopupIsLoggedWithItsTitleAndTextAsItOpens) {
    Script script;
    for (int i = 0; i < 9; ++i) {
        script.Shifted('N');
    }
    script.Then("press 13\n").Then("answer /no/such/folder/map.dtm\npress 83\n");
    script.Then("press 13\n").Then("key down 27\n");
    const auto session = test::Ran(script.Wait(2).End());
    EXPECT_EQ(session->Log(),
              "popup Error!: Too many canvases; you cannot create another. If you wish to create a "
              "new canvas, try saving and closing some of the ones you currently have open.\n"
              "requester save Save Tilemap As [Duskmarch Tilemaps:dtm;All Files:*] Untitled\n"
              "popup Error!: Failed to save tilemap image!\n"
              "popup Confirm!: Exit without saving?\n");
}

TEST(QuitCheck, KeysPressedWhileTheQuestionIsUpAreForgottenWhenItIsAnsweredWithTheMouse) {
    // O is pressed while the question is up, then "No" is clicked; O must not open a requester.
    Script script;
    script.Shifted('N').Then("key down 27\n").Then("key up 27\npress 79\n").Click(55, 36);
    const auto session = test::Ran(script.Wait(2).End());
    EXPECT_EQ(session->Log(), "popup Confirm!: Exit without saving?\n");
    EXPECT_EQ(session->State().canvases.size(), 1u);
}

TEST(QuitCheck, ACloseRequestDuringAPromptLeavesItAndThenAsksAsUsual) {
    const std::string path = test::FreshFolder("close_prompt") + "/saved.dtm";
    test::SaveRows(path, {"ab"});
    Script script;
    script.Shifted('R').Then("char 52\n").Then("close\n");
    // A saved canvas: the editor ends at once, its size unchanged.
    EditorSession saved;
    EXPECT_TRUE(saved.Run(script.Wait(2).End(), path));
    EXPECT_EQ(saved.Log(), "");
    EXPECT_EQ(saved.State().activecanvas->w, 2);
    // An unsaved one: the question comes, and Yes ends the editor.
    Script unsaved;
    unsaved.Shifted('N').Shifted('R').Type("40").Then("char 52\n").Then("close\n");
    EditorSession asked;
    EXPECT_TRUE(asked.Run(unsaved.Then("press 13\n").End()));
    EXPECT_EQ(asked.Log(), "popup Confirm!: Exit without saving?\n");
    EXPECT_EQ(asked.State().activecanvas->w, 16);
}

TEST(QuitCheck, EscapeLeavingTypingModeDoesNotAskToQuit) {
    Script script;
    script.Shifted('N').Then(test::OverCanvas(6, 3)).Shifted('T');
    script.Then("char 72\n").Then("key down 27\nchar 27\n").Then("key up 27\n");
    const auto session = test::Ran(script.Wait(2).End());
    EXPECT_FALSE(session->State().typing);
    EXPECT_EQ(session->State().activecanvas->hassaved, 0);
}

TEST(LongWork, ShowsItsProgressOnlyWhenItTakesAWhileAndHidesItAfterwards) {
    const auto session = test::Ran(test::Script().End());
    const int64_t frames = session->Driver().FrameNumber();

    RunWithProgress(session->State(), "Encode Tilemap",
                    [](const WorkProgress& progress) { progress(10); });
    EXPECT_EQ(session->Log().find("progress"), std::string::npos);

    std::string shownWhileWorking;
    RunWithProgress(session->State(), "Encode Tilemap", [&](const WorkProgress& progress) {
        progress(420);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        shownWhileWorking = session->Shown(kMessageLine.x, kMessageLine.y, 20);
    });
    EXPECT_EQ(shownWhileWorking, "Encode Tilemap:  42%");
    EXPECT_EQ(session->Log(), "progress Encode Tilemap\n");
    EXPECT_EQ(session->Driver().FrameNumber(), frames); // a replay's frames are not moved on
    uint8_t glyph = 0, fg = 0, bg = 0;
    session->State().screenmap->GrabTile(kMessageLine.x, kMessageLine.y, glyph, fg, bg);
    EXPECT_EQ((std::array<int, 3>{glyph, fg, bg}), (std::array<int, 3>{'E', 9, 9}));

    EXPECT_THROW(RunWithProgress(session->State(), "Export Tilemap",
                                 [](const WorkProgress&) { throw std::runtime_error("disk"); }),
                 std::runtime_error);
}

// Without room for a thread's stack the work is done on the editor's own thread.
TEST(LongWork, RunsOnTheCallersThreadWhenNoThreadCanStart) {
    if (!test::AddressSpaceLimitsWork()) {
        GTEST_SKIP() << "address space limits cannot be tested here";
    }
    const auto session = test::Ran(test::Script().End());
    const auto ran = test::RunWithHeadroom(int64_t{1} << 20, [&session] {
        const std::thread::id caller = std::this_thread::get_id();
        std::thread::id worker;
        RunWithProgress(session->State(), "Export Tilemap", [&worker](const WorkProgress& done) {
            worker = std::this_thread::get_id();
            done(kProgressTotal);
        });
        return worker == caller;
    });
    EXPECT_EQ(ran, test::LimitedRun::Done);
}

namespace fs = std::filesystem;

// Runs the program with no display to reach; a run that hangs is ended after a minute. Gives its
// exit status and what it wrote to standard error.
std::pair<int, std::string> RunWithoutDisplay(const fs::path& program, const std::string& folder) {
    const std::string err = folder + "/stderr.txt";
    const int raw = std::system(("timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "
                                 "ASAN_OPTIONS=detect_leaks=0 '" +
                                 program.string() + "' 2>'" + err + "'")
                                    .c_str());
    const std::vector<uint8_t> bytes = test::ReadFileBytes(err);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(bytes.begin(), bytes.end())};
}

// A start without a display would end with the window's message instead, so these messages also
// show that the art is loaded before any window is asked for.
TEST(StartUpFaults, MissingArtOrConfigurationEndsWithItsMessageAndStatus255BeforeAnyWindow) {
    const std::pair<const char*, const char*> cases[] = {
        {"data/image/pallet.png", "Failed to load data/image/pallet.png\n"},
        {"data/image/curses_fg.png", "Failed to load data/image/curses_fg.png\n"},
        {"data/image/curses_bg.png", "Failed to load tileset image data/image/curses_bg.png\n"},
        {"dmdata/graphics.txt", "Failed to read dmdata\\graphics.txt\n"},
    };
    for (const auto& [missing, message] : cases) {
        // The program finds its files beside itself, so a copy of its folder loses one.
        test::ContainerTempFolder folder;
        const fs::path bin = DUSKMARCH_BIN_DIR;
        fs::copy_file(bin / "duskmarch", folder.Root() / "duskmarch");
        fs::copy(bin / "data", folder.Root() / "data", fs::copy_options::recursive);
        fs::copy(bin / "dmdata", folder.Root() / "dmdata", fs::copy_options::recursive);
        fs::remove(folder.Root() / missing);
        EXPECT_EQ(RunWithoutDisplay(folder.Root() / "duskmarch", folder.Path(".")),
                  std::pair(255, std::string(message)));
    }
}

TEST(StartUpFaults, NoDisplayEndsWithSdlsReasonAndStatus255) {
    test::ContainerTempFolder folder;
    const auto [status, err] =
        RunWithoutDisplay(fs::path(DUSKMARCH_BIN_DIR) / "duskmarch", folder.Path("."));
    EXPECT_EQ(status, 255);
    // SDL names the video drivers it tried, the one for X among them, on one line.
    const std::string prefix = "Unable to open the Duskmarch window: ";
    const size_t at = err.find(prefix);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string reason = err.substr(at + prefix.size());
    EXPECT_NE(reason.find("x11"), std::string::npos) << err;
    EXPECT_EQ(reason.find('\n'), reason.size() - 1) << err;
}

} // namespace
} // namespace dm
