#pragma once

#include "platform/expected.h"
#include "render/display.h"

#include <filesystem>
#include <string>

namespace dm::dtmtool {

// The folder this program lies in, which holds data/ and dmdata/; the current folder when it
// cannot be told.
std::filesystem::path ProgramFolder();

// The display configuration the editor would read: the user's own when there is one, else
// dmdata/graphics.txt beside this program.
std::string DefaultDisplayConfig();

// A path given on the command line, taken from the caller's folder, which may have been removed.
Expected<std::string> FromCaller(const std::string& path);

// Reads the display configuration at `config`, a path from the caller ("" for the default
// configuration), and loads its tileset and palette as the editor
// does at start-up: relative paths inside it are taken from this program's folder, which
// becomes the current folder, so paths from the caller must be made absolute before. Throws
// FatalError on every start-up failure; fails when the program's folder cannot be entered.
Outcome OpenToolDisplay(const std::string& config, Display& display);

} // namespace dm::dtmtool
