#include "editor_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace dm {
namespace {

using test::ClickWith;
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
    script.Shifted('N');
    ClickWith(script, 1, OverCanvas(1, 1));
    ClickWith(script, 2, test::MoveToCell(5, 36)); // background 5
    ClickWith(script, 1, OverCanvas(15, 15)).Then(kAway);
    // A name typed without extension is saved with ".dtm".
    script.Then(Answer(folder + "/castle") + "press 83\n");
    EditorSession saved;
    EXPECT_FALSE(run(saved));
    EXPECT_EQ(PopupText(saved), "castle was saved successfully!");

    script.Then("press 13\n").Then(Answer(folder + "/castle.dtm") + "press 79\n");
    script.Then(Answer(folder + "/castle.png")).Shifted('E');
    EditorSession exported;
    EXPECT_FALSE(run(exported));
    EXPECT_EQ(PopupText(exported), "castle was exported successfully as castle.png.");
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/castle.png"));

    script.Then("press 13\n").Then(Answer(folder + "/castle-code.png")).Shifted('K');
    EditorSession encoded;
    EXPECT_FALSE(run(encoded));
    EXPECT_EQ(PopupText(encoded), "castle was encoded successfully as castle-code.png.");

    script.Then("press 13\n").Then(Answer(folder + "/castle-code.png")).Shifted('I');
    EditorSession imported;
    EXPECT_FALSE(run(imported));
    const EditorState& state = imported.State();
    ASSERT_EQ(state.canvases.size(), 3u);
    const canvas& drawn = *state.canvases[0];
    EXPECT_EQ(drawn.path, folder + "/castle.dtm");
    EXPECT_EQ(drawn.hassaved, 1);
    EXPECT_EQ(std::count(drawn.img->tmap.begin(), drawn.img->tmap.end(), '@'), 2);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(state.canvases[i]->img->tmap, drawn.img->tmap) << i;
        EXPECT_EQ(state.canvases[i]->hassaved, 1);
    }
    EXPECT_EQ(state.canvases[1]->path, "castle");
    EXPECT_EQ(state.canvases[2]->path, "castle-code");
    EXPECT_EQ(EditorSession::Row(*state.listmap, 0, 2, 13), " castle " + std::string(5, '\0'));
    EXPECT_EQ(EditorSession::Row(*state.listmap, 0, 4, 13), ">castle-code<");
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
        {Answer("/proc/map.dtm") + "press 83\n", "Failed to save tilemap image!"},
        {Answer("/no/such/folder/map.png") + "key down 160\npress 69\n",
         "Failed to export tilemap image!"},
        {Answer("/proc/map.png") + "key down 160\npress 75\n", "Failed to encode tilemap image!"},
        {"press 83\n", ""},
        {"key down 160\npress 69\n", ""},
        {"key down 160\npress 75\n", ""},
    };
    const auto run = [&](EditorSession& session, const Script& script) {
        test::FreshFolder("failures");
        std::ofstream(folder + "/notes.txt") << "not a tile map at all";
        return session.Run(script.End());
    };
    for (const Case& c : cases) {
        // A saved canvas, then changed.
        Script script;
        script.Shifted('N').Then(Answer(kept) + "press 83\n").Then("press 13\n");
        ClickWith(script, 1, OverCanvas(2, 2)).Then(kAway).Then(c.steps).Then(c.after);
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
        ASSERT_NE(onDisk, nullptr);
        EXPECT_EQ(onDisk->tmap, tilemap::Create(16, 16)->tmap);
    }
}

TEST(FileCommands, EightCanvasesRefuseOpenAndImportBeforeAnyRequester) {
    const std::string folder = test::FreshFolder("eight");
    test::SaveRows(folder + "/eighth.dtm", {"8"});
    Script seven;
    for (int i = 0; i < 7; ++i) {
        seven.Shifted('N');
    }
    EditorSession eighth;
    EXPECT_FALSE(
        eighth.Run(Script(seven).Then(Answer(folder + "/eighth.dtm") + "press 79\n").End()));
    EXPECT_EQ(eighth.State().canvases.size(), 8u);

    for (const char* keys : {"press 79\n", "key down 160\npress 73\n"}) {
        Script script = seven;
        script.Shifted('N').Then(Answer(folder + "/eighth.dtm") + keys);
        EditorSession refused;
        EXPECT_FALSE(refused.Run(script.Wait(1).End()));
        EXPECT_EQ(PopupText(refused),
                  "Too many canvases; you cannot open another. If you wish to open another "
                  "canvas, try saving and closing some of the ones you currently have open.")
            << keys;
        EXPECT_EQ(refused.Log(), "");
        EXPECT_EQ(refused.State().canvases.size(), 8u);
    }
}

} // namespace
} // namespace dm
