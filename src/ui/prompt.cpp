#include "ui/prompt.h"

#include "model/tilemap.h"
#include "platform/graphics.h"
#include "platform/key_codes.h"
#include "platform/polled_input.h"
#include "render/map_draw.h"

namespace dm {

namespace {

constexpr std::string_view kPromptMarks = "!@#$%^&*()_+|\\[];',./{}:<>?`";
constexpr int kBlinkPeriod = 80;

} // namespace

bool IsPromptCharacter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c > 0 && c < 128 && kPromptMarks.find(static_cast<char>(c)) != std::string_view::npos);
}

std::string PromptString(const Display& display, std::string_view text, int32_t, uint8_t colour) {
    const std::shared_ptr<tilemap> line = tilemap::Create(display.config.width - 4, 1);
    line->Fill(0, 0, 9, 0);
    std::string answer;
    FlushKeyState();
    std::string cursor;
    for (int64_t frame = 0;; ++frame) {
        Cls();
        const std::string shownCursor = cursor;
        cursor = frame % kBlinkPeriod < kBlinkPeriod / 2 ? "_" : "";
        Draw(*line, display, 2, 2, 0, 0, -1, -1);
        const int k = NextChar();
        if (IsPromptCharacter(k)) {
            answer += static_cast<char>(k);
        }
        if (k == kKeyBackspace && !answer.empty()) {
            answer.pop_back();
        }
        if (k == kKeyEnter) {
            FlushKeyState();
            return answer;
        }
        if (k > 0) {
            cursor.clear();
        }
        if (k > 0 || cursor != shownCursor) {
            // The centring counts the colour codes but not the cursor, so a blink does not move
            // the line.
            const std::string shown =
                std::string(text) + "@" + std::to_string(colour) + "@" + answer + "@@" + cursor;
            const int64_t column =
                line->tmapw / 2 - static_cast<int64_t>(shown.size() - cursor.size()) / 2;
            line->Fill(0, 0, 255, 0);
            line->InsertString(static_cast<int32_t>(column), 0, shown, 0, 255, 1, 0, 1);
        }
        Flip(-1);
    }
}

} // namespace dm
