#pragma once

#include "tool_palette.h"

#include "model/tilemap.h"
#include "platform/expected.h"

#include <string>

namespace dm::dtmtool {

// The formats a map is written in, told by the output file's extension.
enum class OutputFormat { Dtm, Xp, Ans, Txt };

// The format of a path ending in .dtm, .xp, .ans or .txt (in any case); for any other, why its
// format cannot be told, for the usage error.
Expected<OutputFormat> OutputFormatOf(const std::string& path);

// Writes the map in the format, through a side file so that a failure leaves whatever was at
// path as it was; colours come from the palette where the format stores them.
Outcome WriteMap(const tilemap& map, const std::string& path, OutputFormat format,
                 ToolPalette& palette);

} // namespace dm::dtmtool
