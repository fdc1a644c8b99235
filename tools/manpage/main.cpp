// Writes a program's manual page from its own help: manpage PROGRAM VERSION SUMMARY OUTPUT
#include "roff_page.h"

#include "platform/expected.h"
#include "platform/requesters/child_process.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What the program prints to standard output when run with these arguments.
dm::Expected<std::string> HelpOf(const std::vector<std::string>& arguments) {
    const dm::Expected<dm::ChildRun> run = dm::RunChildProcess(
        arguments, [] {}, 100);
    std::string command;
    for (const std::string& argument : arguments) {
        command += (command.empty() ? "" : " ") + argument;
    }
    if (!run || run->exitStatus != 0) {
        return dm::Failure{"\"" + command + "\" did not run to its end"};
    }
    return run->output;
}

dm::Expected<dm::manpage::HelpTexts>
GatherHelp(const std::string& program, const std::string& version, const std::string& summary) {
    dm::manpage::HelpTexts texts;
    texts.program = program.substr(program.find_last_of('/') + 1);
    texts.version = version;
    texts.summary = summary;
    dm::Expected<std::string> help = HelpOf({program, "--help"});
    if (!help) {
        return help.Error();
    }
    texts.help = *help;
    for (const std::string& name : dm::manpage::ListedCommands(texts.help)) {
        dm::Expected<std::string> commandHelp = HelpOf({program, name, "--help"});
        if (!commandHelp) {
            return commandHelp.Error();
        }
        texts.commands.emplace_back(name, *commandHelp);
    }
    return texts;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: manpage PROGRAM VERSION SUMMARY OUTPUT\n");
        return 2;
    }
    const dm::Expected<dm::manpage::HelpTexts> texts = GatherHelp(argv[1], argv[2], argv[3]);
    if (!texts) {
        std::fprintf(stderr, "manpage: %s\n", texts.Why().c_str());
        return 1;
    }
    std::ofstream out(argv[4], std::ios::binary);
    out << dm::manpage::WriteManPage(*texts);
    out.close();
    if (!out) {
        std::fprintf(stderr, "manpage: cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
