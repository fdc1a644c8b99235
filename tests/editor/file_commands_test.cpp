#include "editor_session.h"
#include "files/container_test_support.h"
#include "files/random.h"
#include "support/closing_fifo.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::OverCanvas;
using test::Row;
using test::Script;
namespace fs = std::filesystem;

const std::string kMaps = "[Duskmarch Tilemaps:dtm;All Files:*] ";
const std::string kPictures = "[PNG Image:png;All Files:*] ";
const std::string kOpenMaps = "[Duskmarch Tilemaps:dtm;XP Images:xp;All Files:*] ";

std::string Answer(const std::string& path) {
    return "answer " + path + "\n";
}

// The popup on the last frame: its five text rows without their blank ends, joined by spaces.
std::string PopupText(const EditorSession& session) {
    std::string text;
    for (int row = 31; row < 36; ++row) {
        std::string line = session.Shown(37, row, 36);
        line.erase(line.find_last_not_of(std::string(" \0", 2)) + 1);
        text += text.empty() || line.empty() ? line : " " + line;
    }
    return text;
}

TEST(FileCommands, SaveOpenExportEncodeAndImportRoundTrip) {
    // Each run starts from an empty folder, so that no save has a file to replace.
    const std::string folder = test::FreshFolder("round_trip");
    Script script;
    const auto run = [&] {
        test::FreshFolder("round_trip");
        return test::Ran(script.End());
    };
    // Background 5 between two drawn cells.
    script.Shifted('N')
        .Click(OverCanvas(1, 1))
        .Click(test::OverPickerIndex(kColourPickerRegion, 5), 2);
    script.Click(OverCanvas(15, 15)).Then(kAway);
    // A name typed without extension is saved with ".dtm".
    script.Then(Answer(folder + "/castle") + "press 83\n");
    const auto saved = run();
    EXPECT_EQ(PopupText(*saved), "castle was saved successfully!");

    script.Then("press 13\n").Then(Answer(folder + "/castle.dtm") + "press 79\n");
    for (const auto& [key, text] :
         {std::pair{'E', "castle was exported successfully as castle.png."},
          {'K', "castle was encoded successfully as castle-code.png."}}) {
        script.Then(Answer(folder + (key == 'E' ? "/castle.png" : "/castle-code.png")))
            .Shifted(key);
        const auto done = run();
        EXPECT_EQ(PopupText(*done), text);
        script.Then("press 13\n");
    }
    script.Then(Answer(folder + "/castle-code.png")).Shifted('I');
    const auto imported = run();
    const EditorState& state = imported->State();
    ASSERT_EQ(state.canvases.size(), 3u);
    const canvas& drawn = *state.canvases[0];
    EXPECT_EQ(std::pair(drawn.path, drawn.hassaved), std::pair(folder + "/castle.dtm", 1));
    EXPECT_EQ(std::count(drawn.img->tmap.begin(), drawn.img->tmap.end(), '@'), 2);
    EXPECT_EQ(state.canvases[1]->path + " " + state.canvases[2]->path, "castle castle-code");
    EXPECT_EQ(state.canvases[1]->img->tmap, drawn.img->tmap);
    EXPECT_EQ(state.canvases[2]->img->tmap, drawn.img->tmap);
    EXPECT_EQ(state.canvases[2]->hassaved, 1);
    EXPECT_EQ(Row(*state.listmap, 0, 2, 13), " castle " + std::string(5, '\0'));
    EXPECT_EQ(Row(*state.listmap, 0, 4, 13), ">castle-code<");
    // The open starts in the saved file's folder; an opened canvas keeps only its base name, so
    // the import after it starts nowhere in particular.
    EXPECT_EQ(imported->Log(),
              "requester save Save Tilemap As " + kMaps + "Untitled\n" +
                  "popup Saved!: castle was saved successfully!\n" +
                  "requester open Open Tilemap " + kOpenMaps + folder + "/\n" +
                  "requester save Export Tilemap " + kPictures + "castle\n" +
                  "popup Saved!: castle was exported successfully as castle.png.\n" +
                  "requester save Encode Tilemap " + kPictures + "castle\n" +
                  "popup Saved!: castle was encoded successfully as castle-code.png.\n" +
                  "requester open Import Encoded Tilemap " + kPictures + "/\n");
}

