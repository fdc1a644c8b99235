#include "tool_palette.h"

#include "tool_display.h"

#include "platform/io/program_folder.h"
#include "render/display_config.h"
#include "render/palette.h"

namespace dm::dtmtool {

const PalettePlanes& ToolPalette::Planes() {
    if (planes_) {
        return *planes_;
    }
    DisplayConfig config;
    std::string path = path_;
    if (path.empty()) {
        config.resourceFolder = ProgramFolder();
        LoadDisplayConfig(DefaultDisplayConfig(), config);
        path = ResourcePath(config, config.pallet);
    }
    planes_ = LoadPalette(path, config).planes;
    return *planes_;
}

} // namespace dm::dtmtool
