#pragma once

#include "platform/expected.h"
#include "render/display.h"

#include <string>

namespace dm::dtmtool {

// The display configuration the editor would read: the user's own when there is one, else
// dmdata/graphics.txt beside this program.
std::string DefaultDisplayConfig();

// A path given on the command line, taken from the caller's folder, which may have been removed.
Expected<std::string> FromCaller(const std::string& path);

// Reads the display configuration at `config`, a path from the caller ("" for the default
// configuration), and loads its tileset and palette as the editor
// does at start-up: relative paths inside it are taken from this program's folder, while the
// current folder stays the caller's. Throws FatalError on every start-up failure; fails when the
// configuration's path cannot be made absolute.
Outcome OpenToolDisplay(const std::string& config, Display& display);

} // namespace dm::dtmtool
