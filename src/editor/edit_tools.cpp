#include "editor/edit_tools.h"

#include "editor/canvas_commands.h"
#include "editor/map_edits.h"
#include "editor/memory_report.h"
#include "editor/mouse_tools.h"
#include "editor/screen_layout.h"
#include "editor/shapes.h"
#include "platform/input/clipboard.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/mouse_state.h"
#include "ui/popup.h"

#include <algorithm>

namespace dm {

namespace {

constexpr int32_t kWheelStep = 4;

bool CtrlDown() {
    return IsKeyDown(kKeyLeftControl) != 0 || IsKeyDown(kKeyRightControl) != 0;
}

// The canvas region takes the mouse: a canvas is active and neither the tables nor the help
// cover it.
bool CanvasTakesMouse(const EditorState& state) {
    return state.activecanvas && !state.showtables && !state.showhelp && MouseOverCanvas(state);
}

// Where a new edit may go: the mouse over a cell of the active image, outside typing mode.
bool EditableCellUnderMouse(const EditorState& state) {
    return !state.typing && CanvasTakesMouse(state) && CursorOnImage(state);
}

// The shape from the anchor to (endx, endy) in the cells of map, whose cell (0, 0) is the canvas's
// cell (shiftx, shifty).
std::vector<ShapePiece> ShapeOf(const ShapeDrag& drag, int32_t endx, int32_t endy,
                                const tilemap& map, int32_t shiftx, int32_t shifty) {
    const int32_t x0 = drag.anchorx - shiftx, y0 = drag.anchory - shifty;
    const int32_t x1 = endx - shiftx, y1 = endy - shifty;
    return drag.box ? BoxPieces(x0, y0, x1, y1, map.tmapw, map.tmaph) : LinePieces(x0, y0, x1, y1);
}

// A drag is given up when its canvas is no longer the one edited, or the canvas stopped taking
// edits (typing mode, the tables or the help).
bool ShapeDragLasts(const EditorState& state) {
    const ShapeDrag& drag = state.edittools.shape;
    return drag.active && !drag.givenUp && state.activecanvas &&
           drag.on.lock() == state.activecanvas && !state.typing && !state.showtables &&
           !state.showhelp;
}

void FinishShape(EditorState& state) {
    canvas& active = *state.activecanvas;
    ShapeDrag& drag = state.edittools.shape;
    drag.active = false;
    const std::vector<ShapePiece> pieces =
        ShapeOf(drag, state.cursorx, state.cursory, *active.img, 0, 0);
    TakeUndoCopy(active);
    WriteShape(*active.img, pieces, state.selchar, state.selfg, state.selbg);
    NoteImageChange(active);
}

void StartShape(EditorState& state) {
    ShapeDrag& drag = state.edittools.shape;
    drag.active = true;
    drag.givenUp = false;
    drag.box = state.shiftdown;
    drag.anchorx = state.cursorx;
    drag.anchory = state.cursory;
    drag.on = state.activecanvas;
}

void ReplaceLikeClicked(EditorState& state) {
    canvas& active = *state.activecanvas;
    TakeUndoCopy(active);
    ReplaceCells(*active.img, state.cursorx, state.cursory, state.selchar, state.selfg,
                 state.selbg);
    NoteImageChange(active);
}

// After the history moved the image: the canvas takes the image's size, and is saved when the
// image is the one last saved or loaded.
void ShowHistoryStep(EditorState& state) {
    canvas& active = *state.activecanvas;
    active.w = active.img->tmapw;
    active.h = active.img->tmaph;
    NoteImageChange(active);
    WriteCanvasSizeLine(state);
}

void UndoStep(EditorState& state) {
    if (state.activecanvas && state.activecanvas->history.Undo(state.activecanvas->img)) {
        ShowHistoryStep(state);
    }
}

void RedoStep(EditorState& state) {
    if (state.activecanvas && state.activecanvas->history.Redo(state.activecanvas->img)) {
        ShowHistoryStep(state);
    }
}

void PasteClipUnderMouse(EditorState& state) {
    if (!state.clipmap || !EditableCellUnderMouse(state)) {
        return;
    }
    canvas& active = *state.activecanvas;
    TakeUndoCopy(active);
    PasteClip(*active.img, *state.clipmap, state.cursorx, state.cursory);
    NoteImageChange(active);
}

void CopyClipAsText(EditorState& state) {
    if (!state.clipmap) {
        return;
    }
    const Outcome copied = SetClipboardText(MapAsText(*state.clipmap));
    if (!copied) {
        ShowMessage(state.display, "Error!", "Unable to copy to the clipboard: " + copied.Why());
    }
}

void PasteTextUnderMouse(EditorState& state) {
    if (!EditableCellUnderMouse(state)) {
        return;
    }
    const std::string text = GetClipboardText();
    if (text.empty()) {
        return;
    }
    canvas& active = *state.activecanvas;
    TakeUndoCopy(active);
    PasteText(*active.img, text, state.cursorx, state.cursory, state.selfg, state.selbg);
    NoteImageChange(active);
}

void RunUndoKeys(EditorState& state) {
    if (TakeKeyHits('Z') != 0) {
        if (!CtrlDown()) {
            UndoActiveCanvas(state);
        } else if (state.shiftdown) {
            RunReportingMemory(state, "redo", RedoStep);
        } else {
            RunReportingMemory(state, "undo", UndoStep);
        }
    }
    if (TakeKeyHits('Y') != 0 && CtrlDown()) {
        RunReportingMemory(state, "redo", RedoStep);
    }
}

void RunPasteKeys(EditorState& state) {
    if (TakeKeyHits('C') != 0 && state.shiftdown) {
        RunReportingMemory(state, "copy to the clipboard", CopyClipAsText);
    }
    if (TakeKeyHits('V') != 0) {
        if (state.shiftdown) {
            RunReportingMemory(state, "paste the clipboard", PasteTextUnderMouse);
        } else {
            state.edittools.pasteHeld = true;
        }
    }
    if (state.edittools.pasteHeld && IsKeyDown('V') == 0) {
        state.edittools.pasteHeld = false;
        RunReportingMemory(state, "paste", PasteClipUnderMouse);
    }
}

// The view of the active canvas as the canvas draws it, as a map of its own to try an edit on.
std::shared_ptr<tilemap> CopyOfView(const canvas& active, int32_t& viewx, int32_t& viewy) {
    const tilemap& image = *active.img;
    const int32_t width = std::clamp(kCanvasRegion.width, 0, image.tmapw);
    const int32_t height = std::clamp(kCanvasRegion.height, 0, image.tmaph);
    viewx = std::clamp(active.viewx, 0, image.tmapw - width);
    viewy = std::clamp(active.viewy, 0, image.tmaph - height);
    std::shared_ptr<tilemap> view = tilemap::Create(width, height);
    view->transparentcolor = image.transparentcolor;
    tilemap::CopyRect(image, viewx, viewy, width, height, *view, 0, 0, 1);
    return view;
}

void PreparePreview(EditorState& state) {
    EditToolsState& tools = state.edittools;
    tools.preview.reset();
    if (ShapeDragLasts(state)) {
        int32_t viewx = 0, viewy = 0;
        std::shared_ptr<tilemap> view = CopyOfView(*state.activecanvas, viewx, viewy);
        WriteShape(*view, ShapeOf(tools.shape, state.cursorx, state.cursory, *view, viewx, viewy),
                   state.selchar, state.selfg, state.selbg);
        tools.preview = std::move(view);
    } else if (tools.pasteHeld && state.clipmap && EditableCellUnderMouse(state)) {
        int32_t viewx = 0, viewy = 0;
        std::shared_ptr<tilemap> view = CopyOfView(*state.activecanvas, viewx, viewy);
        PasteClip(*view, *state.clipmap, state.cursorx - viewx, state.cursory - viewy);
        tools.preview = std::move(view);
    }
}

// A stroke is drawn from press to release as one step, so the image is not noted while the left
// button is held.
void NoteHistory(EditorState& state) {
    const std::shared_ptr<canvas> previous = state.edittools.noted.lock();
    state.edittools.noted = state.activecanvas;
    if (previous && previous != state.activecanvas &&
        std::find(state.canvases.begin(), state.canvases.end(), previous) != state.canvases.end()) {
        previous->history.Note(*previous->img);
    }
    if (state.activecanvas && Mouse().mouseheld[0] == 0) {
        state.activecanvas->history.Note(*state.activecanvas->img);
    }
}

// Moves one view coordinate of a canvas side `size` long in a window `shown` cells long.
void ScrollBy(int32_t& view, int32_t size, int32_t shown, int64_t cells) {
    view = size <= shown ? 0
                         : static_cast<int32_t>(std::clamp<int64_t>(view + cells, 0, size - shown));
}

} // namespace

bool HandleEditToolsMouse(EditorState& state, bool pressed) {
    ShapeDrag& drag = state.edittools.shape;
    if (drag.active) {
        drag.givenUp = !ShapeDragLasts(state);
        if (!drag.givenUp && CanvasTakesMouse(state)) {
            WriteCursorLines(state);
        }
        if (Mouse().mouseheld[0] == 0) {
            if (drag.givenUp) {
                drag.active = false;
            } else {
                RunReportingMemory(state, "draw the shape", FinishShape);
            }
        }
        return true;
    }
    if (!CtrlDown() || !EditableCellUnderMouse(state)) {
        return false;
    }
    if (pressed) {
        WriteCursorLines(state);
        StartShape(state);
        if (Mouse().mouseheld[0] == 0) {
            RunReportingMemory(state, "draw the shape", FinishShape); // pressed and let go at once
        }
        return true;
    }
    if (Mouse().mousereleased[2] != 0) {
        WriteCursorLines(state);
        RunReportingMemory(state, "replace the cells", ReplaceLikeClicked);
        return true;
    }
    return false;
}

void RunEditingKeys(EditorState& state) {
    if (state.typing) {
        state.edittools.pasteHeld = false;
        return;
    }
    RunUndoKeys(state);
    RunPasteKeys(state);
}

void ScrollWithWheel(EditorState& state) {
    const int notches = TakeWheelNotches();
    if (notches == 0 || !CanvasTakesMouse(state)) {
        return;
    }
    canvas& active = *state.activecanvas;
    // A notch away from the user goes up, or with Shift to the left.
    const int64_t cells = -int64_t{kWheelStep} * notches;
    if (state.shiftdown) {
        ScrollBy(active.viewx, active.w, kCanvasRegion.width, cells);
    } else {
        ScrollBy(active.viewy, active.h, kCanvasRegion.height, cells);
    }
}

void NoteEditsAndPreview(EditorState& state) {
    RunReportingMemory(state, "keep the undo history", NoteHistory);
    RunReportingMemory(state, "show the edit", PreparePreview);
}

bool DrawEditPreview(EditorState& state) {
    if (!state.edittools.preview) {
        return false;
    }
    Draw(*state.edittools.preview, state.display, kCanvasRegion.left, kCanvasRegion.top, 0, 0,
         kCanvasRegion.width, kCanvasRegion.height);
    return true;
}

} // namespace dm
