#include "ui/prompt.h"

#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/mouse_state.h"
#include "ui/typed_line.h"

namespace dm {

namespace {

constexpr std::string_view kPromptMarks = "!@#$%^&*()_+|\\[];',./{}:<>?`";

} // namespace

bool IsPromptCharacter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c > 0 && c < 128 && kPromptMarks.find(static_cast<char>(c)) != std::string_view::npos);
}

std::optional<std::string> PromptString(const Display& display, std::string_view text, int32_t,
                                        uint8_t colour) {
    const std::shared_ptr<tilemap> row = tilemap::Create(display.config.width - 4, 1);
    row->Fill(0, 0, 9, 0);
    FlushKeyState();
    TypedLine line;
    while (true) {
        // A scripted run that ended answers as Escape would.
        if (RunEnded()) {
            FlushKeyState();
            ForgetLeftPresses();
            return std::nullopt;
        }
        Cls();
        Draw(*row, display, 2, 2, 0, 0, -1, -1);
        const int k = line.Step(IsPromptCharacter);
        if (k == kKeyEnter || k == kKeyEscape) {
            FlushKeyState();
            ForgetLeftPresses();
            return k == kKeyEnter ? std::optional(line.Text()) : std::nullopt;
        }
        if (line.Changed()) {
            // The centring counts the colour codes but not the cursor, so a blink does not move
            // the line.
            const std::string shown = std::string(text) + "@" + std::to_string(colour) + "@" +
                                      line.Text() + "@@" + line.Cursor();
            const int64_t column =
                row->tmapw / 2 - static_cast<int64_t>(shown.size() - line.Cursor().size()) / 2;
            row->Fill(0, 0, 255, 0);
            row->InsertString(static_cast<int32_t>(column), 0, shown, 0, 255, 1, 0, 1);
        }
        Flip(-1);
    }
}

} // namespace dm
