#include "ui/interface_text.h"

namespace dm {

void WriteText(tilemap& map, int32_t x, int32_t y, std::string_view text, uint8_t fg, uint8_t bg) {
    map.InsertString(x, y, text, fg, bg, 0, 0, 1);
}

} // namespace dm
