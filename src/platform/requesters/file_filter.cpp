#include "platform/requesters/file_filter.h"

#include <cctype>

namespace dm {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

std::string CleanDescription(std::string_view text) {
    std::string clean(Trim(text));
    for (char& c : clean) {
        if (c == '|' || IsControl(c)) {
            c = ' ';
        }
    }
    return clean.empty() ? "Files" : clean;
}

std::string CleanExtension(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        if (c != ' ' && c != '|' && c != '(' && c != ')' && !IsControl(c)) {
            clean += c;
        }
    }
    return clean;
}

// Calls take(piece) for every piece of text between separators.
template <typename Take>
void Split(std::string_view text, char separator, Take take) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        take(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

std::vector<FileFilterGroup> ParseFileFilter(std::string_view filter) {
    std::vector<FileFilterGroup> groups;
    Split(filter, ';', [&groups](std::string_view group) {
        const size_t colon = group.find(':');
        FileFilterGroup parsed;
        parsed.description = CleanDescription(
            colon == std::string_view::npos ? std::string_view() : group.substr(0, colon));
        const std::string_view list =
            colon == std::string_view::npos ? group : group.substr(colon + 1);
        Split(list, ',', [&parsed](std::string_view extension) {
            std::string clean = CleanExtension(extension);
            if (!clean.empty()) {
                parsed.extensions.push_back(std::move(clean));
            }
        });
        if (!parsed.extensions.empty()) {
            groups.push_back(std::move(parsed));
        }
    });
    return groups;
}

std::vector<std::string> ExtensionPatterns(std::string_view extension) {
    if (extension == "*") {
        return {"*"};
    }
    std::string lower = "*." + std::string(extension);
    std::string upper = lower;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower == upper) {
        return {lower};
    }
    return {lower, upper};
}

std::string DefaultExtension(std::string_view filter) {
    const std::vector<FileFilterGroup> groups = ParseFileFilter(filter);
    if (groups.empty()) {
        return "";
    }
    const std::string& first = groups.front().extensions.front();
    return first.find_first_of("*?[") == std::string::npos ? first : "";
}

} // namespace dm
