#pragma once

#include <functional>
#include <string_view>

namespace dm {

// Receives a message meant for the user; serious selects the warning look.
using NotifyHandler = std::function<void(std::string_view text, bool serious)>;

// Shows a message to the user. Until a window installs its message boxes through
// SetNotifyHandler, the text goes to standard error.
void Notify(std::string_view text, bool serious);

// Replaces the way Notify shows messages; an empty handler restores standard error.
void SetNotifyHandler(NotifyHandler handler);

} // namespace dm
