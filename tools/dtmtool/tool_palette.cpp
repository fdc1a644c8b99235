#include "tool_palette.h"

#include "platform/paths.h"
#include "render/display_config.h"
#include "render/palette.h"

#include <filesystem>
#include <system_error>

namespace dm::dtmtool {
namespace {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

} // namespace

const PalettePlanes& ToolPalette::Planes() {
    if (planes_) {
        return *planes_;
    }
    DisplayConfig config;
    std::string path = path_;
    if (path.empty()) {
        const std::filesystem::path folder = ProgramFolder();
        LoadDisplayConfig((folder / "dmdata" / "graphics.txt").generic_string(), config);
        path = (folder / PathFromBackslashes(config.pallet)).generic_string();
    }
    planes_ = LoadPalette(path, config).planes;
    return *planes_;
}

} // namespace dm::dtmtool
