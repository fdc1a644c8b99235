#include "map_input.h"

#include "tool_output.h"

#include "platform/io/open_stream.h"
#include "platform/io/paths.h"

namespace dm::dtmtool {

std::shared_ptr<tilemap> ReadMapOrReport(const std::string& path, ToolPalette& palette, int layer) {
    if (LowerExtension(path) != ".xp") {
        return ReadOrReport(path).map;
    }
    const std::shared_ptr<TStream> stream = OpenReadStream(path);
    if (!stream) {
        PrintError("cannot open " + path);
        return nullptr;
    }
    Expected<std::shared_ptr<tilemap>> map = ReadXp(*stream, palette.Planes(), layer);
    if (!map) {
        PrintError(map.Why());
        return nullptr;
    }
    return std::move(*map);
}

} // namespace dm::dtmtool
