#include "arguments.h"

namespace dm::dtmtool {

Arguments ParseArguments(const std::vector<std::string>& args, size_t operand_count,
                         const std::set<std::string>& known_flags) {
    Arguments parsed;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (known_flags.count(arg) == 0 && parsed.error.empty()) {
                parsed.error = "unknown option " + arg;
            }
            parsed.flags.insert(arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.error.empty() && parsed.operands.size() != operand_count) {
        parsed.error = "expected " + std::to_string(operand_count) + " file name" +
                       (operand_count == 1 ? "" : "s") + ", got " +
                       std::to_string(parsed.operands.size());
    }
    return parsed;
}

} // namespace dm::dtmtool
