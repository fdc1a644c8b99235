#include "editor/file_commands.h"

#include "editor/canvas_commands.h"
#include "editor/long_work.h"
#include "files/image_export.h"
#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "platform/file_requester.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/polled_input.h"
#include "render/export_look.h"
#include "ui/popup.h"

namespace dm {

namespace {

const char* const kMapFilter = "Duskmarch Tilemaps:dtm;All Files:*";
const char* const kPictureFilter = "PNG Image:png;All Files:*";
const char* const kTooManyToOpen =
    "Too many canvases; you cannot open another. If you wish to open another canvas, try saving "
    "and closing some of the ones you currently have open.";

// Ends every command, whatever happened in it.
struct FlushKeysAtEnd {
    ~FlushKeysAtEnd() { FlushKeyState(); }
};

void ShowError(EditorState& state, const std::string& text) {
    ShowMessage(state.display, "Error!", text);
}

// Where the open requesters start: the folder of the active canvas's path, followed by a slash;
// a lone slash names no folder.
std::string OpenFolder(const EditorState& state) {
    if (!state.activecanvas) {
        return "";
    }
    const std::string folder = PathDirectory(state.activecanvas->path);
    return folder.ends_with('/') ? folder : folder + "/";
}

} // namespace

void OpenMapFile(EditorState& state, const std::string& path) {
    if (GetFileType(path) != kFileTypeFile) {
        ShowError(state, "Failed to open tilemap.");
        return;
    }
    std::shared_ptr<tilemap> map =
        Read(path, [&state](const std::string& title, const std::string& text) {
            ShowMessage(state.display, title, text);
        });
    if (!map) {
        ShowError(state, "Unable to read tilemap file.");
        return;
    }
    AddCanvas(state, CanvasFromFile(std::move(map), path));
}

void SaveActiveCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    canvas& active = *state.activecanvas;
    const std::string answer =
        RequestFile("Save Tilemap As", kMapFilter, true, PathNoExtension(active.path));
    if (answer.empty()) {
        return;
    }
    if (Save(*active.img, answer) == 0) {
        ShowError(state, "Failed to save tilemap image!");
        return;
    }
    ShowMessage(state.display, "Saved!", PathBaseName(answer) + " was saved successfully!");
    active.path = answer;
    RedrawImageList(state);
    active.hassaved = 1;
}

void OpenCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    if (state.canvases.size() >= kMaxCanvases) {
        ShowError(state, kTooManyToOpen);
        return;
    }
    OpenMapFile(state, RequestFile("Open Tilemap", kMapFilter, false, OpenFolder(state)));
}

void ImportCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    if (state.canvases.size() >= kMaxCanvases) {
        ShowError(state, kTooManyToOpen);
        return;
    }
    const std::string answer =
        RequestFile("Import Encoded Tilemap", kPictureFilter, false, OpenFolder(state));
    if (GetFileType(answer) != kFileTypeFile) {
        ShowError(state, "Failed to open PNG image file.");
        return;
    }
    std::shared_ptr<tilemap> map;
    RunWithProgress(state, "Import Encoded Tilemap", [&map, &answer](const WorkProgress& progress) {
        map = DecodePNG(answer, 1, progress);
    });
    if (!map) {
        ShowError(state, "Unable to read PNG image file.");
        return;
    }
    AddCanvas(state, CanvasFromFile(std::move(map), answer));
}

void ExportActiveCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    const canvas& active = *state.activecanvas;
    const std::string answer =
        RequestFile("Export Tilemap", kPictureFilter, true, PathNoExtension(active.path));
    if (answer.empty()) {
        return;
    }
    // The work reads its own copy, so that the screen can be drawn meanwhile.
    const std::shared_ptr<const tilemap> image = active.img->Copy();
    ExportResult result;
    RunWithProgress(state, "Export Tilemap", [&](const WorkProgress& progress) {
        result = ExportPNG(*image, answer, 8, MakeExportLook(state.display), progress);
    });
    if (!result.ok) {
        ShowError(state, "Failed to export tilemap image!");
        return;
    }
    ShowMessage(state.display, "Saved!",
                CanvasName(active) + " was exported successfully as " + PathFileName(answer) + ".");
}

void EncodeActiveCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    const canvas& active = *state.activecanvas;
    const std::string answer =
        RequestFile("Encode Tilemap", kPictureFilter, true, PathNoExtension(active.path));
    if (answer.empty()) {
        return;
    }
    const std::shared_ptr<const tilemap> image = active.img->Copy();
    std::shared_ptr<TPixmap> encoded;
    RunWithProgress(state, "Encode Tilemap", [&](const WorkProgress& progress) {
        encoded = EncodePNG(*image, answer, 1, progress);
    });
    if (!encoded) {
        ShowError(state, "Failed to encode tilemap image!");
        return;
    }
    ShowMessage(state.display, "Saved!",
                CanvasName(active) + " was encoded successfully as " + PathFileName(answer) + ".");
}

} // namespace dm
