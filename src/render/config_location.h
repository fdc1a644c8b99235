#pragma once

#include <string>

namespace dm {

// The folders of the user's own files, as the environment names them ("" when unset).
struct UserFolders {
    std::string configHome; // $XDG_CONFIG_HOME
    std::string home;       // $HOME
};

UserFolders UserFoldersFromEnvironment();

// The display configuration a user keeps of their own: duskmarch/graphics.txt in the user's
// configuration folder, which is $XDG_CONFIG_HOME when that is an absolute path and ~/.config
// otherwise. "" when neither variable names an absolute folder.
std::string UserDisplayConfigPath(const UserFolders& folders);

// The display configuration both programs read: the user's own when that file is there, else
// installedPath. A user file that is there but cannot be read (a folder, a dangling link, no
// permission) is still the one chosen, so that start-up fails naming it instead of quietly
// taking the installed file.
std::string ChooseDisplayConfig(const UserFolders& folders, const std::string& installedPath);

// Where the programs' help says the display configuration comes from.
inline constexpr const char* kDisplayConfigHelp =
    "The display configuration (screen size, tileset, palette, title, scale) is\n"
    "$XDG_CONFIG_HOME/duskmarch/graphics.txt (~/.config/duskmarch/graphics.txt when\n"
    "XDG_CONFIG_HOME is not set) when that file exists, otherwise dmdata/graphics.txt beside\n"
    "the program. Relative paths inside it are taken from the program's folder.\n";

} // namespace dm
