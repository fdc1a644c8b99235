#pragma once

#include "editor/editor_state.h"

namespace dm {

// A canvas of the map as open, import and the command line make one: named after the file's base
// name, with transparent colour 255, saved.
std::shared_ptr<canvas> CanvasFromFile(std::shared_ptr<tilemap> map, const std::string& path);

// Appends the canvas, makes it active and redraws the image list.
void AddCanvas(EditorState& state, std::shared_ptr<canvas> added);

// Shift+N: a 16 x 16 "Untitled" canvas, or the too-many message when eight are open.
void NewCanvas(EditorState& state);

// Shift+X: asks, then closes the active canvas and makes the next one active.
void CloseActiveCanvas(EditorState& state);

// Tab and close: the canvas after the active one becomes active, the first after the last.
void CycleActiveCanvas(EditorState& state);

// Shift+R: asks for a new width and height (1 to 1024) and for confirmation, then copies the
// image, every cell as it is, into a map of the new size from the top-left. Escape in either
// prompt leaves everything as it was.
void ResizeActiveCanvas(EditorState& state);

// Z: swaps the image and its undo copy, so a second Z redoes. The canvas takes the size of the
// image brought back.
void UndoActiveCanvas(EditorState& state);

// The arrow keys move the view of a canvas larger than it by 16 cells, within the canvas.
void ScrollActiveCanvas(EditorState& state);

// Rewrites the list of open images and the canvas-size line, which is blank without a canvas.
void RedrawImageList(EditorState& state);

// The name a canvas goes by: the base name of its path.
std::string CanvasName(const canvas& shown);

} // namespace dm
