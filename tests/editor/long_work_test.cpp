#include "editor/long_work.h"

#include "editor_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace dm {
namespace {

using test::EditorSession;

TEST(LongWork, ShowsItsProgressOnlyWhenItTakesAWhileAndHidesItAfterwards) {
    EditorSession session;
    EXPECT_FALSE(session.Run(test::Script().End()));
    const int64_t frames = session.Driver().FrameNumber();

    RunWithProgress(session.State(), "Encode Tilemap",
                    [](const WorkProgress& progress) { progress(10); });
    EXPECT_EQ(session.Log().find("progress"), std::string::npos);

    std::string shownWhileWorking;
    RunWithProgress(session.State(), "Encode Tilemap", [&](const WorkProgress& progress) {
        progress(420);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        shownWhileWorking = session.Shown(24, 0, 20);
    });
    EXPECT_EQ(shownWhileWorking, "Encode Tilemap:  42%");
    EXPECT_EQ(session.Log(), "progress Encode Tilemap\n");
    EXPECT_EQ(session.Driver().FrameNumber(), frames); // a replay's frames are not moved on
    uint8_t glyph = 0, fg = 0, bg = 0;
    session.State().screenmap->GrabTile(24, 0, glyph, fg, bg);
    EXPECT_EQ((std::array<int, 3>{glyph, fg, bg}), (std::array<int, 3>{'E', 9, 9}));

    EXPECT_THROW(RunWithProgress(session.State(), "Export Tilemap",
                                 [](const WorkProgress&) { throw std::runtime_error("disk"); }),
                 std::runtime_error);
}

} // namespace
} // namespace dm
