#include "platform/system_driver.h"

#include <utility>

namespace dm {

namespace {

std::shared_ptr<SystemDriver>& Current() {
    static std::shared_ptr<SystemDriver> driver;
    return driver;
}

} // namespace

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

} // namespace dm
