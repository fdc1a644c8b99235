#include "ui/popup.h"

#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/gadget.h"
#include "ui/interface_text.h"
#include "ui/mouse_state.h"

#include <initializer_list>

namespace dm {

namespace {

constexpr int32_t kWidth = 38;
constexpr int32_t kHeight = 8;
constexpr int32_t kCaptionRow = 6;
constexpr int32_t kMarkerRow = 7;

// Takes the hit of the first key of the group that was hit; the later ones keep theirs.
bool TakeFirstHit(std::initializer_list<int> keys) {
    for (int key : keys) {
        if (TakeKeyHits(key) != 0) {
            return true;
        }
    }
    return false;
}

// Whichever way the popup is answered, what was pressed while it was up is forgotten, so that
// none of it acts on the editor afterwards.
int32_t Leave(int32_t choice) {
    FlushKeyState();
    ForgetLeftPresses();
    return choice;
}

} // namespace

const std::vector<std::string>& okbuttons() {
    static const std::vector<std::string> buttons{"Ok"};
    return buttons;
}

const std::vector<std::string>& yesnobuttons() {
    static const std::vector<std::string> buttons{"Yes", "No"};
    return buttons;
}

int32_t popup(const Display& display, const std::string& title, const std::string& text,
              const std::vector<std::string>& buttons) {
    const int32_t n = static_cast<int32_t>(buttons.size());
    if (n < 1) {
        return -1;
    }
    // A scripted run that ended answers as Escape would, before the popup is shown or logged.
    if (RunEnded()) {
        return Leave(n - 1);
    }
    if (SystemDriver* driver = CurrentSystemDriver()) {
        driver->NotePopup(title, text);
    }
    FlushKeyState();
    const std::shared_ptr<tilemap> window = tilemap::Create(kWidth, kHeight);
    window->Fill(0, 0, 9, 0);
    DrawWindow(*window, title, 0, 0, kWidth, kHeight);
    DrawLabel(*window, text, 1, 1, kWidth - 2, kHeight - 3);

    int64_t total = 2 * int64_t{n};
    for (const std::string& caption : buttons) {
        total += static_cast<int64_t>(caption.size());
    }
    const int64_t spacing = total / n;
    std::vector<int32_t> columns;
    for (int32_t i = 0; i < n; ++i) {
        columns.push_back(static_cast<int32_t>(i * spacing - total / 2 + 19));
        WriteText(*window, columns.back(), kCaptionRow, buttons[static_cast<size_t>(i)], 0, 22);
    }

    int32_t sel = 0;
    while (true) {
        if (RunEnded()) {
            return Leave(n - 1);
        }
        UpdateMouse(display);
        Cls();
        const int32_t px = display.config.width / 2 - 19;
        const int32_t py = display.config.height / 2 - 4;
        Draw(*window, display, px, py, 0, 0, -1, -1);
        if (TakeKeyHits(kKeyEscape) != 0) {
            return Leave(n - 1);
        }
        if (TakeKeyHits(kKeyEnter) != 0 || TakeKeyHits(kKeySpace) != 0) {
            return Leave(sel);
        }
        if (TakeFirstHit({kKeyLeft, 'A', kKeyUp, 'W'})) {
            --sel;
        }
        if (TakeFirstHit({kKeyRight, 'D', kKeyTab, kKeyDown, 'S'})) {
            ++sel;
        }
        while (sel < 0) {
            sel += n;
        }
        sel %= n;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t length = static_cast<int32_t>(buttons[static_cast<size_t>(i)].size());
            WriteText(*window, columns[static_cast<size_t>(i)] + length / 2 - 1, kMarkerRow,
                      i == sel ? "XX" : "--", 14, 9);
            if (MouseInRect(px + columns[static_cast<size_t>(i)], py + 5, length, 3) &&
                Mouse().mousereleased[0]) {
                return Leave(i);
            }
        }
        Flip(-1);
    }
}

int32_t ShowMessage(const Display& display, const std::string& title, const std::string& text) {
    popup(display, title, text, okbuttons());
    return 1;
}

int32_t AskYesNo(const Display& display, const std::string& title, const std::string& text) {
    return popup(display, title, text, yesnobuttons());
}

} // namespace dm
