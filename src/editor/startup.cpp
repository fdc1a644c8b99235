#include "editor/canvas_commands.h"
#include "editor/editor.h"
#include "editor/file_commands.h"
#include "editor/mouse_tools.h"
#include "editor/screen_layout.h"
#include "platform/fatal_error.h"
#include "platform/requesters/file_requester.h"
#include "ui/interface_text.h"
#include "ui/path_prompt.h"

namespace dm {

namespace {

// Opens the window OpenDisplay sized; a program without a window cannot go on.
WindowOpener OpenWindowFor(EditorState& state) {
    return [&state](const WindowRequest& request) {
        Expected<std::shared_ptr<TGraphics>> opened = OpenGraphics(
            request.width, request.height, request.depth, request.hertz, request.flags);
        if (!opened) {
            throw FatalError("Unable to open the Duskmarch window: " + opened.Why());
        }
        state.graphics = std::move(*opened);
    };
}

} // namespace

std::unique_ptr<EditorState> StartEditor(const std::vector<std::string>& mapPaths,
                                         const std::string& configPath) {
    auto state = std::make_unique<EditorState>();
    OpenDisplay(state->display, configPath, kUseDefaultTitle, OpenWindowFor(*state));
    SetFileRequestFallback(
        [display = state->display](const FileRequest& request, const std::string& why) {
            return PromptPath(display, request, why);
        });
    const DisplayConfig& config = state->display.config;

    state->screenmap = tilemap::Create(config.width, config.height);
    state->screenmap->Fill(0, 0, 9, 0);
    state->tablesmap = MakeTablesMap();
    state->helpmap = MakeHelpMap();
    state->listmap = tilemap::Create(kImageListRegion.width, kImageListRegion.height);
    RedrawImageList(*state);
    state->checkermap = MakeCheckerMap();
    WritePickerLabels(*state->screenmap);
    state->charpicker = MakeCharPicker();
    state->colorpicker = MakeColorPicker();

    OpenMapFiles(*state, mapPaths);

    WriteText(*state->screenmap, kFillHeading.x, kFillHeading.y, "Flood fill", 0, 255);
    state->diagbox =
        gadget::CreateCheckbox("Fill diagonal", kDiagonalFillBox.x, kDiagonalFillBox.y, nullptr);
    state->bleedbox =
        gadget::CreateCheckbox("Bleed fill", kBleedFillBox.x, kBleedFillBox.y, nullptr);
    state->diagbox->bgcolor = 28;
    state->bleedbox->bgcolor = 28;
    state->typelabel = gadget::CreateLabel("", 0, 0, 64, 64, nullptr);
    RefreshSelectionIndicators(*state);
    return state;
}

} // namespace dm
