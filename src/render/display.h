#pragma once

#include "platform/pictures/pixmap.h"
#include "render/display_config.h"
#include "render/palette.h"
#include "render/tileset.h"

#include <cstdint>
#include <functional>
#include <string>

namespace dm {

// As the title of OpenDisplay, selects the configured title.
inline constexpr const char* kUseDefaultTitle = "?USE_DEFAULT";

// What the graphics window is asked to be: windowed (depth 0), 60 Hz, no extra flags.
struct WindowRequest {
    std::string title;
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 60;
    int flags = 0;
};

// Opens the graphics window; it is handed every size OpenDisplay computes.
using WindowOpener = std::function<void(const WindowRequest&)>;

// The display settings and resources of the run, read by rendering, export and mouse mapping.
struct Display {
    DisplayConfig config;
    std::string title; // caption of the window and of message boxes
    Tileset tileset;
    Palette palette;
    int windowWidth = 0;
    int windowHeight = 0;
};

// Largest cells across or down, largest window side in pixels and most pixels of a window that
// OpenDisplay accepts: a frame of four bytes a pixel must fit one picture (TPixmap::kMaxBytes).
inline constexpr int kMaxDisplayCells = 4096;
inline constexpr int kMaxWindowSide = 32768;
inline constexpr int64_t kMaxWindowPixels = TPixmap::kMaxBytes / 4;

// Reads the configuration at configPath, a configuration path such as "dmdata\\graphics.txt"
// whose backslashes separate folders (keeping earlier settings when the file is gone but one
// was read before), loads tileset and palette, computes the window size and asks openWindow for
// the window. title kUseDefaultTitle takes the configured title. Throws FatalError on every
// start-up failure, also when cells, scale or window size are out of range.
void OpenDisplay(Display& display, const std::string& configPath, const std::string& title,
                 const WindowOpener& openWindow);

} // namespace dm
