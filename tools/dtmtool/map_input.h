#pragma once

#include "tool_palette.h"

#include "files/xp_format.h"
#include "model/tilemap.h"
#include "platform/io/paths.h"

#include <memory>
#include <string>

namespace dm::dtmtool {

// Reads an .xp image (`layer` of it, or kXpAllLayers for all of them flattened) with the
// palette, or a map file of any other name as the editor does. Null, after printing why on
// standard error, when the file cannot be opened or is refused.
std::shared_ptr<tilemap> ReadMapOrReport(const std::string& path, ToolPalette& palette,
                                         int layer = kXpAllLayers);

} // namespace dm::dtmtool
