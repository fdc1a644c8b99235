#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dm::dtmtool {

// One subcommand of the program. `run` receives the arguments that follow the command's name
// and returns the process exit status.
struct Command {
    std::string name;
    std::string summary;
    std::string usage;
    std::function<int(const std::vector<std::string>& args)> run;
};

// Every subcommand, in the order the overall help lists them.
const std::vector<Command>& AllCommands();

// Each subcommand lives in its own file and is listed once in command_table.cpp.
Command InfoCommand();
Command ResaveCommand();
Command EncodeCommand();
Command DecodeCommand();
Command ExportCommand();
Command ConvertCommand();
Command ShowCommand();
Command DiffCommand();
Command ArtCommand();

} // namespace dm::dtmtool
