#include "platform/requesters/notify.h"

#include "platform/drawing/graphics.h"
#include "platform/drivers/system_driver.h"
#include "platform/host.h"
#include "platform/text/terminal_text.h"

#include <iostream>
#include <string>
#include <utility>

namespace dm {

namespace {

NotifyHandler& CurrentHandler() {
    return CurrentHost().notifyHandler;
}

// The index of the button chosen, or -1.
int ShowBox(MessageBoxKind kind, std::string_view text, bool serious) {
    SystemDriver* driver = CurrentSystemDriver();
    if (!driver) {
        std::cerr << EscapeForTerminal(text) << std::endl;
        return -1;
    }
    return driver->ShowMessageBox(kind, ApplicationTitle(), std::string(text), serious);
}

} // namespace

void Notify(std::string_view text, bool serious) {
    const NotifyHandler& handler = CurrentHandler();
    if (handler) {
        handler(text, serious);
        return;
    }
    ShowBox(MessageBoxKind::Notify, text, serious);
}

void SetNotifyHandler(NotifyHandler handler) {
    CurrentHandler() = std::move(handler);
}

int Confirm(std::string_view text, bool serious) {
    return ShowBox(MessageBoxKind::Confirm, text, serious) == 0 ? 1 : 0;
}

int Proceed(std::string_view text, bool serious) {
    switch (ShowBox(MessageBoxKind::Proceed, text, serious)) {
    case 0:
        return 1;
    case 1:
        return 0;
    default:
        return -1;
    }
}

} // namespace dm
