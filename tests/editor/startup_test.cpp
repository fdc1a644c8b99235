#include "editor_session.h"

#include "editor/program_arguments.h"
#include "editor/screen_layout.h"
#include "files/tilemap_file.h"
#include "platform/png_codec.h"
#include "platform/software_renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace dm {
namespace {

using test::EditorSession;
using test::Script;
using namespace std::string_literals;

TEST(ProgramArguments, RelativePathsAreTakenFromTheStartFolder) {
    const ProgramArguments plain = ParseProgramArguments({"maps/town.dtm"}, "/home/ann");
    EXPECT_EQ(plain.mapPath, "/home/ann/maps/town.dtm");
    EXPECT_TRUE(plain.replayScript.empty());
    const ProgramArguments replay =
        ParseProgramArguments({"--replay", "../s.txt", "/abs/x.dtm"}, "/home/ann/work");
    EXPECT_EQ(replay.replayScript, "/home/ann/s.txt");
    EXPECT_EQ(replay.mapPath, "/abs/x.dtm");
    EXPECT_EQ(ParseProgramArguments({"a", "b"}, "/").error, "expected at most one map file, got 2");
    EXPECT_EQ(ParseProgramArguments({"--replay"}, "/").error, "--replay needs a script");
    EXPECT_TRUE(ParseProgramArguments({}, "/").mapPath.empty());
}

TEST(CommandLineOpen, AFileBecomesTheFirstCanvasAndADirectoryIsRefused) {
    const std::string path = testing::TempDir() + "/castle.dtm";
    auto map = tilemap::Create(20, 12);
    map->SetTile(3, 4, 'Q', 5, 6, 1);
    ASSERT_EQ(Save(*map, path), 1);
    EditorSession opened;
    EXPECT_FALSE(opened.Run(Script().End(), path));
    ASSERT_EQ(opened.State().canvases.size(), 1u);
    const canvas& first = *opened.State().activecanvas;
    EXPECT_EQ(std::tuple(first.path, first.hassaved, first.w, first.img->transparentcolor),
              std::tuple("castle", 1, 20, 255));
    EXPECT_EQ(first.img->tmap, map->tmap);
    EXPECT_EQ(test::Row(*opened.State().listmap, 0, 2, 8), ">castle<");

    EditorSession directory;
    EXPECT_FALSE(directory.Run("end\n", testing::TempDir()));
    EXPECT_EQ(directory.Shown(37, 31, 23), "Failed to open tilemap.");
    EditorSession answered;
    EXPECT_FALSE(answered.Run("frame 1\npress 13\nframe 3\nend\n", testing::TempDir()));
    EXPECT_TRUE(answered.State().canvases.empty());
}

TEST(ScreenLayout, HelpTextRowsAndTablesAreWhereUsersLookForThem) {
    EditorSession session;
    EXPECT_FALSE(session.Run(Script().End()));
    const EditorState& state = session.State();
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
    EXPECT_EQ(std::pair(HelpColumn(state), HelpRow(state)), std::pair(55 - 32, 34 - 13));
}

// The start-up screen as the software renderer draws it, against the picture kept with the
// tests. A mismatch writes what was drawn beside the test for a look.
TEST(ScreenLayout, StartUpScreenMatchesTheKeptPicture) {
    EditorSession session;
    EXPECT_FALSE(session.Run(Script().Then(test::MoveToCell(100, 40)).End()));
    const std::shared_ptr<TPixmap> drawn = session.Driver().LastFrame();
    const std::string kept = std::string(DUSKMARCH_SOURCE_DIR) + "/tests/editor/startup_screen.png";
    const std::shared_ptr<TPixmap> expected = LoadPixmap(kept);
    int differing = expected ? 0 : -1;
    for (int y = 0; expected && y < drawn->height; ++y) {
        for (int x = 0; x < drawn->width; ++x) {
            differing +=
                (drawn->ReadPixel(x, y) & 0xFFFFFF) != (expected->ReadPixel(x, y) & 0xFFFFFF);
        }
    }
    if (differing != 0) {
        const std::string actual = testing::TempDir() + "/startup_screen_actual.png";
        WritePixmapPNG(*drawn->Convert(PF_RGB888), actual, 6);
        ADD_FAILURE() << differing << " pixels differ from " << kept << "; drawn: " << actual;
    }
}

} // namespace
} // namespace dm
