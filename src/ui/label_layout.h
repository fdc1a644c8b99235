#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dm {

// The rows a label w cells wide and h rows high shows of text, top row first. Words share a row
// while it stays within w - 1 characters; a word longer than w is cut over as many rows as it
// needs, each piece ending in "-"; character 255 ends a row. Rows past h are not laid out. An
// entry may be empty (a row left blank) or longer than w (words before a character 255).
std::vector<std::string> LabelRows(std::string_view text, int w, int h);

} // namespace dm
