#pragma once

#include "editor/editor_state.h"

namespace dm {

// The commands that move canvases to and from files. Each asks for a path with the file
// requester, reports its outcome in a popup, and ends by forgetting every key state, so that keys
// pressed in the requester or popup do not act on the editor.
void SaveActiveCanvas(EditorState& state);   // S
void OpenCanvas(EditorState& state);         // O
void ExportActiveCanvas(EditorState& state); // Shift+E: the rendered picture
void EncodeActiveCanvas(EditorState& state); // Shift+K: the map as a scrambled picture
void ImportCanvas(EditorState& state);       // Shift+I: a picture made by encoding

// Reads the map file at path into a new active canvas, or shows why it cannot.
void OpenMapFile(EditorState& state, const std::string& path);

} // namespace dm
