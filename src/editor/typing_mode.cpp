#include "editor/typing_mode.h"

#include "platform/drawing/graphics.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/interface_text.h"

namespace dm {

namespace {

const char* const kTypingMessage = "Typing mode active. Press escape to return to normal editing.";

void ClearTypeMap(EditorState& state) {
    state.typemap->Fill(255, 255, 255, 1);
}

// Escape: the text goes into the canvas in the label's colours.
void FinishTyping(EditorState& state) {
    canvas& active = *state.activecanvas;
    state.typelabel->title = state.typedtext;
    state.typelabel->draw(*active.img, state.typex, state.typey);
    // Text that changed the canvas makes it unsaved, so quitting asks before it is lost.
    NoteImageChange(active);
    state.typing = false;
    state.typedtext.clear();
    WriteText(*state.screenmap, kMessageLine.x, kMessageLine.y, kTypingMessage, 9, 9);
    FlushKeyState();
}

} // namespace

void StartTyping(EditorState& state) {
    const canvas& active = *state.activecanvas;
    FlushKeyState();
    // Made first: without memory for it typing mode does not start.
    std::shared_ptr<tilemap> preview = tilemap::Create(active.w, active.h);
    state.typing = true;
    state.typemap = std::move(preview);
    state.typemap->transparentcolor = 255;
    ClearTypeMap(state);
    state.typelabel->title.clear();
    state.typedtext.clear();
    state.typex = state.cursorx;
    state.typey = state.cursory;
    WriteText(*state.screenmap, kMessageLine.x, kMessageLine.y, kTypingMessage, 5, 9);
}

void TypingStep(EditorState& state) {
    gadget& label = *state.typelabel;
    const bool recoloured = state.selfg != label.TextColor || state.selbg != label.bgcolor;
    label.TextColor = state.selfg;
    label.bgcolor = state.selbg;
    const size_t length = state.typedtext.size();
    const int c = NextChar() & 255;
    if (c == kKeyEnter) {
        state.typedtext += '\xFF';
    } else if (c == kKeyBackspace) {
        if (!state.typedtext.empty()) {
            state.typedtext.pop_back();
        }
    } else if (c == kKeyEscape) {
        FinishTyping(state);
    } else if (c != 0) {
        state.typedtext += static_cast<char>(c);
    }
    label.title = state.typedtext;
    if (state.typedtext.size() != length || recoloured) {
        ClearTypeMap(state);
        label.draw(*state.typemap, state.typex, state.typey);
    }
}

void DrawTypingPreview(EditorState& state) {
    const canvas& active = *state.activecanvas;
    Draw(*state.typemap, state.display, kCanvasRegion.left, kCanvasRegion.top, active.viewx,
         active.viewy, kCanvasRegion.width, kCanvasRegion.height);
    const float scale = static_cast<float>(state.display.config.scale);
    const float cw = state.display.tileset.GlyphWidth * scale;
    const float ch = state.display.tileset.GlyphHeight * scale;
    const float column = static_cast<float>(state.typex - active.viewx + kCanvasRegion.left);
    const float below = static_cast<float>(state.typey - active.viewy + kCanvasRegion.top + 1);
    DrawLine(column * cw, below * ch, (column + 1) * cw, below * ch, true);
}

} // namespace dm
