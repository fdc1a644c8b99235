#include "platform/drivers/replay_script.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace dm {

namespace {

// A typed character is a Unicode code point.
constexpr int64_t kLastCharacter = 0x10FFFF;

// The words of a line split at single spaces and tabs; the rest after the first word is kept
// whole for the commands whose argument is a text.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool ParseNumber(const std::string& word, int64_t low, int64_t high, int64_t& value) {
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

std::string Absolute(const std::string& path, const std::string& baseFolder) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    return (std::filesystem::path(baseFolder) / path).lexically_normal().string();
}

// The argument text after the command word, exactly as written ("answer  x" keeps " x").
std::string_view TextAfter(std::string_view line, std::string_view command) {
    line.remove_prefix(command.size());
    if (!line.empty()) {
        line.remove_prefix(1);
    }
    return line;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The text with its escapes "\n", "\r", "\t", "\\" and "\xNN" turned into the bytes they stand
// for.
Expected<std::string> Unescape(std::string_view text) {
    constexpr std::string_view kNamed = "nrt\\";
    constexpr std::string_view kMeant = "\n\r\t\\";
    std::string plain;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            plain += text[at];
            continue;
        }
        const size_t named = at + 1 < text.size() ? kNamed.find(text[at + 1]) : kNamed.npos;
        if (named != kNamed.npos) {
            plain += kMeant[named];
            ++at;
            continue;
        }
        const bool hex = at + 3 < text.size() && text[at + 1] == 'x';
        const int high = hex ? HexDigit(text[at + 2]) : -1;
        const int low = high >= 0 ? HexDigit(text[at + 3]) : -1;
        if (low < 0) {
            return Failure{"'\\' starts no escape of \\n, \\r, \\t, \\\\ or \\xNN"};
        }
        plain += static_cast<char>(high * 16 + low);
        at += 3;
    }
    return plain;
}

class LineParser {
  public:
    LineParser(std::string_view line, const std::string& baseFolder)
        : line_(line), words_(Words(line)), baseFolder_(baseFolder) {}

    // Fills step, or says why the line does not parse.
    Outcome Parse(ReplayStep& step, int64_t& frame) {
        const std::string& command = words_[0];
        if (command == "frame") {
            return ParseFrame(frame);
        }
        step.frame = frame;
        if (command == "key" || command == "button") {
            return ParsePressOrRelease(step, command == "key");
        }
        if (command == "press") {
            return Numbers(step, ReplayAction::KeyDown, {{0, 255}});
        }
        if (command == "char") {
            return Numbers(step, ReplayAction::Char, {{1, kLastCharacter}});
        }
        if (command == "move") {
            return Numbers(step, ReplayAction::Move, {{-1000000, 1000000}, {-1000000, 1000000}});
        }
        if (command == "wheel") {
            return Numbers(step, ReplayAction::Wheel, {{-1000000, 1000000}});
        }
        if (command == "choose") {
            return Numbers(step, ReplayAction::Choose, {{-1, 2}});
        }
        if (command == "close" || command == "end" || command == "expose") {
            step.action = command == "close"    ? ReplayAction::Close
                          : command == "expose" ? ReplayAction::Expose
                                                : ReplayAction::End;
            if (words_.size() != 1) {
                return Failure{"'" + command + "' takes nothing after it"};
            }
            return {};
        }
        if (command == "focus") {
            return ParseFocus(step);
        }
        if (command == "answer") {
            step.action = ReplayAction::Answer;
            const std::string_view text = TextAfter(line_, command);
            step.text = text.empty() ? "" : Absolute(std::string(text), baseFolder_);
            return {};
        }
        if (command == "clipboard") {
            step.action = ReplayAction::Clipboard;
            Expected<std::string> text = Unescape(TextAfter(line_, command));
            if (!text) {
                return text.Error();
            }
            step.text = std::move(*text);
            return {};
        }
        if (command == "screenshot" || command == "drop") {
            step.action = command == "drop" ? ReplayAction::Drop : ReplayAction::Screenshot;
            const std::string_view text = TextAfter(line_, command);
            step.text = Absolute(std::string(text), baseFolder_);
            if (text.empty()) {
                return Failure{"'" + command + "' needs a path"};
            }
            return {};
        }
        return Failure{"unknown command '" + command + "'"};
    }

