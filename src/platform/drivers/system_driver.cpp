#include "platform/drivers/system_driver.h"

#include "platform/expected.h"
#include "platform/host.h"

#include <utility>

namespace dm {

Outcome SystemDriver::SetClipboardText(const std::string& text) {
    static_cast<void>(text);
    return Failure{"there is no clipboard"};
}

void SetSystemDriver(std::shared_ptr<SystemDriver> driver) {
    CurrentHost().driver = std::move(driver);
}

SystemDriver* CurrentSystemDriver() {
    return CurrentHost().driver.get();
}

void PollSystem() {
    if (SystemDriver* driver = CurrentSystemDriver()) {
        driver->Poll();
    }
}

bool RunEnded() {
    const SystemDriver* driver = CurrentSystemDriver();
    return driver && driver->RunEnded();
}

} // namespace dm