TEST(FileCommands, FailuresShowTheirTextCancelsShowNothingAndTheCanvasStaysAsItWas) {
    const std::string folder = test::FreshFolder("failures");
    const std::string kept = folder + "/kept.dtm";
    struct Case {
        std::string steps;
        std::string text;
        std::string after = ""; // the next frame's steps
    };
    const Case cases[] = {
        {"press 79\n", "Failed to open tilemap."},
        // The tile map file reader's own message comes first.
        {Answer(folder + "/notes.txt") + "press 79\n", "Unable to read tilemap file.",
         "press 13\n"},
        {"key down 160\npress 73\n", "Failed to open PNG image file."},
        {Answer(kept) + "key down 160\npress 73\n", "Unable to read PNG image file."},
        {Answer("/no/such/folder/map.dtm") + "press 83\n", "Failed to save tilemap image!"},
        {Answer("/no/such/folder/map.png") + "key down 160\npress 69\n",
         "Failed to export tilemap image!"},
        {Answer("/proc/map.png") + "key down 160\npress 75\n", "Failed to encode tilemap image!"},
        {"press 83\n", ""},
        {"key down 160\npress 69\n", ""},
        {"key down 160\npress 75\n", ""},
    };
    const auto run = [&](const Script& script) {
        test::FreshFolder("failures");
        std::ofstream(folder + "/notes.txt") << "not a tile map";
        return test::Ran(script.End());
    };
    for (const Case& c : cases) {
        Script script;
        script.Shifted('N').Then(Answer(kept) + "press 83\n").Then("press 13\n");
        script.Click(OverCanvas(2, 2)).Then(kAway).Then(c.steps).Then(c.after);
        const auto shown = run(script.Wait(1));
        EXPECT_EQ(PopupText(*shown), c.text) << c.steps;
        const EditorState& state = shown->State();
        ASSERT_EQ(state.canvases.size(), 1u);
        EXPECT_EQ(std::pair(state.activecanvas->path, state.activecanvas->hassaved),
                  std::pair(kept, 0));
        const std::shared_ptr<tilemap> onDisk = Read(kept, {});
        EXPECT_TRUE(onDisk && onDisk->tmap == tilemap::Create(16, 16)->tmap);
    }
}

// The program itself, so that its own handling of signals counts: replays the script with the
// map as its first canvas and gives its exit status (128 + the signal that ended it) and output.
std::pair<int, std::string> RunProgram(const std::string& folder, const std::string& script,
                                       const std::string& map) {
    std::ofstream(folder + "/script.txt") << script;
    const std::string out = folder + "/stdout.txt";
    const int raw =
        std::system(("ASAN_OPTIONS=detect_leaks=0 '" DUSKMARCH_BIN_DIR "/duskmarch' --replay '" +
                     folder + "/script.txt' '" + map + "' >'" + out + "' 2>&1")
                        .c_str());
    const std::vector<uint8_t> bytes = test::ReadFileBytes(out);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(bytes.begin(), bytes.end())};
}

TEST(FileCommands, WritingIntoAPipeWhoseReaderQuitsFailsAndTheEditorGoesOn) {
    const std::string folder = test::FreshFolder("pipes");
    std::mt19937 random(11);
    // Noise, so that the file is larger than a pipe holds.
    const std::shared_ptr<tilemap> noise = test::RandomMap(random, 200, 200, 256);
    const std::string map = folder + "/noise.dtm";
    testing::internal::CaptureStdout();
    ASSERT_EQ(Save(*noise, map), 1);
    testing::internal::GetCapturedStdout();
    // Named with the extension, which the requester would otherwise add.
    const std::string fifo = folder + "/pipe.dtm";
    const test::ClosingFifo reader(fifo);
    ASSERT_TRUE(reader.Ready());
    // The failure's popup is closed with Return before a save that works.
    Script script;
    script.Then(Answer(fifo) + "press 83\n").Then("press 13\n");
    script.Then(Answer(folder + "/kept.dtm") + "press 83\n").Then("press 13\n");
    // Ended by SIGPIPE, every canvas would be lost and the status would not be 0.
    const auto [status, output] = RunProgram(folder, script.End(), map);
    EXPECT_EQ(status, 0) << output;
    const std::shared_ptr<tilemap> kept = Read(folder + "/kept.dtm", {});
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->tmap, noise->tmap);
}

