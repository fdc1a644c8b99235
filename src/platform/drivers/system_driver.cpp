#include "platform/drivers/system_driver.h"

#include "platform/expected.h"

#include <utility>

namespace dm {

namespace {

std::shared_ptr<SystemDriver>& Current() {
    static std::shared_ptr<SystemDriver> driver;
    return driver;
}

} // namespace

Outcome SystemDriver::SetClipboardText(const std::string& text) {
    static_cast<void>(text);
    return Failure{"there is no clipboard"};
}

void SetSystemDriver(std::shared_ptr<SystemDriver> driver) {
    Current() = std::move(driver);
}

SystemDriver* CurrentSystemDriver() {
    return Current().get();
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
