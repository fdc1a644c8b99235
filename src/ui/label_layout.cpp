#include "ui/label_layout.h"

#include <algorithm>
#include <cstdint>

namespace dm {

namespace {

constexpr char kLineBreak = '\xFF';

} // namespace

std::vector<std::string> LabelRows(std::string_view text, int w, int h) {
    std::vector<std::string> rows;
    if (h <= 0) {
        return rows;
    }
    if (text.size() <= static_cast<size_t>(std::max(w, 0)) &&
        text.find(kLineBreak) == std::string_view::npos) {
        rows.emplace_back(text);
        return rows;
    }
    const std::string chars = std::string(text) + " ";
    const size_t width = static_cast<size_t>(std::max(w, 0));
    std::string line;
    std::string word;
    size_t i = 0;
    const auto write = [&rows, &line] {
        rows.push_back(line);
        line.clear();
    };
    while (i < chars.size() && rows.size() < static_cast<size_t>(h)) {
        const char c = chars[i];
        if (c != ' ' && c != kLineBreak) {
            word += c;
            ++i;
            continue;
        }
        if (word.size() > width) {
            // A word that cannot fit: fill the row with as much as fits and "-", then look at the
            // same separator again with the rest of the word.
            if (!line.empty()) {
                line += ' ';
            }
            const int64_t room = static_cast<int64_t>(w) - static_cast<int64_t>(line.size()) - 1;
            const size_t head = room > 0 ? static_cast<size_t>(room) : 0;
            line += word.substr(0, head) + "-";
            word.erase(0, head);
            write();
            continue;
        }
        if (c == kLineBreak) {
            line += " " + word;
            word.clear();
            write();
        } else {
            if (line.size() + word.size() + 1 >= width) {
                write();
            }
            if (!line.empty()) {
                line += ' ';
            }
            line += word;
            word.clear();
        }
        ++i;
    }
    if (i >= chars.size() && rows.size() < static_cast<size_t>(h)) {
        write();
    }
    return rows;
}

} // namespace dm
