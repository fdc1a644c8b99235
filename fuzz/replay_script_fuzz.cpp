#include "platform/drivers/replay_script.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Feeds arbitrary text to the replay script parser, which must refuse it with a line number or
// give steps in the order of their frames, with every number in its command's range.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const dm::Expected<dm::ReplayScript> parsed = dm::ParseReplayScript(text, "/base");
    if (!parsed) {
        if (parsed.Why().rfind("line ", 0) != 0)
            __builtin_trap();
        return 0;
    }
    int64_t frame = 0;
    for (const dm::ReplayStep& step : parsed->steps) {
        if (step.frame < frame)
            __builtin_trap();
        frame = step.frame;
        const bool key =
            step.action == dm::ReplayAction::KeyDown || step.action == dm::ReplayAction::KeyUp;
        const bool button = step.action == dm::ReplayAction::ButtonDown ||
                            step.action == dm::ReplayAction::ButtonUp;
        if ((key && (step.value < 0 || step.value > 255)) ||
            (button && (step.value < 1 || step.value > 3)) ||
            (step.action == dm::ReplayAction::Char && (step.value < 1 || step.value > 0x10FFFF)))
            __builtin_trap();
        if (step.action == dm::ReplayAction::Screenshot && step.text.front() != '/')
            __builtin_trap();
        // Every escape stands for one byte and is longer than it.
        if (step.action == dm::ReplayAction::Clipboard && step.text.size() > size)
            __builtin_trap();
    }
    return 0;
}
