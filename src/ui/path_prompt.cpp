#include "ui/path_prompt.h"

#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/interface_text.h"
#include "ui/mouse_state.h"
#include "ui/typed_line.h"

namespace dm {

namespace {

// Paths take every printable character, spaces included.
bool IsPathCharacter(int c) {
    return c >= 32 && c < 255 && c != 127;
}

} // namespace

std::string PromptPath(const Display& display, const FileRequest& request, const std::string& why) {
    const int32_t width = display.config.width - 4;
    const std::shared_ptr<tilemap> rows = tilemap::Create(width, 3);
    rows->Fill(0, 0, 9, 0);
    WriteText(*rows, 0, 0, why, 5, 255);
    const std::string title = request.title + ": ";
    FlushKeyState();
    TypedLine line(request.initialPath == "/" ? "" : request.initialPath);
    while (true) {
        // A scripted run that ended answers as Escape would.
        if (RunEnded()) {
            FlushKeyState();
            ForgetLeftPresses();
            return "";
        }
        Cls();
        Draw(*rows, display, 2, 2, 0, 0, -1, -1);
        const int k = line.Step(IsPathCharacter);
        if (k == kKeyEnter || k == kKeyEscape) {
            FlushKeyState();
            ForgetLeftPresses();
            return k == kKeyEnter ? line.Text() : "";
        }
        if (line.Changed()) {
            // A path longer than the row shows its end, where the typing happens.
            std::string shown = title + line.Text() + line.Cursor();
            if (static_cast<int64_t>(shown.size()) > width) {
                shown = shown.substr(shown.size() - static_cast<size_t>(width));
            }
            rows->SetTiles(0, 2, width, 1, 0, 0, 255, 0);
            WriteText(*rows, 0, 2, shown, 0, 255);
        }
        Flip(-1);
    }
}

} // namespace dm
