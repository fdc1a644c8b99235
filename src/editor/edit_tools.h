#pragma once

#include "editor/editor_state.h"

namespace dm {

// Ctrl with the mouse over the canvas, outside typing mode: a left drag draws a line of the
// selected glyph and colours, with Shift a box outline, from the press cell to the release cell;
// a middle click replaces every cell like the clicked one with the selection. A drag under way
// owns the mouse until the left button is let go. True when it handled the mouse in this frame.
bool HandleEditToolsMouse(EditorState& state, bool pressed);

// The undo keys and the paste keys, outside typing mode: Z swaps with the undo copy, Ctrl+Z
// undoes a step of the history, Ctrl+Y and Ctrl+Shift+Z redo one; V shows the clip under the
// mouse while held and pastes it when let go; Shift+C copies the clip to the clipboard as text and
// Shift+V pastes the clipboard's text at the mouse in the selected colours.
void RunEditingKeys(EditorState& state);

// The wheel over the canvas scrolls it 4 rows a notch, with Shift 4 columns, within the canvas.
void ScrollWithWheel(EditorState& state);

// Lets the undo history of the canvas note what changed, unless a stroke is still being drawn,
// and prepares the preview of a shape being dragged or a paste about to happen.
void NoteEditsAndPreview(EditorState& state);

// Draws the preview, when there is one, in place of the canvas; false when there is none.
bool DrawEditPreview(EditorState& state);

} // namespace dm
