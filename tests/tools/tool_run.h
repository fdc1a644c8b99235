#pragma once

#include "files/container_test_support.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace dm::test {

// What a run of the built dtmtool printed and how it ended.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

inline std::string FileText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Runs dtmtool as a user would, from inside `folder`, which also receives its captured output.
// The shell first runs `setup` when given, such as "ulimit -f 4".
inline ToolRun RunDtmtool(const std::vector<std::string>& args, const ContainerTempFolder& folder,
                          const std::string& setup = "") {
    std::string command = "cd " + ShellQuote(folder.Root().string()) + " && " +
                          (setup.empty() ? "" : setup + " && ") + ShellQuote(DTMTOOL_PATH);
    for (const std::string& arg : args) {
        command += " " + ShellQuote(arg);
    }
    const std::string out = folder.Path("stdout.txt");
    const std::string err = folder.Path("stderr.txt");
    command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = FileText(out);
    run.err = FileText(err);
    return run;
}

} // namespace dm::test
