#pragma once

#include "editor/editor_state.h"

namespace dm {

// The fixed maps of the screen and the texts written into them at start-up.
std::shared_ptr<tilemap> MakeTablesMap();
std::shared_ptr<tilemap> MakeHelpMap();
std::shared_ptr<tilemap> MakeCheckerMap();
std::shared_ptr<tilemap> MakeCharPicker();
std::shared_ptr<tilemap> MakeColorPicker();
void WritePickerLabels(tilemap& screenmap);

// The help panel's lines, each ended by character 255.
std::string HelpText();

// Status lines of the screen map, written over their earlier text. Without an active canvas the
// canvas-size line is blanked.
void WriteCanvasSizeLine(EditorState& state);
void WriteCursorLines(EditorState& state);

// Where the help panel stands this frame: centred on the configured screen.
int32_t HelpColumn(const EditorState& state);
int32_t HelpRow(const EditorState& state);

} // namespace dm
