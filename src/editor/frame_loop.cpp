#include "editor/autosave.h"
#include "editor/canvas_commands.h"
#include "editor/edit_tools.h"
#include "editor/editor.h"
#include "editor/file_commands.h"
#include "editor/memory_report.h"
#include "editor/mouse_tools.h"
#include "editor/screen_layout.h"
#include "editor/typing_mode.h"
#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "render/map_draw.h"
#include "ui/mouse_state.h"
#include "ui/popup.h"

#include <algorithm>

namespace dm {

namespace {

constexpr int kIdleSleepMs = 50;

// A letter's hit is taken first and only then are Shift and the canvas looked at, so a hit
// without them is used up.
bool ShiftHit(const EditorState& state, int key) {
    return TakeKeyHits(key) != 0 && state.shiftdown;
}

void RunKeyCommands(EditorState& state) {
    if (ShiftHit(state, 'B')) {
        state.showtables = !state.showtables;
    }
    if (ShiftHit(state, 'N')) {
        RunReportingMemory(state, "create a new canvas", NewCanvas);
    }
    if (ShiftHit(state, 'X') && state.activecanvas) {
        RunReportingMemory(state, "close the canvas", CloseActiveCanvas);
    }
    if (ShiftHit(state, 'R') && state.activecanvas) {
        RunReportingMemory(state, "resize the canvas", ResizeActiveCanvas);
    }
    if (ShiftHit(state, 'F') && state.activecanvas) {
        RunReportingMemory(state, "fill the canvas", FillActiveCanvas);
    }
    if (TakeKeyHits(kKeyTab) != 0 && state.canvases.size() > 1) {
        RunReportingMemory(state, "switch canvases", CycleActiveCanvas);
    }
    if (TakeKeyHits(kKeyF1) != 0) {
        state.showhelp = !state.showhelp;
    }
    if (ShiftHit(state, 'E') && state.activecanvas) {
        RunReportingMemory(state, "export the tilemap", ExportActiveCanvas);
    }
    if (ShiftHit(state, 'K') && state.activecanvas) {
        RunReportingMemory(state, "encode the tilemap", EncodeActiveCanvas);
    }
    if (ShiftHit(state, 'I')) {
        RunReportingMemory(state, "import the picture", ImportCanvas);
    }
    if (TakeKeyHits('S') != 0 && state.activecanvas) {
        RunReportingMemory(state, "save the tilemap", SaveActiveCanvas);
    }
    if (TakeKeyHits('O') != 0) {
        RunReportingMemory(state, "open a tilemap", OpenCanvas);
    }
}

void UpdateCursor(EditorState& state) {
    const MouseState& mouse = Mouse();
    const int32_t viewx = state.activecanvas ? state.activecanvas->viewx : 0;
    const int32_t viewy = state.activecanvas ? state.activecanvas->viewy : 0;
    state.cursorx = mouse.mousecellx - kCanvasRegion.left + viewx;
    state.cursory = mouse.mousecelly - kCanvasRegion.top + viewy;
}

void StartOrContinueTyping(EditorState& state) {
    if (state.typing) {
        RunReportingMemory(state, "write the typed text", TypingStep);
        return;
    }
    if (ShiftHit(state, 'T') && state.activecanvas && MouseOverCanvas(state)) {
        RunReportingMemory(state, "start typing", StartTyping);
    }
}

} // namespace

void DrawEditorScreen(EditorState& state) {
    const Display& display = state.display;
    Draw(*state.screenmap, display, 0, 0, 0, 0, -1, -1);
    if (state.activecanvas) {
        canvas& active = *state.activecanvas;
        Draw(*state.checkermap, display, kCanvasRegion.left, kCanvasRegion.top, 0, 0, active.w,
             active.h);
        if (!DrawEditPreview(state)) {
            Draw(*active.img, display, kCanvasRegion.left, kCanvasRegion.top, active.viewx,
                 active.viewy, kCanvasRegion.width, kCanvasRegion.height);
        }
        if (state.selecting) {
            DrawSelectionPreview(state);
            state.selecting = false;
        }
    }
    if (state.typing) {
        DrawTypingPreview(state);
    }
    if (state.clipmap) {
        Draw(*state.clipmap, display, kClipPreviewRegion.left, kClipPreviewRegion.top, 0, 0,
             kClipPreviewRegion.width, kClipPreviewRegion.height);
    }
    Draw(*state.listmap, display, kImageListRegion.left, kImageListRegion.top, 0, 0, -1, -1);
    Draw(*state.charpicker, display, kGlyphPickerRegion.left, kGlyphPickerRegion.top, 0, 0, -1, -1);
    Draw(*state.colorpicker, display, kColourPickerRegion.left, kColourPickerRegion.top, 0, 0, -1,
         -1);
    if (state.showtables) {
        Draw(*state.tablesmap, display, kTablesRegion.left, kTablesRegion.top, 0, 0, -1, -1);
    }
    if (state.showhelp) {
        Draw(*state.helpmap, display, HelpColumn(state), HelpRow(state), 0, 0, -1, -1);
    }
}

namespace {

// Escape held outside typing mode, or else the window's close request, which is read only then.
// With an unsaved canvas open the user is asked first.
bool QuitRequested(EditorState& state) {
    const bool escape = !state.typing && IsKeyDown(kKeyEscape) != 0;
    if (!escape && TakeTerminateRequest() == 0) {
        return false;
    }
    const bool unsaved =
        std::any_of(state.canvases.begin(), state.canvases.end(),
                    [](const std::shared_ptr<canvas>& each) { return each->hassaved == 0; });
    return !unsaved || AskYesNo(state.display, "Confirm!", "Exit without saving?") == 0;
}

} // namespace

FrameResult RunFrame(EditorState& state) {
    Cls();
    UpdateMouse(state.display);
    state.shiftdown = IsKeyDown(kKeyLeftShift) != 0 || IsKeyDown(kKeyRightShift) != 0;
    if (!state.typing) {
        RunKeyCommands(state);
        OpenDroppedFiles(state);
    }
    AutosaveStep(state);
    UpdateCursor(state);
    if (!HandleMouse(state)) {
        SleepMs(kIdleSleepMs);
    }
    RunEditingKeys(state);
    StartOrContinueTyping(state);
    if (state.activecanvas) {
        ScrollActiveCanvas(state);
    }
    ScrollWithWheel(state);
    NoteEditsAndPreview(state);
    DrawEditorScreen(state);
    state.diagbox->draw(*state.screenmap, 0, 0);
    state.bleedbox->draw(*state.screenmap, 0, 0);
    if (RunEnded()) {
        return FrameResult::Ended;
    }
    if (QuitRequested(state)) {
        ForgetRecovery(state);
        return FrameResult::Quit;
    }
    Flip(-1);
    return RunEnded() ? FrameResult::Ended : FrameResult::Continue;
}

FrameResult RunEditor(EditorState& state) {
    FrameResult result = FrameResult::Continue;
    while (result == FrameResult::Continue) {
        result = RunFrame(state);
    }
    return result;
}

} // namespace dm
