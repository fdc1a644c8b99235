#include "roff_page.h"

#include <sstream>

namespace dm::manpage {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Runs of lines between empty lines.
std::vector<std::vector<std::string>> Paragraphs(const std::string& text) {
    std::vector<std::vector<std::string>> paragraphs(1);
    for (const std::string& line : Lines(text)) {
        if (line.find_first_not_of(' ') == std::string::npos) {
            if (!paragraphs.back().empty()) {
                paragraphs.emplace_back();
            }
        } else {
            paragraphs.back().push_back(line);
        }
    }
    if (paragraphs.back().empty()) {
        paragraphs.pop_back();
    }
    return paragraphs;
}

bool Indented(const std::string& line) {
    return line.starts_with("  ");
}

std::string TrimLeft(const std::string& line) {
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? "" : line.substr(first);
}

// Text as roff prints it: backslashes and hyphens escaped, and a line that would start with a
// control character made plain.
std::string Escape(const std::string& line) {
    std::string escaped = line.starts_with('.') || line.starts_with('\'') ? "\\&" : "";
    for (char c : line) {
        if (c == '\\') {
            escaped += "\\e";
        } else if (c == '-') {
            escaped += "\\-";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// A help text's synopsis lines, taken from its first paragraph when that is one; the paragraphs
// that remain are left in `paragraphs`.
std::vector<std::string> TakeSynopsis(std::vector<std::vector<std::string>>& paragraphs) {
    if (paragraphs.empty() || !paragraphs.front().front().starts_with("usage: ")) {
        return {};
    }
    std::vector<std::string> synopsis;
    for (const std::string& line : paragraphs.front()) {
        synopsis.push_back(TrimLeft(line.starts_with("usage: ") ? line.substr(7) : line));
    }
    paragraphs.erase(paragraphs.begin());
    return synopsis;
}

void WriteSynopsis(std::ostream& out, const std::vector<std::string>& synopsis) {
    if (synopsis.empty()) {
        return;
    }
    out << ".nf\n";
    for (const std::string& line : synopsis) {
        out << Escape(line) << "\n";
    }
    out << ".fi\n";
}

void WriteParagraphs(std::ostream& out, const std::vector<std::vector<std::string>>& paragraphs) {
    for (const std::vector<std::string>& paragraph : paragraphs) {
        out << ".PP\n";
        bool laidOut = false;
        for (const std::string& line : paragraph) {
            if (Indented(line) != laidOut) {
                laidOut = !laidOut;
                out << (laidOut ? ".nf\n" : ".fi\n");
            }
            out << Escape(laidOut ? line : TrimLeft(line)) << "\n";
        }
        if (laidOut) {
            out << ".fi\n";
        }
    }
}

} // namespace

std::vector<std::string> ListedCommands(const std::string& help) {
    std::vector<std::string> names;
    bool listing = false;
    for (const std::string& line : Lines(help)) {
        if (line == "commands:") {
            listing = true;
        } else if (listing && Indented(line)) {
            const std::string entry = TrimLeft(line);
            names.push_back(entry.substr(0, entry.find(' ')));
        } else if (listing) {
            break;
        }
    }
    return names;
}

std::string WriteManPage(const HelpTexts& texts) {
    std::ostringstream out;
    out << ".\\\" Written from the text of \"" << texts.program
        << " --help\"; change that text rather than this page.\n"
        << ".TH " << Upper(texts.program) << " 1 \"\" \"" << texts.program << " " << texts.version
        << "\" \"User Commands\"\n"
        // Paths and option names read badly hyphenated or stretched.
        << ".nh\n.ad l\n"
        << ".SH NAME\n"
        << Escape(texts.program) << " \\- " << Escape(texts.summary) << "\n";
    std::vector<std::vector<std::string>> paragraphs = Paragraphs(texts.help);
    const std::vector<std::string> synopsis = TakeSynopsis(paragraphs);
    if (!synopsis.empty()) {
        out << ".SH SYNOPSIS\n";
        WriteSynopsis(out, synopsis);
    }
    out << ".SH DESCRIPTION\n";
    WriteParagraphs(out, paragraphs);
    if (!texts.commands.empty()) {
        out << ".SH COMMANDS\n";
    }
    for (const auto& [name, help] : texts.commands) {
        std::vector<std::vector<std::string>> commandParagraphs = Paragraphs(help);
        out << ".SS " << Escape(name) << "\n";
        WriteSynopsis(out, TakeSynopsis(commandParagraphs));
        WriteParagraphs(out, commandParagraphs);
    }
    return out.str();
}

} // namespace dm::manpage
