#pragma once

#include "platform/drawing/frame_list.h"

#include <cstdint>
#include <string>

namespace dm::test {

// What a recorded frame drew last in a screen cell of cellWidth x cellHeight pixels: a glyph's
// frame and its colour, a solid block (glyph -2), or nothing (glyph -1). Both sheets are drawn
// with the cell's glyph, the foreground last.
struct DrawnCell {
    int glyph = -1;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline DrawnCell DrawnAt(const FrameList& frame, int cellWidth, int cellHeight, int cellX,
                         int cellY) {
    const float x = static_cast<float>(cellX * cellWidth);
    const float y = static_cast<float>(cellY * cellHeight);
    DrawnCell cell;
    for (const DrawCommand& command : frame.commands) {
        if (command.kind == DrawKind::Clear) {
            cell = DrawnCell{};
        }
        const bool glyph = command.kind == DrawKind::Frame;
        if ((glyph || command.kind == DrawKind::Rect) && command.x0 == x && command.y0 == y) {
            cell = {glyph ? command.frame : -2, command.red, command.green, command.blue};
        }
    }
    return cell;
}

// The glyphs drawn along a screen row from cellX on, as text; cells showing no glyph become
// spaces.
inline std::string TextAt(const FrameList& frame, int cellWidth, int cellHeight, int cellX,
                          int cellY, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        const int glyph = DrawnAt(frame, cellWidth, cellHeight, cellX + i, cellY).glyph;
        text += glyph < 0 ? ' ' : static_cast<char>(glyph);
    }
    return text;
}

} // namespace dm::test