TEST(FileCommands, EncodingAMapWiderThanAPngFailsBeforeAnyWork) {
    const std::string folder = test::FreshFolder("wide");
    const std::string map = folder + "/row.dtm";
    testing::internal::CaptureStdout();
    ASSERT_EQ(Save(*tilemap::Create(16777216, 1), map), 1);
    testing::internal::GetCapturedStdout();
    // The editor's generator as start-up leaves it.
    constexpr int32_t kUntouched = RandomGenerator::kDefaultSeed;
    Script script;
    script.Then(Answer(folder + "/row.png")).Shifted('K');
    const auto shown = test::Ran(script.End(), map);
    EXPECT_EQ(PopupText(*shown), "Failed to encode tilemap image!");
    // No shuffle reseeded the generator, and no side file was made.
    EXPECT_EQ(shown->State().random.State(), kUntouched);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(FileCommands, EightCanvasesRefuseOpenAndImportBeforeAnyRequester) {
    const std::string eighth = test::FreshFolder("eight") + "/eighth.dtm";
    test::SaveRows(eighth, {"8"});
    // Seven new canvases and an eighth opened from a file.
    Script eight;
    for (int i = 0; i < 7; ++i) {
        eight.Shifted('N');
    }
    eight.Then(Answer(eighth) + "press 79\n");
    for (const char* keys : {"press 79\n", "key down 160\npress 73\n"}) {
        const auto refused = test::Ran(Script(eight).Then(Answer(eighth) + keys).Wait(1).End());
        EXPECT_EQ(PopupText(*refused),
                  "Too many canvases; you cannot open another. If you wish to open another "
                  "canvas, try saving and closing some of the ones you currently have open.")
            << keys;
        EXPECT_EQ(refused->Log().find("requester", 1), std::string::npos) << refused->Log();
        EXPECT_EQ(refused->State().canvases.size(), 8u);
    }
}

// A save requester without a scripted answer takes the path it offers as it stands, as a user
// pressing Enter does, with the filter's extension added.
class EnterDriver : public HeadlessDriver {
  public:
    using HeadlessDriver::HeadlessDriver;

    std::string RequestFile(const FileRequest& request) override {
        const std::string answer = HeadlessDriver::RequestFile(request);
        return answer.empty() && request.save ? request.initialPath + ".dtm" : answer;
    }
};

TEST(FileCommands, SaveOffersTheFileTheMapWasOpenedFromOrLastSavedTo) {
    const std::string folder = test::FreshFolder("save_where") + "/maps";
    fs::create_directories(folder);
    const std::string castle = folder + "/castle.dtm";
    struct Case {
        std::string steps;
        std::vector<std::string> commandLine;
        std::string offered; // the second save's
    };
    const Case cases[] = {
        {"", {castle}, folder + "/castle"},
        {Answer(castle) + "press 79\n", {}, folder + "/castle"},
        // A new canvas is offered "Untitled" until it is saved, then the file it was saved to.
        {"key down 160\npress 78\n", {}, "Untitled"},
        {Answer(castle) + "key down 160\npress 78\npress 83\n", {}, folder + "/castle"},
    };
    for (const Case& c : cases) {
        test::SaveRows(castle, {"ab"});
        Script script;
        script.Then(c.steps).Then("key up 160\n").Then("press 13\n").Click(OverCanvas(0, 0));
        script.Then(kAway).Then(Answer(folder + "/other.dtm") + "press 83\n").Then("press 13\n");
        EditorSession session;
        EXPECT_FALSE(session.RunOn<EnterDriver>(script.End(), c.commandLine));
        const std::string log = session.Log();
        const std::string offered = "requester save Save Tilemap As " + kMaps;
        EXPECT_NE(log.find(offered + c.offered + "\n"), std::string::npos) << log;
    }

    // Enter in the requester writes the map back where it came from, not beside the program.
    const std::string besideProgram = std::string(DUSKMARCH_BIN_DIR) + "/castle.dtm";
    fs::remove(besideProgram);
    test::SaveRows(castle, {"ab"});
    Script enter;
    enter.Click(OverCanvas(1, 0)).Then(kAway).Then("press 83\n").Then("press 13\n");
    EditorSession session;
    EXPECT_FALSE(session.RunOn<EnterDriver>(enter.End(), {castle}));
    const std::shared_ptr<tilemap> onDisk = Read(castle, {});
    ASSERT_NE(onDisk, nullptr);
    EXPECT_EQ(Row(*onDisk, 0, 0, 2), "a@");
    EXPECT_EQ(std::pair(session.State().activecanvas->hassaved, session.State().activecanvas->path),
              std::pair(1, castle));
    EXPECT_FALSE(fs::exists(besideProgram));
}

using FileChange = std::function<void(const std::string& path)>;

// Answers the requester from the script and then changes the file the answer names, as another
// program may between the requester and the read; notes the first row of every "Error!" popup.
class ChangingFileDriver : public HeadlessDriver {
  public:
    ChangingFileDriver(ReplayScript script, std::ostream& log, FileChange change,
                       std::vector<std::string>& errors)
        : HeadlessDriver(std::move(script), log), change_(std::move(change)), errors_(errors) {}

    std::string RequestFile(const FileRequest& request) override {
        const std::string answer = HeadlessDriver::RequestFile(request);
        change_(answer);
        return answer;
    }

    // The popup's title stands from screen cell (38, 30), its text's first row from (37, 31).
    void Present(const FrameList& frame, int syncInterval) override {
        if (test::TextAt(frame, 8, 14, 38, 30, 6) == "Error!") {
            std::string text = test::TextAt(frame, 8, 14, 37, 31, 36);
            text.erase(text.find_last_not_of(std::string(" \0", 2)) + 1);
            if (errors_.empty() || errors_.back() != text) {
                errors_.push_back(text);
            }
        }
        HeadlessDriver::Present(frame, syncInterval);
    }

  private:
    FileChange change_;
    std::vector<std::string>& errors_;
};

TEST(OpenFaults, AFileThatVanishesOrChangesSizeBeforeTheReadIsReportedAndNothingBreaks) {
    struct Case {
        FileChange change;
        std::vector<std::string> errors;
        int32_t openedWidth; // 0: nothing opened
    };
    const std::vector<Case> cases{
        {[](const std::string& path) { fs::remove(path); }, {"Failed to open tilemap."}, 0},
        {[](const std::string& path) { fs::resize_file(path, fs::file_size(path) - 3); },
         {"Encountered unexpected end of file.", "Unable to read tilemap file."},
         0},
        {[](const std::string& path) { ASSERT_EQ(Save(*tilemap::Create(40, 12), path), 1); },
         {},
         40},
    };
    const std::string path = test::FreshFolder("open_faults") + "/castle.dtm";
    for (const Case& c : cases) {
        ASSERT_EQ(Save(*tilemap::Create(16, 16), path), 1);
        // Enter closes each popup; then a new canvas shows the editor still at work.
        Script script;
        script.Then("answer " + path + "\npress 79\n").Then("press 13\n").Then("press 13\n");
        std::vector<std::string> errors;
        EditorSession session;
        EXPECT_FALSE(session.RunOn<ChangingFileDriver>(script.Shifted('N').Wait(1).End(), {},
                                                       c.change, errors));
        EXPECT_EQ(errors, c.errors);
        const std::vector<std::shared_ptr<canvas>>& canvases = session.State().canvases;
        ASSERT_EQ(canvases.size(), c.openedWidth ? 2u : 1u);
        EXPECT_EQ(canvases[0]->w, c.openedWidth ? c.openedWidth : 16);
    }
}

TEST(Canvases, EightOpenANinthIsRefusedAndLongNamesAreCut) {
    const std::string path = testing::TempDir() + "/averyveryverylongname.dtm";
    ASSERT_EQ(Save(*tilemap::Create(100, 100), path), 1);
    Script script;
    for (int i = 0; i < 8; ++i) {
        script.Shifted('N');
    }
    const auto session = test::Ran(script.Wait(1).End(), path);
    const EditorState& state = session->State();
    EXPECT_EQ(state.canvases.size(), 8u);
    EXPECT_EQ(PopupText(*session),
              "Too many canvases; you cannot create another. If you wish to create a new canvas, "
              "try saving and closing some of the ones you currently have open.");
    EXPECT_EQ(Row(*state.listmap, 0, 2, 16), " averyveryver.. ");
    EXPECT_EQ(Row(*state.listmap, 0, 8, 10), " Untitled ");
    EXPECT_EQ(Row(*state.listmap, 0, 9, 10), ">Untitled<");
    // The size line of the 100 x 100 map leaves no stray digits behind.
    EXPECT_EQ(Row(*state.screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y, 30),
              "Canvas size: 16x16" + std::string(12, ' '));
}

TEST(Canvases, ClosingMovesToTheNextOneAndTheLastLeavesNone) {
    // Three canvases, each marked by a drawn cell in its own column; Tab twice makes the second
    // one active.
    Script script;
    for (int i = 0; i < 3; ++i) {
        script.Shifted('N').Click(OverCanvas(i, 0)).Then(kAway);
    }
    script.Then("press 9\n").Then("press 9\n").Shifted('X').Then("press 13\n");
    const auto middle = test::Ran(script.End());
    ASSERT_EQ(middle->State().canvases.size(), 2u);
    EXPECT_EQ(Row(*middle->State().activecanvas->img, 0, 0, 3), std::string("\0\0@", 3));
    EXPECT_EQ(Row(*middle->State().canvases[0]->img, 0, 0, 1), "@");

    // Closing the last of the list makes the first active; answering No keeps it open.
    script.Shifted('X').Then("press 13\n").Shifted('X').Then("press 39\n").Then("press 13\n");
    const auto last = test::Ran(script.End());
    ASSERT_EQ(last->State().canvases.size(), 1u);
    EXPECT_EQ(Row(*last->State().activecanvas->img, 0, 0, 1), "@");

    script.Shifted('X').Then("press 13\n");
    const auto only = test::Ran(script.End());
    EXPECT_TRUE(only->State().canvases.empty());
    EXPECT_EQ(only->State().activecanvas, nullptr);
    EXPECT_EQ(Row(*only->State().listmap, 0, 2, 4), std::string("n/a\0", 4));
    // The canvas-size line went with it.
    EXPECT_EQ(Row(*only->State().screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y, 32),
              std::string(32, '\0'));
}

TEST(Canvases, ResizeAnswersBecomeSizesFromOneTo1024) {
    struct Case {
        std::string width, height;
        int w, h;
    };
    for (const Case& c : {Case{"abc", "-20", 1, 20}, Case{"5000", "0", 1024, 1},
                          Case{"12abc", "$20", 12, 32}, Case{"16", "16", 16, 16}}) {
        Script script;
        script.Shifted('N').Shifted('R').Type(c.width).Type(c.height).Then("press 13\n");
        const auto session = test::Ran(script.End());
        const canvas& resized = *session->State().activecanvas;
        EXPECT_EQ(std::pair(resized.w, resized.h), std::pair(c.w, c.h))
            << c.width << "x" << c.height;
        EXPECT_EQ(std::tuple(resized.img->tmapw, resized.img->transparentcolor, resized.hassaved),
                  std::tuple(c.w, 255, 0));
        const std::string line = "Canvas size: " + std::to_string(c.w) + "x" + std::to_string(c.h);
        EXPECT_EQ(Row(*session->State().screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y,
                      static_cast<int>(line.size()) + 10),
                  line + std::string(10, ' '));
    }
}

TEST(Canvases, ResizeCopiesEveryCellAsItIsCellsWithoutColourOrGlyphIncluded) {
    // Cells with 255 ("no colour", "no glyph") in one, two or all three of their bytes.
    const std::string path = test::FreshFolder("resize_keeps") + "/clear.dtm";
    auto map = tilemap::Create(3, 2);
    map->SetTile(0, 0, 255, 255, 255, 1);
    map->SetTile(1, 0, 255, 3, 4, 1);
    map->SetTile(2, 0, 'a', 255, 2, 1);
    map->SetTile(0, 1, 'b', 1, 255, 1);
    map->SetTile(2, 1, 'c', 5, 6, 1);
    ASSERT_EQ(Save(*map, path), 1);
    for (const auto& [width, height] : {std::pair{3, 2}, {5, 4}, {2, 1}}) {
        Script script;
        script.Shifted('R').Type(std::to_string(width)).Type(std::to_string(height));
        const auto session = test::Ran(script.Then("press 13\n").End(), path);
        const canvas& resized = *session->State().activecanvas;
        // Every cell the two sizes share is the old one; the others are new zero cells.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                std::array<uint8_t, 3> was{}, is{};
                map->GrabTile(x, y, was[0], was[1], was[2]);
                resized.img->GrabTile(x, y, is[0], is[1], is[2]);
                EXPECT_EQ(is, (x < 3 && y < 2 ? was : std::array<uint8_t, 3>{}))
                    << width << "x" << height << " at " << x << "," << y;
            }
        }
        // The same size changes nothing, so the canvas stays saved.
        EXPECT_EQ(resized.hassaved, width == 3 && height == 2 ? 1 : 0);
    }
}

