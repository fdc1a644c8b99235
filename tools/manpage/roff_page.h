#pragma once

#include <string>
#include <utility>
#include <vector>

namespace dm::manpage {

// What a program says about itself, from which its manual page is written.
struct HelpTexts {
    std::string program; // "dtmtool"
    std::string version; // "1.0.0"
    std::string summary; // one line for the NAME section
    std::string help;    // what `program --help` prints
    // Each subcommand's name and what `program NAME --help` prints, in the order listed.
    std::vector<std::pair<std::string, std::string>> commands;
};

// The subcommands a help text lists: the first word of each indented line of the paragraph that
// a line "commands:" opens.
std::vector<std::string> ListedCommands(const std::string& help);

// The manual page in roff (the man macros), section 1. A help text's first paragraph, when it
// starts with "usage: ", is the synopsis; its other paragraphs are the description, where
// indented lines stay as laid out and all other lines are filled. Each subcommand's help makes a
// subsection of COMMANDS the same way.
std::string WriteManPage(const HelpTexts& texts);

} // namespace dm::manpage
