#include "model/tilemap.h"

#include "platform/text/string_to_int.h"

namespace dm {

int32_t tilemap::InsertCharTable(int32_t x, int32_t y) {
    for (int32_t g = 0; g < 256; ++g) {
        SetTile(x + g % 16, y + g / 16, static_cast<uint8_t>(g), 255, 255, 0);
    }
    return 0;
}

int32_t tilemap::InsertColorTable(int32_t x, int32_t y) {
    for (int32_t c = 0; c < 256; ++c) {
        SetTile(x + c % 16, y + c / 16, 0, 255, static_cast<uint8_t>(c), 0);
    }
    return 0;
}

int32_t tilemap::InsertString(int32_t x, int32_t y, std::string_view text, uint8_t fg, uint8_t bg,
                              int32_t colorcodes, int32_t force, int32_t linebreaks) {
    constexpr uint8_t kCodeMark = '@';
    constexpr uint8_t kLineBreak = 255;
    int64_t col = x;
    int64_t row = y;
    uint8_t current = fg;
    bool inCode = false;
    // The digits of the codes read since the last written character, all of them together.
    IntegerReader digits;
    for (const char ch : text) {
        const auto c = static_cast<uint8_t>(ch);
        if (colorcodes != 0 && c == kCodeMark) {
            inCode = !inCode;
            if (inCode) {
                current = fg;
            }
        } else if (linebreaks != 0 && c == kLineBreak) {
            col = x;
            ++row;
        } else if (inCode) {
            digits.Feed(ch);
            current = static_cast<uint8_t>(digits.Value() & 255);
        } else {
            digits = IntegerReader{};
            if (!Inside(col, row)) {
                break;
            }
            SetTile(static_cast<int32_t>(col), static_cast<int32_t>(row), c, current, bg, force);
            ++col;
        }
    }
    return 0;
}

} // namespace dm
