#include "editor_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace dm {
namespace {

using test::EditorSession;
using test::kAway;
using test::OverCanvas;
using test::Script;

const std::string kMaps = "[Duskmarch Tilemaps:dtm;All Files:*] ";
const std::string kPictures = "[PNG Image:png;All Files:*] ";

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
    const auto run = [&](EditorSession& session) {
        test::FreshFolder("round_trip");
        return session.Run(script.End());
    };
    // Background 5 between two drawn cells.
    script.Shifted('N').Click(OverCanvas(1, 1)).Click(test::MoveToCell(5, 36), 2);
    script.Click(OverCanvas(15, 15)).Then(kAway);
    // A name typed without extension is saved with ".dtm".
    script.Then(Answer(folder + "/castle") + "press 83\n");
    EditorSession saved;
    EXPECT_FALSE(run(saved));
    EXPECT_EQ(PopupText(saved), "castle was saved successfully!");

    script.Then("press 13\n").Then(Answer(folder + "/castle.dtm") + "press 79\n");
    for (const auto& [key, text] :
         {std::pair{'E', "castle was exported successfully as castle.png."},
          {'K', "castle was encoded successfully as castle-code.png."}}) {
        script.Then(Answer(folder + (key == 'E' ? "/castle.png" : "/castle-code.png")))
            .Shifted(key);
        EditorSession done;
        EXPECT_FALSE(run(done));
        EXPECT_EQ(PopupText(done), text);
        script.Then("press 13\n");
    }
    script.Then(Answer(folder + "/castle-code.png")).Shifted('I');
    EditorSession imported;
    EXPECT_FALSE(run(imported));
    const EditorState& state = imported.State();
    ASSERT_EQ(state.canvases.size(), 3u);
    const canvas& drawn = *state.canvases[0];
    EXPECT_EQ(drawn.path, folder + "/castle.dtm");
    EXPECT_EQ(drawn.hassaved, 1);
    EXPECT_EQ(std::count(drawn.img->tmap.begin(), drawn.img->tmap.end(), '@'), 2);
    EXPECT_EQ(state.canvases[1]->path, "castle");
    EXPECT_EQ(state.canvases[2]->path, "castle-code");
    EXPECT_EQ(state.canvases[1]->img->tmap, drawn.img->tmap);
    EXPECT_EQ(state.canvases[2]->img->tmap, drawn.img->tmap);
    EXPECT_EQ(state.canvases[2]->hassaved, 1);
    EXPECT_EQ(test::Row(*state.listmap, 0, 2, 13), " castle " + std::string(5, '\0'));
    EXPECT_EQ(test::Row(*state.listmap, 0, 4, 13), ">castle-code<");
    // The open starts in the saved file's folder; an opened canvas keeps only its base name, so
    // the import after it starts nowhere in particular.
    EXPECT_EQ(imported.Log(), "requester save Save Tilemap As " + kMaps + "Untitled\n" +
                                  "requester open Open Tilemap " + kMaps + folder + "/\n" +
                                  "requester save Export Tilemap " + kPictures + "castle\n" +
                                  "requester save Encode Tilemap " + kPictures + "castle\n" +
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
    const auto run = [&](EditorSession& session, const Script& script) {
        test::FreshFolder("failures");
        std::ofstream(folder + "/notes.txt") << "not a tile map";
        return session.Run(script.End());
    };
    for (const Case& c : cases) {
        // A saved canvas, then changed.
        Script script;
        script.Shifted('N').Then(Answer(kept) + "press 83\n").Then("press 13\n");
        script.Click(OverCanvas(2, 2)).Then(kAway).Then(c.steps).Then(c.after);
        EditorSession shown;
        EXPECT_FALSE(run(shown, script.Wait(1)));
        EXPECT_EQ(PopupText(shown), c.text) << c.steps;

        // Once the message is gone, the canvas and its file are as they were.
        EditorSession after;
        EXPECT_FALSE(run(after, script.Then("key up 160\npress 13\n").Then(kAway)));
        const EditorState& state = after.State();
        ASSERT_EQ(state.canvases.size(), 1u);
        EXPECT_EQ(state.activecanvas->path, kept);
        EXPECT_EQ(state.activecanvas->hassaved, 0);
        const std::shared_ptr<tilemap> onDisk = Read(kept, {});
        EXPECT_TRUE(onDisk && onDisk->tmap == tilemap::Create(16, 16)->tmap);
    }
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
        EditorSession refused;
        EXPECT_FALSE(refused.Run(Script(eight).Then(Answer(eighth) + keys).Wait(1).End()));
        EXPECT_EQ(PopupText(refused),
                  "Too many canvases; you cannot open another. If you wish to open another "
                  "canvas, try saving and closing some of the ones you currently have open.")
            << keys;
        EXPECT_EQ(refused.Log().find("requester", 1), std::string::npos) << refused.Log();
        EXPECT_EQ(refused.State().canvases.size(), 8u);
    }
}

} // namespace
} // namespace dm
