#pragma once

#include "platform/drivers/system_driver.h"
#include "platform/expected.h"

#include <functional>
#include <string>

namespace dm {

// Whether the process has a desktop to show windows on: DISPLAY or WAYLAND_DISPLAY is set.
bool HasDesktopSession();

// How often the caller gets to keep its window answering while a chooser is open.
inline constexpr int kChooserKeepAliveMs = 50;

// Asks zenity for a file, or kdialog when zenity is missing or cannot start; whileOpen is
// called about every kChooserKeepAliveMs milliseconds while one is open. Neither is tried
// without a desktop session (no DISPLAY or WAYLAND_DISPLAY). Relative folders of the initial
// path are taken against RequesterFolder(), and a relative answer against the folder the chooser
// opened in. The path chosen, "" when the user cancelled; or, when no chooser could be shown, why,
// in one line.
Expected<std::string> RunDesktopChooser(const FileRequest& request,
                                        const std::function<void()>& whileOpen);

} // namespace dm
