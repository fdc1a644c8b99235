#include "map_output.h"

#include "map_input.h"

#include "files/map_text.h"
#include "files/tilemap_file.h"
#include "files/whole_file.h"
#include "files/xp_format.h"

namespace dm::dtmtool {

Expected<OutputFormat> OutputFormatOf(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".dtm") {
        return OutputFormat::Dtm;
    }
    if (extension == ".xp") {
        return OutputFormat::Xp;
    }
    if (extension == ".ans") {
        return OutputFormat::Ans;
    }
    if (extension == ".txt") {
        return OutputFormat::Txt;
    }
    return Failure{"cannot tell the format of " + path +
                   " from its extension; use .dtm, .xp, .ans or .txt"};
}

Outcome WriteMap(const tilemap& map, const std::string& path, OutputFormat format,
                 ToolPalette& palette) {
    switch (format) {
    case OutputFormat::Dtm:
        return SaveTilemap(map, path);
    case OutputFormat::Xp:
        return WriteWholeFile(path, [&](TStream& out) { WriteXp(map, palette.Planes(), out); });
    case OutputFormat::Ans:
        return WriteWholeFile(path, [&](TStream& out) {
            for (int32_t y = 0; y < map.tmaph; ++y) {
                out.WriteString(AnsiRow(map, y, palette.Planes(), AnsiTarget::File));
            }
        });
    case OutputFormat::Txt:
        return WriteWholeFile(path, [&](TStream& out) {
            for (int32_t y = 0; y < map.tmaph; ++y) {
                out.WriteString(TextRow(map, y));
            }
        });
    }
    return Failure{"unknown output format"};
}

} // namespace dm::dtmtool
