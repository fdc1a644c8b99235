#include "platform/host.h"

#include <utility>

namespace dm {

Host& CurrentHost() {
    static Host host;
    return host;
}

void SetUpHost(std::shared_ptr<SystemDriver> driver, std::string requesterFolder) {
    ResetHost();
    CurrentHost().driver = std::move(driver);
    CurrentHost().requesterFolder = std::move(requesterFolder);
}

void ResetHost() {
    Host& host = CurrentHost();
    // The window goes while its driver is still there, then the rest in one step.
    host.graphics.reset();
    host = Host{};
}

} // namespace dm
