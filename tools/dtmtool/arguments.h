#pragma once

#include <set>
#include <string>
#include <vector>

namespace dm::dtmtool {

// A subcommand's arguments split into file operands and "--" flags.
struct Arguments {
    std::vector<std::string> operands;
    std::set<std::string> flags;
    bool help = false;
    // Empty when the arguments fit the command; otherwise what is wrong with them.
    std::string error;
};

// Accepts exactly `operand_count` operands and any of `known_flags`; "--help" anywhere asks for
// the command's help instead.
Arguments ParseArguments(const std::vector<std::string>& args, size_t operand_count,
                         const std::set<std::string>& known_flags);

} // namespace dm::dtmtool
