#pragma once

#include "platform/drivers/system_driver.h"

#include <functional>
#include <string>
#include <string_view>

namespace dm {

// Asks the user for a file through the current system driver: an open or a save requester
// with the title, the filter ("Description:ext,ext;Description:ext", first group selected) and
// the initial path ("/" between folders; a lone "/" for no folder). "" when cancelled or there
// is no driver. A save requester gives a name typed without an extension the first group's
// extension, unless that is "*", and asks before the file so named is replaced; declining opens
// the requester again on that name.
std::string RequestFile(const std::string& title, const std::string& filter, bool save,
                        const std::string& initialPath);

// The path with the filter's default extension added when its file name has no extension; a
// path that ends in a slash names no file and is left alone.
std::string AddDefaultExtension(const std::string& path, std::string_view filter);

// The folder that requesters start in and that relative answers are taken against: the folder
// the user started the program from, not the program's own, which it makes current. Until set,
// the current directory.
void SetRequesterFolder(std::string folder);
std::string RequesterFolder();

// What the user interface offers when the desktop has no file chooser: it asks for the path
// itself, showing why, and returns it, or "" for a cancel.
using FileRequestFallback =
    std::function<std::string(const FileRequest& request, const std::string& why)>;

// Installs the fallback; an empty one makes such requests come back cancelled.
void SetFileRequestFallback(FileRequestFallback fallback);

// Asks through the fallback, for drivers whose desktop has no chooser. A relative answer is taken
// against RequesterFolder. In save mode an existing file is replaced only after the user confirms,
// as a desktop chooser would ask.
std::string RequestFileThroughFallback(const FileRequest& request, const std::string& why);

} // namespace dm
