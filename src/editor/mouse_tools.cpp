#include "editor/mouse_tools.h"

#include "editor/edit_tools.h"
#include "editor/memory_report.h"
#include "editor/screen_layout.h"
#include "platform/drawing/graphics.h"
#include "platform/input/polled_input.h"
#include "render/palette.h"
#include "ui/mouse_state.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace dm {

namespace {

constexpr uint8_t kMarkX = 'X';
constexpr uint8_t kMarkF = 'F';
constexpr uint8_t kMarkB = 'B';

// The glyph and colour pickers are alike: index i at column i mod 16 and row i div 16.
constexpr int32_t kPickerColumns = kGlyphPickerRegion.width;
static_assert(kColourPickerRegion.width == kPickerColumns);

int32_t PickerX(uint8_t index) {
    return index % kPickerColumns;
}

int32_t PickerY(uint8_t index) {
    return index / kPickerColumns;
}

// A legible colour for a mark over the swatch of colour c.
uint8_t MarkerColor(const EditorState& state, uint8_t c) {
    return PaletteBrightness(state.display.palette, c) > 128 ? 9 : 0;
}

void MarkColour(EditorState& state, uint8_t colour, uint8_t glyph, uint8_t fg) {
    state.colorpicker->SetTile(PickerX(colour), PickerY(colour), glyph, fg, 255, 0);
}

void HighlightGlyph(EditorState& state) {
    state.charpicker->SetTile(PickerX(state.selchar), PickerY(state.selchar), state.selchar, 0, 10,
                              0);
}

void UnhighlightGlyph(EditorState& state) {
    state.charpicker->SetTile(PickerX(state.selchar), PickerY(state.selchar), state.selchar, 8, 9,
                              0);
}

uint8_t PickerIndex(const ScreenRegion& picker) {
    const MouseState& mouse = Mouse();
    return static_cast<uint8_t>(
        (mouse.mousecellx - picker.left + (mouse.mousecelly - picker.top) * kPickerColumns) & 255);
}

bool MouseIn(const ScreenRegion& region) {
    return region.Contains(Mouse().mousecellx, Mouse().mousecelly);
}

void ShowSelection(EditorState& state, ScreenCell cell, uint8_t glyph, uint8_t fg, uint8_t bg) {
    state.screenmap->SetTile(cell.x, cell.y, glyph, fg, bg, 0);
}

void PickGlyph(EditorState& state) {
    if (!Mouse().mouseheld[0]) {
        return;
    }
    UnhighlightGlyph(state);
    state.selchar = PickerIndex(kGlyphPickerRegion);
    ShowSelection(state, kSelectedGlyph, state.selchar, 8, 9);
    HighlightGlyph(state);
}

void PickColours(EditorState& state) {
    const uint8_t under = PickerIndex(kColourPickerRegion);
    if (Mouse().mouseheld[0]) {
        if (state.selfg == state.selbg) {
            MarkColour(state, state.selfg, kMarkB, MarkerColor(state, state.selfg));
        } else {
            MarkColour(state, state.selfg, 0, 255);
        }
        state.selfg = under;
        ShowSelection(state, kForegroundSwatch, 0, 0, state.selfg);
        MarkColour(state, state.selfg, state.selfg == state.selbg ? kMarkX : kMarkF,
                   MarkerColor(state, state.selfg));
    }
    if (Mouse().mouseheld[1]) {
        if (state.selfg == state.selbg) {
            MarkColour(state, state.selbg, kMarkF, MarkerColor(state, state.selbg));
        } else {
            MarkColour(state, state.selbg, 0, 255);
        }
        state.selbg = under;
        ShowSelection(state, kBackgroundSwatch, 0, 0, state.selbg);
        MarkColour(state, state.selbg, state.selbg == state.selfg ? kMarkX : kMarkB,
                   MarkerColor(state, state.selbg));
    }
}

// Ends a drag: the rectangle between the anchor and the cursor goes into the clip map. The drag
// is over even when there is no memory for the copy, so the failure is not met again next frame.
void CopySelection(EditorState& state) {
    const int32_t left = std::min(state.selx, state.cursorx);
    const int32_t top = std::min(state.sely, state.cursory);
    const int32_t width = std::abs(state.cursorx - state.selx) + 1;
    const int32_t height = std::abs(state.cursory - state.sely) + 1;
    state.selx = -1;
    state.sely = -1;
    std::shared_ptr<tilemap> copied = tilemap::Create(width, height);
    copied->Fill(0, 9, 9, 0);
    tilemap::CopyRect(*state.activecanvas->img, left, top, width, height, *copied, 0, 0, 0);
    state.clipmap = std::move(copied);
}

// The middle button's fill. Its undo copy was taken in this frame, so a fill that runs out of
// memory part way puts the image back from it, and the canvas stays as it was.
void FillRegion(EditorState& state) {
    canvas& active = *state.activecanvas;
    try {
        active.img->FloodFill(*active.img, state.cursorx, state.cursory, state.selchar, state.selfg,
                              state.selbg, state.diagbox->state, state.bleedbox->state, 1);
    } catch (const std::bad_alloc&) {
        std::copy(active.undo->tmap.begin(), active.undo->tmap.end(), active.img->tmap.begin());
        throw;
    }
    NoteImageChange(active);
}

void UseEyedropper(EditorState& state) {
    UnhighlightGlyph(state);
    MarkColour(state, state.selbg, 0, MarkerColor(state, state.selbg));
    MarkColour(state, state.selfg, 0, MarkerColor(state, state.selfg));
    state.activecanvas->img->GrabTile(state.cursorx, state.cursory, state.selchar, state.selfg,
                                      state.selbg);
    RefreshSelectionIndicators(state);
}

// Only a cell that changes can change whether the canvas is saved.
void DrawSelectedTile(EditorState& state) {
    canvas& active = *state.activecanvas;
    uint8_t glyph = 0, fg = 0, bg = 0;
    active.img->GrabTile(state.cursorx, state.cursory, glyph, fg, bg);
    if (glyph != state.selchar || fg != state.selfg || bg != state.selbg) {
        active.img->SetTile(state.cursorx, state.cursory, state.selchar, state.selfg, state.selbg,
                            1);
        NoteImageChange(active);
    }
}

// pressed: the left button went down since the previous frame.
void UseCanvasTools(EditorState& state, bool pressed) {
    canvas& active = *state.activecanvas;
    const MouseState& mouse = Mouse();
    WriteCursorLines(state);
    // Tools act on the image's own cells only; the column and row beyond it show where it ends.
    const bool onImage = CursorOnImage(state);
    if (onImage && (mouse.mousereleased[2] || pressed)) {
        TakeUndoCopy(active);
    }
    if (state.shiftdown && !state.typing) {
        if (mouse.mouseheld[0]) {
            if (state.selx == -1 && state.sely == -1) {
                state.selx = state.cursorx;
                state.sely = state.cursory;
            }
            state.selecting = true;
        } else if (state.selx > -1 && state.sely > -1) {
            CopySelection(state);
        }
        return;
    }
    state.selx = -1;
    state.sely = -1;
    if (!onImage) {
        return;
    }
    if (mouse.mouseheld[0]) {
        DrawSelectedTile(state);
    } else if (mouse.mousereleased[2]) {
        FillRegion(state);
    } else if (mouse.mouseheld[1]) {
        UseEyedropper(state);
    }
}

// What the canvas tools set out to do in this frame, for the message when memory runs out: the
// undo copy is taken for the tool that acts.
const char* CanvasToolTask(const EditorState& state) {
    const MouseState& mouse = Mouse();
    if (state.shiftdown && !state.typing) {
        return "copy the selection";
    }
    if (mouse.mouseheld[0]) {
        return "draw";
    }
    if (mouse.mousereleased[2]) {
        return "fill the region";
    }
    return "keep an undo copy";
}

} // namespace

