#include "platform/drawing/graphics.h"
#include "platform/host.h"
#include "platform/input/polled_input.h"
#include "platform/requesters/file_requester.h"
#include "platform/scratch_dir.h"
#include "platform/sdl/sdl_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace dm {
namespace {

// With the chooser holding the keyboard, the editor's window gets a click and a key of its own;
// then the chooser's name field is replaced by a name without an extension and Return accepts
// it. Without a window manager nothing moves focus or windows, so the script does.
const char* const kUser = R"(
chooser=$(xdotool search --sync --onlyvisible --name '^Save Test Map$' | head -1)
editor=$(xdotool search --name '^Chooser Host$' | head -1)
xdotool windowmove --sync "$editor" 1500 0
xdotool windowfocus --sync "$chooser"
xdotool mousemove --window "$editor" 20 20 click 1
xdotool key --window "$editor" a
sleep 0.4
xdotool key ctrl+a
xdotool type --delay 20 castle
xdotool key Return
)";

TEST(DesktopFileChooser, ZenityAnswersWhileTheWindowKeepsAnsweringAndTakesNoInput) {
    auto driver = std::make_shared<SdlDriver>();
    SetUpHost(driver);
    SetApplicationTitle("Chooser Host");
    const Expected<std::shared_ptr<TGraphics>> opened = OpenGraphics(320, 200, 0, 60, 0);
    ASSERT_TRUE(opened) << opened.Why();
    std::shared_ptr<TGraphics> graphics = *opened;
    Cls();
    SetColor(200, 40, 40);
    DrawRect(10, 10, 100, 50);
    Flip(0);

    ScratchDir dir;
    const int64_t shownBefore = driver->FramesShown();
    const std::string script = dir.Write("user.sh", kUser);
    std::thread user([&script] { std::system(("sh -e " + script).c_str()); });
    const std::string chosen = RequestFile("Save Test Map", "Duskmarch Tilemaps:dtm;All Files:*",
                                           true, dir.Path() + "/Untitled");
    user.join();
    EXPECT_EQ(chosen, dir.File("castle.dtm"));
    EXPECT_GE(driver->FramesShown() - shownBefore, 4);
    PollSystem();
    EXPECT_EQ(TakeKeyHits('A'), 0);
    EXPECT_EQ(TakeMouseHits(1), 0);

    graphics.reset();
    ResetHost();
}

} // namespace
} // namespace dm
