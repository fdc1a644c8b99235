#pragma once

#include <string>
#include <string_view>

// Paths are taken as written: on Linux "\\" is an ordinary character of a file name, so a path
// the user typed names the very file it spells. Only the paths of the display configuration
// use "\\" as a separator (see PathFromBackslashes). A root is "/", a drive root such as "C:/",
// or the "//" that starts a network path.
namespace dm {

// Runs of slashes shrink to one, except a leading "//" of a network path; a trailing slash is
// dropped unless the path is a root.
std::string NormalizePath(std::string_view path);

// A path written with "\\" between its folders, as the display configuration's own paths and
// their built-in defaults are ("dmdata\\graphics.txt", "data\\image\\curses.png"), as the path
// of the file it means: every backslash becomes a slash.
std::string PathFromBackslashes(std::string_view path);

// The path without the extension of its last name: the text from the last "." goes unless a
// slash follows it. The names "." and ".." have no extension.
std::string PathNoExtension(std::string_view path);

// The part after the last slash, or the whole path when it has none.
std::string PathFileName(std::string_view path);

// The file name without its extension.
std::string PathBaseName(std::string_view path);

// The extension of the path's last name in lower case with its dot (".xp"), or "".
std::string LowerExtension(std::string_view path);

// The part before the last slash, keeping that slash when the part is a root; "" without a
// slash. A root and the names "." and ".." come back unchanged.
std::string PathDirectory(std::string_view path);

} // namespace dm
