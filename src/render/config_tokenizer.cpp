#include "render/config_tokenizer.h"

#include "platform/requesters/notify.h"

#include <algorithm>

namespace dm {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsAccepted(char c) {
    return AcceptedChars.find(c) != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void FinishArguments(ConfigArgs& args) {
    const int used = std::min<int>(args.count, kConfigSlots);
    for (int i = 0; i < used; ++i) {
        std::string& slot = args.slot[i];
        std::replace(slot.begin(), slot.end(), '"', ' ');
        slot = std::string(TrimBlanks(slot));
    }
}

} // namespace

std::string ParseConfigLine(std::string_view rawLine, std::string_view where, ConfigArgs& args) {
    std::string untabbed(rawLine);
    std::replace(untabbed.begin(), untabbed.end(), '\t', ' ');
    const std::string_view line = TrimBlanks(untabbed);
    args = ConfigArgs{};
    if (line.starts_with("//")) {
        return {};
    }

    const size_t comment = line.find("//");
    std::string keyword;
    bool argumentMode = false;
    size_t current = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        bool consumed = false;
        if (!argumentMode && c == ' ') {
            argumentMode = true;
            current = 0;
            args.count = 1;
            consumed = true;
        } else if (c == ',') {
            current = argumentMode ? current + 1 : 0;
            argumentMode = true;
            ++args.count;
            consumed = true;
        }
        if (current >= kConfigSlots || i == comment) {
            break;
        }
        if (consumed || !IsAccepted(c)) {
            continue;
        }
        if (!argumentMode) {
            if (c != '"') {
                keyword += c;
            }
            continue;
        }
        if (c != '"') {
            args.slot[current] += c;
            continue;
        }
        // Quoted text keeps every character up to the closing quote.
        const size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) {
            args.slot[current] += line.substr(i + 1);
            FinishArguments(args);
            Notify("Improperly teminated string " + std::string(where) + " ( " +
                       args.slot[current] + " )",
                   true);
            return keyword;
        }
        args.slot[current] += line.substr(i + 1, close - i - 1);
        i = close;
    }
    FinishArguments(args);
    if (args.count == 1 && args.slot[0].empty()) {
        args.count = 0;
    }
    return std::string(TrimBlanks(keyword));
}

} // namespace dm
