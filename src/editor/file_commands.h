#pragma once

#include "editor/editor_state.h"

#include <string>
#include <vector>

namespace dm {

inline constexpr const char* kTooManyToOpen =
    "Too many canvases; you cannot open another. If you wish to open another canvas, try saving "
    "and closing some of the ones you currently have open.";

// The commands that move canvases to and from files. Each asks for a path with the file
// requester, reports its outcome in a popup, and ends by forgetting every key state, so that keys
// pressed in the requester or popup do not act on the editor.
void SaveActiveCanvas(EditorState& state);   // S
void OpenCanvas(EditorState& state);         // O
void ExportActiveCanvas(EditorState& state); // Shift+E: the rendered picture
void EncodeActiveCanvas(EditorState& state); // Shift+K: the map as a scrambled picture
void ImportCanvas(EditorState& state);       // Shift+I: a picture made by encoding

// Reads the map file at path into a new active canvas, or shows why it cannot. An .xp image (told
// by its extension) has its layers flattened and its colours matched to the palette.
void OpenMapFile(EditorState& state, const std::string& path);

// The maps named on the command line or dropped on the window, each opened as OpenMapFile opens
// it, in order, while fewer than eight canvases are open; the first one opened is made active.
// Maps beyond the limit are refused with one message.
void OpenMapFiles(EditorState& state, const std::vector<std::string>& paths);

// Opens the files dropped on the window since the last frame, as OpenMapFiles does.
void OpenDroppedFiles(EditorState& state);

} // namespace dm
