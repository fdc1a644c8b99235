#pragma once

#include "platform/drivers/system_driver.h"
#include "render/display.h"

#include <string>

namespace dm {

// The file requester of a desktop without a file chooser: on a cleared screen, a line saying why
// and the requester's title with the path typed so far, starting from the initial path. Enter
// returns the path; Escape, or Enter on an empty line, cancels with "".
std::string PromptPath(const Display& display, const FileRequest& request, const std::string& why);

} // namespace dm
