#pragma once

#include "model/tilemap.h"

#include <cstdint>
#include <memory>

namespace dm {

class canvas;

// A Ctrl drag with the left button: a line from the anchor to the cursor, or with Shift held at
// the press the outline of the box between them, written when the button is let go. A drag given
// up (another canvas, typing mode, the tables or the help) still holds the mouse until then.
struct ShapeDrag {
    bool active = false;
    bool givenUp = false;
    bool box = false;
    int32_t anchorx = 0;
    int32_t anchory = 0;
    std::weak_ptr<canvas> on; // the canvas it is drawn on; the drag ends when another is active
};

// What the editing keys and tools keep from one frame to the next.
struct EditToolsState {
    ShapeDrag shape;
    // V was pressed: the clip is shown under the mouse while V is held and pasted when it is let
    // go.
    bool pasteHeld = false;
    // The view as the edit under way would leave it, drawn in place of the canvas this frame.
    std::shared_ptr<tilemap> preview;
    // The canvas whose image the undo history noted last.
    std::weak_ptr<canvas> noted;
};

} // namespace dm
