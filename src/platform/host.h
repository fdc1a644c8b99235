#pragma once

#include "platform/drawing/graphics.h"
#include "platform/drawing/timage.h"
#include "platform/drivers/system_driver.h"
#include "platform/input/input_state.h"
#include "platform/requesters/file_requester.h"
#include "platform/requesters/notify.h"

#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

namespace dm {

// Everything the process keeps on the host's side between calls: the system driver, the window,
// the title, polled input, the mask colour, the requesters' folder and fallback, the notify
// handler and the dropped files. The platform's functions read and write it here; programs set it
// up once and tests reset it between runs. Layers above keep their own state in the host's slots.
struct Host {
    std::shared_ptr<SystemDriver> driver;
    std::shared_ptr<TGraphics> graphics;
    std::string title = "Duskmarch";
    InputState input;
    MaskColor mask;
    std::string requesterFolder; // "" for the current folder
    FileRequestFallback requesterFallback;
    NotifyHandler notifyHandler;
    std::vector<std::string> droppedFiles;

    // The host's one value of type T, made as T{} at its first use after set-up or reset; for
    // state of the layers above the platform, which the platform does not know.
    template <class T>
    T& Slot() {
        std::shared_ptr<void>& slot = slots_[std::type_index(typeid(T))];
        if (!slot) {
            slot = std::make_shared<T>();
        }
        return *static_cast<T*>(slot.get());
    }

  private:
    std::map<std::type_index, std::shared_ptr<void>> slots_;
};

// The process's host.
Host& CurrentHost();

// Puts the host back as at start with driver and requesterFolder in place: the one set-up of a run.
void SetUpHost(std::shared_ptr<SystemDriver> driver, std::string requesterFolder = "");

// Closes the window and puts everything back as at start, without a driver.
void ResetHost();

} // namespace dm