void RefreshSelectionIndicators(EditorState& state) {
    HighlightGlyph(state);
    ShowSelection(state, kSelectedGlyph, state.selchar, 8, 9);
    if (state.selfg == state.selbg) {
        MarkColour(state, state.selfg, kMarkX, MarkerColor(state, state.selfg));
    } else {
        MarkColour(state, state.selbg, kMarkB, MarkerColor(state, state.selbg));
        MarkColour(state, state.selfg, kMarkF, MarkerColor(state, state.selfg));
    }
    ShowSelection(state, kForegroundSwatch, 0, 0, state.selfg);
    ShowSelection(state, kBackgroundSwatch, 0, 0, state.selbg);
}

bool CursorOnImage(const EditorState& state) {
    const tilemap& image = *state.activecanvas->img;
    return state.cursorx >= 0 && state.cursory >= 0 && state.cursorx < image.tmapw &&
           state.cursory < image.tmaph;
}

void TakeUndoCopy(canvas& active) {
    active.undo = active.img->Copy();
    active.canundo = 1;
}

bool MouseOverCanvas(const EditorState& state) {
    const canvas& active = *state.activecanvas;
    return MouseIn({kCanvasRegion.left, kCanvasRegion.top,
                    std::min(active.w + 1, kCanvasRegion.width),
                    std::min(active.h + 1, kCanvasRegion.height)});
}

bool HandleMouse(EditorState& state) {
    // Left presses are counted off in every frame, wherever the mouse is, so that a press made
    // elsewhere is never taken later for one over the canvas.
    const bool pressed = TakeMouseHits(1) != 0;
    if (HandleEditToolsMouse(state, pressed)) {
        return true;
    }
    if (MouseIn(kGlyphPickerRegion)) {
        PickGlyph(state);
        return true;
    }
    if (MouseIn(kColourPickerRegion)) {
        PickColours(state);
        return true;
    }
    if (state.activecanvas && !state.showtables && !state.showhelp && MouseOverCanvas(state)) {
        RunReportingMemory(state, CanvasToolTask(state),
                           [pressed](EditorState& each) { UseCanvasTools(each, pressed); });
        return true;
    }
    return false;
}

void FillActiveCanvas(EditorState& state) {
    canvas& active = *state.activecanvas;
    TakeUndoCopy(active);
    active.img->Fill(state.selchar, state.selfg, state.selbg, 1);
    NoteImageChange(active);
}

void DrawSelectionPreview(EditorState& state) {
    const canvas& active = *state.activecanvas;
    const float scale = static_cast<float>(state.display.config.scale);
    const float cw = state.display.tileset.GlyphWidth * scale;
    const float ch = state.display.tileset.GlyphHeight * scale;
    const float ax = static_cast<float>(state.selx - active.viewx + kCanvasRegion.left) * cw;
    const float ay = static_cast<float>(state.sely - active.viewy + kCanvasRegion.top) * ch;
    const float mx = static_cast<float>(Mouse().mousecellx) * cw;
    const float my = static_cast<float>(Mouse().mousecelly) * ch;
    SetColor(0, 192, 0);
    DrawLine(ax, ay, mx, my, true);
    SetColor(0, 96, 0);
    DrawLine(ax, my, mx, my, true);
    DrawLine(ax, ay, mx, ay, true);
    DrawLine(mx, ay, mx, my, true);
    DrawLine(ax, ay, ax, my, true);
    SetColor(255, 255, 255);
}

} // namespace dm
