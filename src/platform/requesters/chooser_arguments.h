#pragma once

#include "platform/drivers/system_driver.h"

#include <string>
#include <string_view>
#include <vector>

namespace dm {

// Where a file chooser opens: an absolute folder and the name offered in it.
struct ChooserStart {
    std::string folder;
    std::string name;
};

// Splits a requester's initial path, taken as written, at its last slash: the part before is the
// folder, taken against currentFolder when relative, the part after the name. A
// path without a folder, or one that is only a slash, opens in currentFolder.
ChooserStart SplitInitialPath(std::string_view initialPath, const std::string& currentFolder);

// The command lines that ask the desktop's choosers for a file, program name first. Each filter
// group becomes one of the chooser's filters, in order, so the first is the one selected.
std::vector<std::string> ZenityArguments(const FileRequest& request,
                                         const std::string& currentFolder);
std::vector<std::string> KdialogArguments(const FileRequest& request,
                                          const std::string& currentFolder);

} // namespace dm
