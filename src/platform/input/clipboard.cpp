#include "platform/input/clipboard.h"

#include "platform/drivers/system_driver.h"

namespace dm {

Outcome SetClipboardText(const std::string& text) {
    SystemDriver* driver = CurrentSystemDriver();
    return driver ? driver->SetClipboardText(text) : Failure{"there is no clipboard"};
}

std::string GetClipboardText() {
    SystemDriver* driver = CurrentSystemDriver();
    return driver ? driver->GetClipboardText() : std::string();
}

} // namespace dm
