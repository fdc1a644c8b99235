#include "arguments.h"

namespace dm::dtmtool {

Expected<Arguments> ParseArguments(const std::vector<std::string>& args, size_t operand_count,
                                   const std::set<std::string>& known_flags,
                                   const std::set<std::string>& valued_options) {
    Arguments parsed;
    Outcome usable;
    const auto fail = [&usable](const std::string& error) {
        if (usable) {
            usable = Failure{error};
        }
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (valued_options.count(arg) != 0) {
            if (i + 1 == args.size()) {
                fail(arg + " needs a value");
                continue;
            }
            parsed.values[arg] = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (known_flags.count(arg) == 0) {
                fail("unknown option " + arg);
            }
            parsed.flags.insert(arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.operands.size() != operand_count) {
        fail("expected " + std::to_string(operand_count) + " file name" +
             (operand_count == 1 ? "" : "s") + ", got " + std::to_string(parsed.operands.size()));
    }
    if (!usable && !parsed.help) {
        return usable.Error();
    }
    return parsed;
}

} // namespace dm::dtmtool
