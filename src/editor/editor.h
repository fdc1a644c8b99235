#pragma once

#include "editor/editor_state.h"

#include <memory>
#include <string>
#include <vector>

namespace dm {

// The display configuration installed beside the program, relative to the program's folder.
inline constexpr const char* kDisplayConfigPath = "dmdata\\graphics.txt";

// Opens the display with the configuration at configPath and builds the editor's screen, then
// opens the maps at mapPaths, in order, as canvases. Throws FatalError when the configuration,
// the tileset or the palette cannot be loaded or no window can be opened.
std::unique_ptr<EditorState> StartEditor(const std::vector<std::string>& mapPaths,
                                         const std::string& configPath = kDisplayConfigPath);

// Ended: a scripted run came to its end (RunEnded).
enum class FrameResult { Continue, Quit, Ended };

// One frame of the editor: input, commands, tools, drawing and the quit check, then the flip.
FrameResult RunFrame(EditorState& state);

// Draws the maps of the screen as a frame shows them: the screen map, the canvas with its
// checkerboard and previews, the copied selection, the image list, the pickers, and the tables and
// help when shown.
void DrawEditorScreen(EditorState& state);

// Frames until the user quits or the run ends; which of them.
FrameResult RunEditor(EditorState& state);

} // namespace dm
