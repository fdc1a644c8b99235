#pragma once

#include <filesystem>
#include <string>

namespace dm::dtmtool {

// The folder of this program's own file, where data/ and dmdata/ lie (the current folder when
// the system cannot tell).
std::filesystem::path ProgramFolder();

// The display configuration the editor would read: the user's own when there is one, else
// dmdata/graphics.txt beside this program.
std::string DefaultDisplayConfig();

} // namespace dm::dtmtool
