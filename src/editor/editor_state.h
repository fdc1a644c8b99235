#pragma once

#include "editor/canvas.h"
#include "editor/edit_tools_state.h"
#include "editor/screen_regions.h"
#include "files/random.h"
#include "model/tilemap.h"
#include "platform/drawing/graphics.h"
#include "render/display.h"
#include "ui/gadget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dm {

class Autosaver;

// At most this many canvases are open at once.
inline constexpr size_t kMaxCanvases = 8;

// Everything the editor keeps for the whole run: the display, the fixed maps of the screen, the
// canvases, the selection and the modes.
struct EditorState {
    Display display;
    std::shared_ptr<TGraphics> graphics;

    std::shared_ptr<tilemap> screenmap;
    std::vector<std::shared_ptr<canvas>> canvases;
    std::shared_ptr<canvas> activecanvas;
    std::shared_ptr<tilemap> tablesmap;
    bool showtables = false;
    std::shared_ptr<tilemap> helpmap;
    bool showhelp = false;
    std::shared_ptr<tilemap> listmap;
    std::shared_ptr<tilemap> checkermap;
    std::shared_ptr<tilemap> charpicker;
    std::shared_ptr<tilemap> colorpicker;

    uint8_t selchar = 64;
    uint8_t selfg = 0;
    uint8_t selbg = 9;
    int32_t cursorx = 0;
    int32_t cursory = 0;
    int32_t selx = -1;
    int32_t sely = -1;
    bool selecting = false;
    std::shared_ptr<tilemap> clipmap;
    std::shared_ptr<gadget> diagbox;
    std::shared_ptr<gadget> bleedbox;

    bool typing = false;
    std::string typedtext;
    int32_t typex = 0;
    int32_t typey = 0;
    std::shared_ptr<tilemap> typemap;
    std::shared_ptr<gadget> typelabel;

    bool shiftdown = false;

    EditToolsState edittools;
    // The picture codec's draws for importing and encoding, handed to the work as it runs.
    RandomGenerator random;
    // Keeps recovery files of unsaved work; none until recovery is started.
    std::shared_ptr<Autosaver> autosaver;
};

} // namespace dm
