#include "editor/canvas_commands.h"
#include "editor/screen_layout.h"
#include "platform/input/key_codes.h"
#include "platform/input/polled_input.h"
#include "platform/text/string_to_int.h"
#include "ui/popup.h"
#include "ui/prompt.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace dm {

namespace {

constexpr int64_t kLargestSide = 1024;
constexpr int32_t kScrollStep = 16;

// The answer as a size: its integer value without sign, at most 1024 and at least 1.
int32_t SideFromAnswer(const std::string& answer) {
    const int64_t value = std::llabs(int64_t{StringToInt(answer)});
    return static_cast<int32_t>(std::max<int64_t>(std::min(value, kLargestSide), 1));
}

// Moves one view coordinate of a canvas side `size` long in a window `shown` cells long by the
// hits of its two arrow keys, or pins it to 0 when the side fits the window.
void Scroll(int32_t& view, int32_t size, int32_t shown, int backKey, int forwardKey) {
    if (size <= shown) {
        view = 0;
        return;
    }
    const int64_t moved =
        int64_t{view} + int64_t{kScrollStep} * (TakeKeyHits(forwardKey) - TakeKeyHits(backKey));
    view = static_cast<int32_t>(std::clamp<int64_t>(moved, 0, size - shown));
}

} // namespace

void ResizeActiveCanvas(EditorState& state) {
    canvas& active = *state.activecanvas;
    const std::optional<std::string> widthAnswer =
        PromptString(state.display, "New image width: ", 10, 0);
    if (!widthAnswer) {
        return;
    }
    const std::optional<std::string> heightAnswer =
        PromptString(state.display, "New image height: ", 10, 0);
    if (!heightAnswer) {
        return;
    }
    const int32_t width = SideFromAnswer(*widthAnswer);
    const int32_t height = SideFromAnswer(*heightAnswer);
    const std::string question = "Are you sure you want to resize the image " + CanvasName(active) +
                                 " from its original size " + std::to_string(active.w) + "x" +
                                 std::to_string(active.h) + " to the new size " +
                                 std::to_string(width) + "x" + std::to_string(height) + "?";
    if (AskYesNo(state.display, "Confirm!", question) == 0) {
        auto resized = tilemap::Create(width, height);
        resized->transparentcolor = 255;
        // Forced, so that cells without a colour or glyph (255) are kept as they are.
        tilemap::CopyRect(*active.img, 0, 0, active.img->tmapw, active.img->tmaph, *resized, 0, 0,
                          1);
        active.w = width;
        active.h = height;
        active.img = std::move(resized);
        NoteImageChange(active);
    }
    WriteCanvasSizeLine(state);
}

void UndoActiveCanvas(EditorState& state) {
    if (!state.activecanvas || state.activecanvas->canundo != 1) {
        return;
    }
    canvas& active = *state.activecanvas;
    std::swap(active.img, active.undo);
    // The view, the mouse and every tool follow the image brought back; scrolling keeps the view
    // within it.
    active.w = active.img->tmapw;
    active.h = active.img->tmaph;
    NoteImageChange(active);
    WriteCanvasSizeLine(state);
}

void ScrollActiveCanvas(EditorState& state) {
    canvas& active = *state.activecanvas;
    Scroll(active.viewx, active.w, kCanvasRegion.width, kKeyLeft, kKeyRight);
    Scroll(active.viewy, active.h, kCanvasRegion.height, kKeyUp, kKeyDown);
}

} // namespace dm
