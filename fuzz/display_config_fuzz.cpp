#include "input_file.h"

#include "platform/fatal_error.h"
#include "platform/requesters/notify.h"
#include "render/display_config.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Feeds arbitrary files to the display configuration loader, which must read them or refuse them
// with a FatalError (the start-up message), never crash or throw anything else.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dm::SetNotifyHandler([](std::string_view, bool) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = dm::fuzz::WriteInputFile(data, size);
    if (path.empty())
        return 0;
    dm::DisplayConfig config;
    try {
        dm::LoadDisplayConfig(path, config);
    } catch (const dm::FatalError&) {
        if (config.loaded)
            __builtin_trap();
        return 0;
    }
    if (!config.loaded)
        __builtin_trap();
    return 0;
}
