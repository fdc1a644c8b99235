#pragma once

#include "platform/frame_list.h"
#include "platform/timage.h"
#include "render/display.h"

#include <cstdint>
#include <string>

namespace dm::test {

// What a recorded frame drew last in a screen cell's foreground: the glyph's frame and colour, a
// solid block (glyph -2), or nothing (glyph -1).
struct DrawnCell {
    int glyph = -1;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline DrawnCell ForegroundAt(const FrameList& frame, const Display& display, int cellX,
                              int cellY) {
    const float scale = static_cast<float>(display.config.scale);
    const float x = static_cast<float>(cellX) * display.tileset.GlyphWidth * scale;
    const float y = static_cast<float>(cellY) * display.tileset.GlyphHeight * scale;
    DrawnCell cell;
    for (const DrawCommand& command : frame.commands) {
        if (command.kind == DrawKind::Clear) {
            cell = DrawnCell{};
        }
        const bool foreground = command.kind == DrawKind::Frame &&
                                command.image == display.tileset.ForegroundSheet.get();
        if ((foreground || command.kind == DrawKind::Rect) && command.x0 == x && command.y0 == y) {
            cell = {foreground ? command.frame : -2, command.red, command.green, command.blue};
        }
    }
    return cell;
}

// The glyphs drawn along a screen row from cellX on, as text; cells showing no glyph become
// spaces.
inline std::string TextAt(const FrameList& frame, const Display& display, int cellX, int cellY,
                          int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        const int glyph = ForegroundAt(frame, display, cellX + i, cellY).glyph;
        text += glyph < 0 ? ' ' : static_cast<char>(glyph);
    }
    return text;
}

} // namespace dm::test
