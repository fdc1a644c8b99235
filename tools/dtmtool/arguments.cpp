#include "arguments.h"

namespace dm::dtmtool {

Expected<Arguments> ParseArguments(const std::vector<std::string>& args, size_t operandCount,
                                   const std::set<std::string>& knownFlags,
                                   const std::set<std::string>& valuedOptions) {
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
        } else if (valuedOptions.count(arg) != 0) {
            if (i + 1 == args.size()) {
                fail(arg + " needs a value");
                continue;
            }
            parsed.values[arg] = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (knownFlags.count(arg) == 0) {
                fail("unknown option " + arg);
            }
            parsed.flags.insert(arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.operands.size() != operandCount) {
        fail("expected " + std::to_string(operandCount) + " file name" +
             (operandCount == 1 ? "" : "s") + ", got " + std::to_string(parsed.operands.size()));
    }
    if (!usable && !parsed.help) {
        return usable.Error();
    }
    return parsed;
}

} // namespace dm::dtmtool
