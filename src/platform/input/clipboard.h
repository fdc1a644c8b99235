#pragma once

#include "platform/expected.h"

#include <string>

namespace dm {

// The desktop clipboard as UTF-8 text, through the system driver. Without a driver there is no
// clipboard: setting it fails and it reads as empty.
Outcome SetClipboardText(const std::string& text);
std::string GetClipboardText();

} // namespace dm
