#include "editor/canvas_commands.h"
#include "editor/screen_layout.h"
#include "platform/io/paths.h"
#include "ui/interface_text.h"
#include "ui/popup.h"

#include <algorithm>

namespace dm {

namespace {

constexpr size_t kListedNameLength = 14;
constexpr size_t kCutNameLength = 12;

} // namespace

std::string CanvasName(const canvas& shown) {
    return PathBaseName(shown.path);
}

std::shared_ptr<canvas> CanvasFromFile(std::shared_ptr<tilemap> map, const std::string& path) {
    auto opened = std::make_shared<canvas>();
    opened->path = PathBaseName(path);
    opened->w = map->tmapw;
    opened->h = map->tmaph;
    map->transparentcolor = 255;
    opened->img = std::move(map);
    MarkSaved(*opened, path);
    return opened;
}

void AddCanvas(EditorState& state, std::shared_ptr<canvas> added) {
    // The history starts from the image as it comes, before anything in this frame changes it.
    added->history.Note(*added->img);
    state.canvases.push_back(added);
    state.activecanvas = std::move(added);
    RedrawImageList(state);
}

void NewCanvas(EditorState& state) {
    if (state.canvases.size() >= kMaxCanvases) {
        ShowMessage(state.display, "Error!",
                    "Too many canvases; you cannot create another. If you wish to create a new "
                    "canvas, try saving and closing some of the ones you currently have open.");
        return;
    }
    auto made = std::make_shared<canvas>();
    made->path = "Untitled";
    made->img = tilemap::Create(16, 16);
    made->img->transparentcolor = 255;
    AddCanvas(state, std::move(made));
}

void CloseActiveCanvas(EditorState& state) {
    const std::shared_ptr<canvas> closing = state.activecanvas;
    const std::string question =
        closing->hassaved != 0
            ? "Are you sure you want to close the image " + CanvasName(*closing) + "?"
            : "Are you sure you want to close the unsaved image " + CanvasName(*closing) + "?";
    if (AskYesNo(state.display, "Confirm!", question) != 0) {
        return;
    }
    CycleActiveCanvas(state);
    std::erase(state.canvases, closing);
    if (state.canvases.empty()) {
        state.activecanvas.reset();
    }
    RedrawImageList(state);
}

void CycleActiveCanvas(EditorState& state) {
    const auto active = std::find(state.canvases.begin(), state.canvases.end(), state.activecanvas);
    if (active != state.canvases.end()) {
        const auto next = std::next(active);
        state.activecanvas = next == state.canvases.end() ? state.canvases.front() : *next;
    }
    RedrawImageList(state);
}

void RedrawImageList(EditorState& state) {
    tilemap& list = *state.listmap;
    list.Fill(0, 8, 1, 0);
    WriteText(list, 0, 0, "Images open:", 0, 255);
    if (state.canvases.empty()) {
        WriteText(list, 0, 2, "n/a", 8, 255);
    }
    int32_t row = 2;
    for (const std::shared_ptr<canvas>& each : state.canvases) {
        std::string name = CanvasName(*each);
        if (name.size() > kListedNameLength) {
            name = name.substr(0, kCutNameLength) + "..";
        }
        if (each == state.activecanvas) {
            WriteText(list, 0, row, ">" + name + "<", 0, 255);
        } else {
            WriteText(list, 0, row, " " + name + " ", 8, 255);
        }
        ++row;
    }
    WriteCanvasSizeLine(state);
}

} // namespace dm
