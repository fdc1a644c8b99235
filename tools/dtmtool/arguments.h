#pragma once

#include "platform/expected.h"

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
};

// Accepts exactly `operandCount` operands, any of `knownFlags`, and any of `valuedOptions`
// each followed by its value; "--help" anywhere asks for the command's help instead, whatever
// else is wrong. After "--" every argument is an operand, so that file names may start with "-".
// Fails with the first thing wrong with the arguments.
Expected<Arguments> ParseArguments(const std::vector<std::string>& args, size_t operandCount,
                                   const std::set<std::string>& knownFlags,
                                   const std::set<std::string>& valuedOptions = {});

} // namespace dm::dtmtool
