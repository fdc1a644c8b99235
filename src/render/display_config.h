#pragma once

#include <cstdint>
#include <string>

namespace dm {

// As a resource path, selects the one the configuration names.
inline constexpr const char* kUseDefaultPath = "?USE_DEAFULT";

// The display settings read from the configuration file; each keyword line overwrites one field.
// The configuration's paths, its own included, separate folders with "\\" (which files rely on)
// and are opened through PathFromBackslashes; messages show them as written.
struct DisplayConfig {
    int32_t width = 96;                              // "width": cells across the main screen
    int32_t height = 32;                             // "height": cells down the main screen
    std::string tileset = "data\\image\\curses.png"; // "tileset": names the two glyph sheets
    std::string pallet = "data\\image\\pallet.png";  // "pallet": the palette image
    std::string title = "Duskmarch";                 // "title": window title
    int32_t scale = 1;                               // "scale": magnification of every glyph
    int32_t autosave = 60; // "autosave": seconds between autosaves of unsaved work; 0 or less: none
    bool loaded = false;   // a configuration file was read to its end
    // Set by the program, not by the file: the folder relative resource paths are taken from
    // (the program's own); "" takes them from the current folder.
    std::string resourceFolder;
};

// The file a resource path (backslashes separating folders) names: taken from
// config.resourceFolder when it is relative. Messages keep showing the path as written.
std::string ResourcePath(const DisplayConfig& config, const std::string& path);

// Reads the configuration file at path (a configuration path, see above) into config and sets
// loaded. Throws FatalError when the file cannot be read or a line holds an unknown keyword or a
// wrong argument count.
void LoadDisplayConfig(const std::string& path, DisplayConfig& config);

} // namespace dm
