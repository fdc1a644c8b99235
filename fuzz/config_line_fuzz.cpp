#include "platform/notify.h"
#include "render/config_tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Feeds arbitrary lines to the configuration tokenizer, which must never keep more arguments
// than it has slots for.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dm::SetNotifyHandler([](std::string_view, bool) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    dm::ConfigArgs args;
    dm::ParseConfigLine(line, "on line 1 of fuzz.txt", args);
    if (args.count > dm::kConfigSlots + 1)
        __builtin_trap();
    return 0;
}