TEST(Canvases, EscapeInEitherResizePromptLeavesTheCanvasAsItWas) {
    const std::string path = test::FreshFolder("resize_escape") + "/rows.dtm";
    const auto map = test::SaveRows(path, {"abc", "def"});
    // Escape in the width prompt at once or after a digit, or in the height prompt.
    for (const std::vector<const char*>& typed : std::vector<std::vector<const char*>>{
             {}, {"char 52\n"}, {"char 52\n", "press 13\n", "char 50\n"}}) {
        Script script;
        script.Shifted('R');
        for (const char* lines : typed) {
            script.Then(lines);
        }
        script.Then("key down 27\n").Then("key up 27\n");
        const auto session = test::Ran(script.Wait(2).End(), path);
        const canvas& active = *session->State().activecanvas;
        EXPECT_EQ(std::tuple(active.w, active.h, active.hassaved), std::tuple(3, 2, 1))
            << typed.size();
        EXPECT_EQ(active.img->tmap, map->tmap);
        // Neither the question nor the quit check came.
        EXPECT_EQ(session->Log(), "") << typed.size();
        // The editor's screen is back.
        EXPECT_EQ(session->Shown(kCanvasSizeLine.x, kCanvasSizeLine.y, 16), "Canvas size: 3x2");
    }
}

