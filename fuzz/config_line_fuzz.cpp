#include "platform/requesters/notify.h"
#include "render/config_tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool Trimmed(std::string_view text) {
    return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

// A keyword holds only accepted characters other than the blank, quote and comma that end it.
bool IsKeyword(std::string_view keyword) {
    for (const char c : keyword)
        if (c == ' ' || c == '"' || c == ',' || dm::AcceptedChars.find(c) == std::string_view::npos)
            return false;
    return true;
}

} // namespace

// Feeds arbitrary lines to the configuration tokenizer, which must never keep more arguments than
// it has slots for, and must hand back its keyword and arguments trimmed and without quotes.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    dm::SetNotifyHandler([](std::string_view, bool) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    dm::ConfigArgs args;
    const std::string keyword = dm::ParseConfigLine(line, "on line 1 of fuzz.txt", args);
    if (args.count > dm::kConfigSlots + 1 || !Trimmed(keyword) || !IsKeyword(keyword))
        __builtin_trap();
    for (const std::string& slot : args.slot)
        if (!Trimmed(slot) || slot.find('"') != std::string::npos)
            __builtin_trap();
    return 0;
}