  private:
    struct Range {
        int64_t low;
        int64_t high;
    };

    Outcome ParseFrame(int64_t& frame) {
        int64_t value = 0;
        if (words_.size() != 2 || !ParseNumber(words_[1], 0, INT64_MAX, value)) {
            return Failure{"'frame' needs one frame number"};
        }
        if (value < frame) {
            return Failure{"frame " + words_[1] + " comes after frame " + std::to_string(frame)};
        }
        frame = value;
        return {};
    }

    Outcome ParsePressOrRelease(ReplayStep& step, bool key) {
        const std::string& command = words_[0];
        if (words_.size() < 2 || (words_[1] != "down" && words_[1] != "up")) {
            return Failure{"'" + command + "' needs 'down' or 'up'"};
        }
        const bool down = words_[1] == "down";
        words_.erase(words_.begin());
        if (key) {
            return Numbers(step, down ? ReplayAction::KeyDown : ReplayAction::KeyUp, {{0, 255}});
        }
        return Numbers(step, down ? ReplayAction::ButtonDown : ReplayAction::ButtonUp, {{1, 3}});
    }

    Outcome ParseFocus(ReplayStep& step) {
        if (words_.size() == 2 && (words_[1] == "lost" || words_[1] == "gained")) {
            step.action = words_[1] == "lost" ? ReplayAction::FocusLost : ReplayAction::FocusGained;
            return {};
        }
        return Failure{"'focus' needs 'lost' or 'gained'"};
    }

    Outcome Numbers(ReplayStep& step, ReplayAction action, std::vector<Range> ranges) {
        step.action = action;
        if (words_.size() != ranges.size() + 1) {
            return Failure{"'" + words_[0] + "' needs " + std::to_string(ranges.size()) +
                           " number" + (ranges.size() == 1 ? "" : "s")};
        }
        int* fields[] = {&step.value, &step.value2};
        for (size_t i = 0; i < ranges.size(); ++i) {
            int64_t value = 0;
            if (!ParseNumber(words_[i + 1], ranges[i].low, ranges[i].high, value)) {
                return Failure{"'" + words_[i + 1] + "' is not a number from " +
                               std::to_string(ranges[i].low) + " to " +
                               std::to_string(ranges[i].high)};
            }
            *fields[i] = static_cast<int>(value);
        }
        return {};
    }

    std::string_view line_;
    std::vector<std::string> words_;
    const std::string& baseFolder_;
};

} // namespace

Expected<ReplayScript> ParseReplayScript(std::string_view text, const std::string& baseFolder) {
    ReplayScript script;
    int64_t frame = 0;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        const std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == '#') {
            continue;
        }
        ReplayStep step;
        if (const Outcome parsed = LineParser(line, baseFolder).Parse(step, frame); !parsed) {
            return Failure{"line " + std::to_string(lineNumber) + ": " + parsed.Why()};
        }
        if (words[0] == "frame") {
            continue;
        }
        const bool press = words[0] == "press";
        script.steps.push_back(step);
        if (press) {
            step.action = ReplayAction::KeyUp;
            script.steps.push_back(step);
        }
    }
    return script;
}

Expected<ReplayScript> ReadReplayScript(const std::string& path, const std::string& baseFolder) {
    // A folder opens like a file here, and reading it gives nothing.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return Failure{"cannot read " + path + ": it is a folder, not a script"};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return Failure{"cannot read " + path + ": " + std::strerror(errno)};
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        return Failure{"cannot read " + path + ": " + std::strerror(errno)};
    }
    Expected<ReplayScript> parsed = ParseReplayScript(text.str(), baseFolder);
    if (!parsed) {
        return Failure{path + ": " + parsed.Why()};
    }
    if (parsed->steps.empty()) {
        return Failure{path + ": nothing happens in the script, so the run would never end; an "
                              "'end' line ends it"};
    }
    return std::move(*parsed);
}

} // namespace dm
