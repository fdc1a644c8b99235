// Maps opened by dropping them on the window, and .xp images opened in the editor: flattened and
// matched to the palette as dtmtool converts them, and saved as a map file beside the image.
#include "editor_session.h"

#include "editor/file_commands.h"
#include "files/container_test_support.h"
#include "tools/tool_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

using test::Script;

TEST(XpImages, OpenAsDtmtoolConvertsThemAndSaveAsAMapBesideTheImage) {
    test::ContainerTempFolder folder;
    const std::string xp = folder.Path("cave.xp");
    test::SaveRows(folder.Path("drawn.dtm"), {"an .xp image", "of two rows!"});
    ASSERT_EQ(test::RunDtmtool({"convert", "drawn.dtm", "cave.xp"}, folder).status, 0);
    ASSERT_EQ(test::RunDtmtool({"convert", "cave.xp", "expected.dtm"}, folder).status, 0);
    const std::shared_ptr<tilemap> expected = Read(folder.Path("expected.dtm"), nullptr);
    ASSERT_TRUE(expected);
    const std::vector<uint8_t> image = test::ReadFileBytes(xp);

    // Saving offers the image's name as a map file, and an answer naming the image itself
    // writes that map file instead.
    Script script;
    script.Then("press 79\nanswer " + xp + "\n").Then("press 83\nanswer " + xp + "\n");
    const auto opened = test::Ran(script.Then("press 13\n").Wait(2).End());
    EXPECT_EQ(opened->Log(),
              "requester open Open Tilemap [Duskmarch Tilemaps:dtm;XP Images:xp;All Files:*] \n"
              "requester save Save Tilemap As [Duskmarch Tilemaps:dtm;All Files:*] " +
                  folder.Path("cave.dtm") + "\npopup Saved!: cave was saved successfully!\n");
    const canvas& active = *opened->State().activecanvas;
    EXPECT_EQ(active.img->tmap, expected->tmap);
    EXPECT_EQ(std::tuple(active.w, active.h, active.hassaved), std::tuple(12, 2, 1));
    EXPECT_EQ(active.filePath, folder.Path("cave.dtm"));
    EXPECT_EQ(test::ReadFileBytes(xp), image);
    const std::shared_ptr<tilemap> saved = Read(folder.Path("cave.dtm"), nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->tmap, expected->tmap);

    // The command line, and a drop, open it the same way; an image that is no .xp is refused.
    test::WriteFileBytes(folder.Path("broken.xp"), {'n', 'o', 't', ' ', 'g', 'z'});
    const auto given = test::Ran(Script()
                                     .Then("drop " + folder.Path("broken.xp") + "\n")
                                     .Then("press 13\n")
                                     .Then("press 13\n")
                                     .Wait(2)
                                     .End(),
                                 xp);
    ASSERT_EQ(given->State().canvases.size(), 1u);
    EXPECT_EQ(given->State().canvases[0]->img->tmap, expected->tmap);
    EXPECT_EQ(given->State().canvases[0]->path, "cave");
    const std::string log = given->Log();
    EXPECT_TRUE(log.starts_with("popup Error!: The .xp image is not an intact gzip stream ("))
        << log;
    EXPECT_TRUE(log.ends_with(").\npopup Error!: Unable to read tilemap file.\n")) << log;
}

TEST(DroppedFiles, OpenAsTheCommandLineOpensThemUpToEight) {
    const std::string folder = test::FreshFolder("dropped");
    test::SaveRows(folder + "/a.dtm", {"ab"});
    test::SaveRows(folder + "/b.dtm", {"cd", "ef"});
    Script script;
    script.Shifted('N');
    script.Then("drop " + folder + "/a.dtm\ndrop " + folder + "/none.dtm\ndrop " + folder +
                "/b.dtm\n");
    script.Then("press 13\n");
    std::string seven;
    for (int i = 0; i < 7; ++i) {
        seven += "drop " + folder + "/a.dtm\n";
    }
    script.Wait(2).Then(seven).Then("press 13\n");
    const auto session = test::Ran(script.Wait(2).End());
    EXPECT_EQ(session->Log(), std::string("popup Error!: Failed to open tilemap.\n") +
                                  "popup Error!: " + kTooManyToOpen + "\n");
    const EditorState& state = session->State();
    ASSERT_EQ(state.canvases.size(), 8u);
    EXPECT_EQ(state.canvases[1]->filePath, folder + "/a.dtm");
    EXPECT_EQ(state.canvases[2]->path, "b");
    EXPECT_EQ(state.canvases[2]->hassaved, 1);
    // The first map of each drop is made active.
    EXPECT_EQ(state.activecanvas, state.canvases[3]);
}

} // namespace
} // namespace dm
