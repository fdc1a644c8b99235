#include "render/display.h"

#include "platform/drawing/graphics.h"
#include "platform/fatal_error.h"
#include "platform/io/file_system.h"
#include "platform/io/paths.h"

#include <cstdint>

namespace dm {

namespace {

// Sizes come from a user-edited file: keep the window and the screen map it implies bounded.
void CheckDisplaySize(const DisplayConfig& config, int64_t windowWidth, int64_t windowHeight,
                      const std::string& configPath) {
    const auto cellsOk = [](int32_t cells) { return cells >= 1 && cells <= kMaxDisplayCells; };
    const auto sideOk = [](int64_t side) { return side <= kMaxWindowSide; };
    if (cellsOk(config.width) && cellsOk(config.height) && config.scale >= 1 &&
        sideOk(windowWidth) && sideOk(windowHeight) &&
        windowWidth * windowHeight <= kMaxWindowPixels) {
        return;
    }
    throw FatalError("Unusable display size in " + configPath + ": " +
                     std::to_string(config.width) + " x " + std::to_string(config.height) +
                     " cells at scale " + std::to_string(config.scale) + "; cells must be 1 to " +
                     std::to_string(kMaxDisplayCells) + " across and down, scale at least 1, " +
                     "and the window at most " + std::to_string(kMaxWindowSide) + " pixels wide " +
                     "and " + std::to_string(kMaxWindowPixels) + " pixels in all");
}

} // namespace

void OpenDisplay(Display& display, const std::string& configPath, const std::string& title,
                 const WindowOpener& openWindow) {
    if (GetFileType(PathFromBackslashes(configPath)) == kFileTypeFile) {
        LoadDisplayConfig(configPath, display.config);
    } else if (!display.config.loaded) {
        throw FatalError("Failed to read " + configPath);
    }
    const DisplayConfig& config = display.config;
    display.title = title == kUseDefaultTitle ? config.title : title;
    display.tileset = LoadTileset(kUseDefaultPath, config);
    display.palette = LoadPalette(kUseDefaultPath, config);

    const int64_t width = int64_t{config.width} * display.tileset.GlyphWidth * config.scale;
    const int64_t height = int64_t{config.height} * display.tileset.GlyphHeight * config.scale;
    CheckDisplaySize(config, width, height, configPath);
    display.windowWidth = static_cast<int>(width);
    display.windowHeight = static_cast<int>(height);

    SetApplicationTitle(display.title);
    WindowRequest request;
    request.title = display.title;
    request.width = display.windowWidth;
    request.height = display.windowHeight;
    openWindow(request);
}

} // namespace dm
