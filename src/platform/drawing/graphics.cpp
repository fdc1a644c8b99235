#include "platform/drawing/graphics.h"

#include "platform/drivers/system_driver.h"
#include "platform/host.h"
#include "platform/input/polled_input.h"

#include <utility>

namespace dm {

namespace {

std::string& Title() {
    return CurrentHost().title;
}

std::shared_ptr<TGraphics>& Current() {
    return CurrentHost().graphics;
}

} // namespace

const std::string& ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(std::string title) {
    Title() = std::move(title);
}

Expected<std::shared_ptr<TGraphics>> OpenGraphics(int width, int height, int depth, int hertz,
                                                  int flags) {
    Current().reset();
    SystemDriver* driver = CurrentSystemDriver();
    if (!driver) {
        return Failure{"no system driver"};
    }
    if (Outcome opened = driver->OpenWindow(ApplicationTitle(), width, height); !opened) {
        return opened.Error();
    }
    auto graphics = std::make_shared<TGraphics>();
    graphics->width = width;
    graphics->height = height;
    graphics->depth = depth;
    graphics->hertz = hertz;
    graphics->flags = flags | kGraphicsBackBuffer;
    if (hertz > 0) {
        graphics->pacer.Start(hertz, driver->Millisecs());
    }
    Current() = graphics;
    AttachPolledInput();
    return graphics;
}

TGraphics* CurrentGraphics() {
    return Current().get();
}

void CloseGraphics() {
    Current().reset();
}

int WindowWidth() {
    return Current() ? Current()->width : 0;
}

int WindowHeight() {
    return Current() ? Current()->height : 0;
}

void Flip(int sync) {
    TGraphics* graphics = CurrentGraphics();
    SystemDriver* driver = CurrentSystemDriver();
    if (!graphics || !driver) {
        return;
    }
    if (sync == -1 && graphics->depth == 0 && graphics->hertz > 0) {
        const int64_t wait = graphics->pacer.Wait(driver->Millisecs());
        if (wait > 0) {
            driver->Delay(static_cast<int>(wait));
        }
        sync = 0;
    }
    driver->Present(graphics->frame, sync == -1 ? 1 : sync);
    graphics->frame.commands.clear();
}

void FlipInterim() {
    TGraphics* graphics = CurrentGraphics();
    SystemDriver* driver = CurrentSystemDriver();
    if (graphics && driver) {
        driver->PresentInterim(graphics->frame);
        graphics->frame.commands.clear();
    }
}

void SleepMs(int milliseconds) {
    if (SystemDriver* driver = CurrentSystemDriver()) {
        driver->Delay(milliseconds);
    }
}

} // namespace dm
