#pragma once

#include "editor/editor_state.h"

namespace dm {

// Marks the selected glyph and colours in the pickers and beside their labels.
void RefreshSelectionIndicators(EditorState& state);

// Lets the glyph picker, the colour picker or the canvas under the mouse handle it, in that order,
// one of them per frame. False when the mouse is over none of them.
bool HandleMouse(EditorState& state);

// Shift+F: the whole image in the selected glyph and colours, after an undo copy.
void FillActiveCanvas(EditorState& state);

// The rectangle being dragged out, as lines from the anchor's cell to the mouse's cell.
void DrawSelectionPreview(EditorState& state);

// Whether the mouse is over the active canvas or the column and row beyond it, within the view.
bool MouseOverCanvas(const EditorState& state);

// Whether the cursor is on a cell of the active canvas's image, where the tools act.
bool CursorOnImage(const EditorState& state);

// The undo copy is the image just before a tool changes it.
void TakeUndoCopy(canvas& active);

} // namespace dm
