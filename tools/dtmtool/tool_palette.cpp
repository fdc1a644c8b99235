#include "tool_palette.h"

#include "program_folder.h"

#include "platform/io/paths.h"
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
        LoadDisplayConfig(DefaultDisplayConfig(), config);
        path = (ProgramFolder() / PathFromBackslashes(config.pallet)).generic_string();
    }
    planes_ = LoadPalette(path, config).planes;
    return *planes_;
}

} // namespace dm::dtmtool
