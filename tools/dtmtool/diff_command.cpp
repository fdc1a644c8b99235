#include "arguments.h"
#include "command.h"
#include "map_input.h"
#include "tool_output.h"
#include "tool_palette.h"

#include "platform/fatal_error.h"

#include <algorithm>
#include <array>
#include <iostream>

namespace dm::dtmtool {
namespace {

const char* const kUsage =
    "usage: dtmtool diff A B [--summary] [--palette PATH]\n\n"
    "Compares the cells of the maps A and B (tilemap files, or .xp images with their layers\n"
    "flattened through the palette image PATH). Prints the size change if the sizes differ,\n"
    "then one line \"x,y: glyph fg bg -> glyph fg bg\" per differing cell where both maps have\n"
    "cells, at most 100 of them and a count of the rest; --summary prints only the counts.\n"
    "Ends with status 0 when the maps hold the same cells, 1 when they differ, 2 when a map\n"
    "cannot be read.\n";

constexpr int kExitUnreadable = 2;
constexpr int64_t kMostCellLines = 100;

using Cell = std::array<uint8_t, 3>; // glyph, foreground, background

Cell CellAt(const tilemap& map, int32_t x, int32_t y) {
    Cell cell{};
    map.GrabTile(x, y, cell[0], cell[1], cell[2]);
    return cell;
}

std::string CellText(const Cell& cell) {
    return std::to_string(cell[0]) + " " + std::to_string(cell[1]) + " " + std::to_string(cell[2]);
}

std::string Cells(int64_t count) {
    return count == 1 ? "cell" : "cells";
}

// Prints the differences and tells whether there are any.
bool PrintDifferences(const tilemap& a, const tilemap& b, bool summary) {
    const bool resized = a.tmapw != b.tmapw || a.tmaph != b.tmaph;
    if (resized) {
        std::cout << "size: " << a.tmapw << " x " << a.tmaph << " -> " << b.tmapw << " x "
                  << b.tmaph << "\n";
    }
    int64_t differing = 0;
    for (int32_t y = 0; y < std::min(a.tmaph, b.tmaph); ++y) {
        for (int32_t x = 0; x < std::min(a.tmapw, b.tmapw); ++x) {
            const Cell before = CellAt(a, x, y);
            const Cell after = CellAt(b, x, y);
            if (before == after) {
                continue;
            }
            if (++differing <= kMostCellLines && !summary) {
                std::cout << x << "," << y << ": " << CellText(before) << " -> " << CellText(after)
                          << "\n";
            }
        }
    }
    if (summary) {
        std::cout << differing << " " << Cells(differing)
                  << (differing == 1 ? " differs\n" : " differ\n");
    } else if (differing > kMostCellLines) {
        const int64_t rest = differing - kMostCellLines;
        std::cout << "and " << rest << " more " << Cells(rest) << "\n";
    }
    std::cout << std::flush;
    return resized || differing > 0;
}

int RunDiff(const std::vector<std::string>& args) {
    Expected<Arguments> parsed = ParseArguments(args, 2, {"--summary"}, {"--palette"});
    if (const auto status = FinishEarly(kUsage, parsed)) {
        return *status;
    }
    Arguments& arguments = *parsed;
    ToolPalette palette(arguments.values["--palette"]);
    return RunReportingFatal([&] {
        const std::shared_ptr<tilemap> a = ReadMapOrReport(arguments.operands[0], palette);
        const std::shared_ptr<tilemap> b =
            a ? ReadMapOrReport(arguments.operands[1], palette) : nullptr;
        if (!a || !b) {
            return kExitUnreadable;
        }
        const bool summary = arguments.flags.count("--summary") != 0;
        return PrintDifferences(*a, *b, summary) ? kExitFailure : kExitSuccess;
    });
}

} // namespace

Command DiffCommand() {
    return {"diff", "compare the cells of two maps", kUsage, RunDiff};
}

} // namespace dm::dtmtool
