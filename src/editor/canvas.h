#pragma once

#include "editor/undo_history.h"
#include "model/tilemap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dm {

// One open image: its size, the part in view, the image and its single undo copy, its name or
// path, and whether it is saved. w and h always equal the image's size.
class canvas {
  public:
    int32_t w = 16;
    int32_t h = 16;
    int32_t viewx = 0;
    int32_t viewy = 0;
    std::shared_ptr<tilemap> img;
    std::shared_ptr<tilemap> undo;
    int32_t canundo = 0;
    std::string path;
    int32_t hassaved = 0;
    // Where the canvas's file is: the full path it was opened from or last saved to; empty for a
    // canvas never read or written.
    std::string filePath;
    // The image as it was last saved or loaded; none for a canvas never read or written.
    std::shared_ptr<const tilemap> savedImage;
    // The steps of the image to undo and redo, beside the single undo copy.
    UndoHistory history;
    // Counts every change of the image and every save or load, so that work done beside the
    // editing (autosave) can tell whether the canvas changed since it last looked.
    uint64_t changes = 0;
};

// The canvas was just saved to or loaded from filePath with its image as it is now.
void MarkSaved(canvas& marked, const std::string& filePath);

// After anything that may have changed the image: the canvas counts as saved exactly when its
// image equals the one last saved or loaded, so undoing back to it makes it saved again.
void NoteImageChange(canvas& changed);

} // namespace dm
