#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <string_view>

namespace dm {

// Writes text as the interface does: colour codes off, never forced, character 255 a line
// break; colour 255 keeps what the cell has.
void WriteText(tilemap& map, int32_t x, int32_t y, std::string_view text, uint8_t fg, uint8_t bg);

} // namespace dm
