#include "command.h"
#include "tool_output.h"

#include "platform/io/write_failure_signals.h"
#include "platform/version.h"
#include "render/config_location.h"

#include <exception>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: dtmtool COMMAND [ARGUMENTS] [--help]\n"
           "       dtmtool --help | --version\n\n"
           "Reads, checks, converts, shows and compares Duskmarch maps.\n\n"
           "commands:\n";
    for (const dm::dtmtool::Command& command : dm::dtmtool::AllCommands()) {
        out << "  " << std::left << std::setw(10) << command.name << command.summary << "\n";
    }
    out << "\nRun \"dtmtool COMMAND --help\" for the arguments of a command. \"--\" ends the\n"
           "options, so that the file names after it may start with \"-\".\n\n"
        << dm::kDisplayConfigHelp << std::flush;
}

} // namespace

int main(int argc, char** argv) {
    using namespace dm::dtmtool;
    dm::IgnoreWriteFailureSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview(std::cout);
        return kExitSuccess;
    }
    if (args[0] == "--version") {
        std::cout << "dtmtool " << dm::kDuskmarchVersion << std::endl;
        return kExitSuccess;
    }
    for (const Command& command : AllCommands()) {
        if (command.name == args[0]) {
            try {
                return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
            } catch (const std::exception& error) {
                PrintError(error.what());
                return kExitFailure;
            }
        }
    }
    PrintError("unknown command \"" + args[0] + "\"; run \"dtmtool --help\" for the list");
    return kExitUsage;
}
