#pragma once

#include "editor/editor_state.h"

namespace dm {

// Shift+T over the canvas: typed characters are laid out like a label from the cursor cell and
// shown over the canvas until Escape writes them into it.
void StartTyping(EditorState& state);

// Takes one typed character: Enter starts a new row, Backspace takes back the last character,
// Escape writes the text into the canvas and leaves typing mode.
void TypingStep(EditorState& state);

// The typed text over the canvas, and a line under the cell where it starts.
void DrawTypingPreview(EditorState& state);

} // namespace dm
