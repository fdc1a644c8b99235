#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace dm::dtmtool {

// A subcommand's arguments split into file operands, "--" flags and "--" options with a value.
struct Arguments {
    std::vector<std::string> operands;
    std::set<std::string> flags;
    std::map<std::string, std::string> values; // option -> the argument that followed it
    bool help = false;
    // Empty when the arguments fit the command; otherwise what is wrong with them.
    std::string error;
};

// Accepts exactly `operandCount` operands, any of `knownFlags`, and any of `valuedOptions`
// each followed by its value; "--help" anywhere asks for the command's help instead. After "--"
// every argument is an operand, so that file names may start with "-".
Arguments ParseArguments(const std::vector<std::string>& args, size_t operandCount,
                         const std::set<std::string>& knownFlags,
                         const std::set<std::string>& valuedOptions = {});

} // namespace dm::dtmtool
