#include "platform/notify.h"

#include <iostream>
#include <utility>

namespace dm {

namespace {

NotifyHandler& CurrentHandler() {
    static NotifyHandler handler;
    return handler;
}

} // namespace

void Notify(std::string_view text, bool serious) {
    const NotifyHandler& handler = CurrentHandler();
    if (handler) {
        handler(text, serious);
        return;
    }
    std::cerr << text << std::endl;
}

void SetNotifyHandler(NotifyHandler handler) {
    CurrentHandler() = std::move(handler);
}

} // namespace dm
