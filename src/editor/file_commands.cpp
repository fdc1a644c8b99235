#include "editor/file_commands.h"
#include "editor/memory_report.h"

#include "editor/canvas_commands.h"
#include "editor/long_work.h"
#include "files/image_export.h"
#include "files/png_body.h"
#include "files/tilemap_file.h"
#include "files/xp_format.h"
#include "platform/input/dropped_files.h"
#include "platform/input/polled_input.h"
#include "platform/io/file_system.h"
#include "platform/io/open_stream.h"
#include "platform/io/paths.h"
#include "platform/requesters/file_requester.h"
#include "render/export_look.h"
#include "ui/popup.h"

#include <functional>

namespace dm {

namespace {

const char* const kMapFilter = "Duskmarch Tilemaps:dtm;All Files:*";
const char* const kOpenFilter = "Duskmarch Tilemaps:dtm;XP Images:xp;All Files:*";
const char* const kXpExtension = ".xp";
const char* const kMapExtension = ".dtm";
const char* const kPictureFilter = "PNG Image:png;All Files:*";

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

// The texts of a command that writes the active canvas as a picture.
struct PictureCommand {
    const char* title;
    const char* done;
    const char* failure;
};

using PictureWriter =
    std::function<Outcome(const tilemap& image, const std::string& path, const WorkProgress&)>;

// Export and encode: ask where, write the picture with progress shown, and say how it went (the
// command's own failure text, whatever the reason).
void WriteActiveCanvasPicture(EditorState& state, const PictureCommand& command,
                              const PictureWriter& write) {
    FlushKeysAtEnd flush;
    const canvas& active = *state.activecanvas;
    const std::string answer =
        RequestFile(command.title, kPictureFilter, true, PathNoExtension(active.path));
    if (answer.empty()) {
        return;
    }
    // The work reads its own copy, so that the screen can be drawn meanwhile.
    const std::shared_ptr<const tilemap> image = active.img->Copy();
    Outcome written = Failure{command.failure};
    RunWithProgress(state, command.title, [&](const WorkProgress& progress) {
        written = write(*image, answer, progress);
    });
    if (!written) {
        ShowError(state, command.failure);
        return;
    }
    ShowMessage(state.display, "Saved!",
                CanvasName(active) + " was " + command.done + " successfully as " +
                    PathFileName(answer) + ".");
}

} // namespace

void OpenMapFile(EditorState& state, const std::string& path) {
    if (GetFileType(path) != kFileTypeFile) {
        ShowError(state, "Failed to open tilemap.");
        return;
    }
    const MessageCallback report = [&state](const std::string& title, const std::string& text) {
        ShowMessage(state.display, title, text);
    };
    std::shared_ptr<tilemap> map;
    if (LowerExtension(path) == kXpExtension) {
        if (const std::shared_ptr<TStream> stream = OpenReadStream(path)) {
            Expected<std::shared_ptr<tilemap>> image =
                ReadXp(*stream, state.display.palette.planes, kXpAllLayers);
            // Refused like a map file, under the same title.
            if (!image) {
                report(kReadRefusalTitle, image.Why());
            }
            map = image ? std::move(*image) : nullptr;
        }
    } else {
        map = Read(path, report);
    }
    if (!map) {
        ShowError(state, "Unable to read tilemap file.");
        return;
    }
    AddCanvas(state, CanvasFromFile(std::move(map), path));
}

void OpenMapFiles(EditorState& state, const std::vector<std::string>& paths) {
    const size_t before = state.canvases.size();
    for (const std::string& path : paths) {
        if (state.canvases.size() >= kMaxCanvases) {
            ShowError(state, kTooManyToOpen);
            break;
        }
        RunReportingMemory(state, "open a tilemap",
                           [&path](EditorState& opening) { OpenMapFile(opening, path); });
    }
    if (state.canvases.size() > before) {
        state.activecanvas = state.canvases[before];
        RedrawImageList(state);
    }
}

void OpenDroppedFiles(EditorState& state) {
    const std::vector<std::string> dropped = TakeDroppedFiles();
    if (!dropped.empty()) {
        OpenMapFiles(state, dropped);
    }
}

void SaveActiveCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    canvas& active = *state.activecanvas;
    // A canvas read from or written to a file is offered that file again, where it is; one
    // read from an .xp image is offered a map file beside it.
    const std::string& offered = active.filePath.empty() ? active.path : active.filePath;
    const bool fromXp = LowerExtension(offered) == kXpExtension;
    const std::string request =
        RequestFile("Save Tilemap As", kMapFilter, true,
                    PathNoExtension(offered) + (fromXp ? kMapExtension : ""));
    if (request.empty()) {
        return;
    }
    // A tilemap written under an .xp name would take the place of an image that reads as none.
    const std::string answer = LowerExtension(request) == kXpExtension
                                   ? PathNoExtension(request) + kMapExtension
                                   : request;
    if (Save(*active.img, answer) == 0) {
        ShowError(state, "Failed to save tilemap image!");
        return;
    }
    ShowMessage(state.display, "Saved!", PathBaseName(answer) + " was saved successfully!");
    active.path = answer;
    RedrawImageList(state);
    MarkSaved(active, answer);
}

void OpenCanvas(EditorState& state) {
    FlushKeysAtEnd flush;
    if (state.canvases.size() >= kMaxCanvases) {
        ShowError(state, kTooManyToOpen);
        return;
    }
    OpenMapFile(state, RequestFile("Open Tilemap", kOpenFilter, false, OpenFolder(state)));
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
    RunWithProgress(state, "Import Encoded Tilemap",
                    [&map, &answer, &random = state.random](const WorkProgress& progress) {
                        map = DecodePNG(answer, 1, random, progress);
                    });
    if (!map) {
        ShowError(state, "Unable to read PNG image file.");
        return;
    }
    AddCanvas(state, CanvasFromFile(std::move(map), answer));
}

void ExportActiveCanvas(EditorState& state) {
    WriteActiveCanvasPicture(
        state, {"Export Tilemap", "exported", "Failed to export tilemap image!"},
        [&state](const tilemap& image, const std::string& path, const WorkProgress& progress) {
            return ExportPNG(image, path, kEditorExportCompression, MakeExportLook(state.display),
                             progress);
        });
}

void EncodeActiveCanvas(EditorState& state) {
    WriteActiveCanvasPicture(state,
                             {"Encode Tilemap", "encoded", "Failed to encode tilemap image!"},
                             [&random = state.random](const tilemap& image, const std::string& path,
                                                      const WorkProgress& progress) {
                                 const Expected<std::shared_ptr<TPixmap>> encoded =
                                     EncodePNGFile(image, path, 1, random, progress);
                                 return encoded ? Outcome() : encoded.Error();
                             });
}

} // namespace dm