TEST(Canvases, ResizingAScrolledWideCanvasShowsItFromTheLeftAgain) {
    Script script;
    script.Shifted('N').Shifted('R').Type("200").Type("10").Then("press 13\n");
    for (int i = 0; i < 9; ++i) {
        script.Then("press 39\n");
    }
    const auto scrolled = test::Ran(script.End());
    EXPECT_EQ(scrolled->State().activecanvas->viewx, 136); // 200 - 64, not 144

    script.Shifted('R').Type("50").Type("10").Then("press 13\n").Click(OverCanvas(49, 3));
    const auto narrowed = test::Ran(script.End());
    const canvas& active = *narrowed->State().activecanvas;
    EXPECT_EQ(active.viewx, 0);
    EXPECT_EQ(Row(*active.img, 49, 3, 1), "@");
    EXPECT_EQ(narrowed->State().cursorx, 49);
}

TEST(Canvases, UndoSwapsBackAndForthAndTheCanvasTakesTheSizeOfTheImageBroughtBack) {
    Script script;
    script.Shifted('N').Click(25, 3).Then(kAway).Click(26, 3).Then(kAway).Then("press 90\n");
    const auto once = test::Ran(script.End());
    EXPECT_EQ(Row(*once->State().activecanvas->img, 1, 1, 2), std::string("@\0", 2));

    script.Then("press 90\n");
    const auto twice = test::Ran(script.End());
    EXPECT_EQ(Row(*twice->State().activecanvas->img, 1, 1, 2), "@@");

    // The undo copy of the last click holds the 16 x 16 image. Undone after a resize to 100 x 100,
    // the size line, the scrolling and the saved file all follow the image brought back; redone,
    // they follow the 100 x 100 one again.
    const std::string path = test::FreshFolder("undo_resize") + "/back.dtm";
    script.Shifted('R').Type("100").Type("100").Then("press 13\n").Then("press 90\n");
    script.Then("press 39\n").Then(Answer(path) + "press 83\n").Then("press 13\n");
    const auto undone = test::Ran(script.End());
    const canvas& small = *undone->State().activecanvas;
    EXPECT_EQ(std::tuple(small.w, small.h, small.viewx, small.img->tmapw),
              std::tuple(16, 16, 0, 16));
    EXPECT_EQ(Row(*undone->State().screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y, 28),
              "Canvas size: 16x16" + std::string(10, ' '));
    const std::shared_ptr<tilemap> onDisk = Read(path, {});
    ASSERT_NE(onDisk, nullptr);
    EXPECT_EQ(std::pair(onDisk->tmapw, onDisk->tmaph), std::pair(16, 16));
    EXPECT_EQ(onDisk->tmap, small.img->tmap);

    script.Then("press 90\n").Then("press 39\n");
    const auto redone = test::Ran(script.End());
    const canvas& large = *redone->State().activecanvas;
    EXPECT_EQ(std::tuple(large.w, large.h, large.viewx), std::tuple(100, 100, 16));
    EXPECT_EQ(Row(*redone->State().screenmap, kCanvasSizeLine.x, kCanvasSizeLine.y, 20),
              "Canvas size: 100x100");
}

} // namespace
} // namespace dm
