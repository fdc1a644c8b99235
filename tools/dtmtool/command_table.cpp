#include "command.h"

namespace dm::dtmtool {

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        InfoCommand(),    ResaveCommand(), EncodeCommand(), DecodeCommand(), ExportCommand(),
        ConvertCommand(), ShowCommand(),   DiffCommand(),   ArtCommand(),
    };
    return commands;
}

} // namespace dm::dtmtool
