#include "platform/io/write_failure_signals.h"
#include "platform/requesters/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <string>

namespace dm {
namespace {

// The signals a process ignores, from its status file.
uint64_t IgnoredSignals(const std::string& status) {
    const size_t at = status.find("SigIgn:");
    EXPECT_NE(at, std::string::npos) << status;
    return at == std::string::npos ? 0 : std::stoull(status.substr(at + 7), nullptr, 16);
}

uint64_t Bit(int signal) {
    return uint64_t{1} << (signal - 1);
}

// The programs' own ignoring of SIGPIPE and SIGXFSZ is tested by running them (dtmtool and
// editor tests); a program they start must not inherit it.
TEST(WriteFailureSignals, ChildProcessesGetTheDefaultHandlingBack) {
    struct sigaction saved[3]{};
    const int signals[3] = {SIGPIPE, SIGXFSZ, SIGUSR2};
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(signals[i], &ignore, &saved[i]);
    }
    const Expected<ChildRun> child = RunChildProcess(
        {"cat", "/proc/self/status"}, [] {}, 10);
    for (int i = 0; i < 3; ++i) {
        ::sigaction(signals[i], &saved[i], nullptr);
    }
    ASSERT_TRUE(child) << child.Why();
    // Only the two signals of failing writes are handed back; others stay as the program set them.
    const uint64_t ignored = IgnoredSignals(child->output);
    EXPECT_EQ(ignored & (Bit(SIGPIPE) | Bit(SIGXFSZ) | Bit(SIGUSR2)), Bit(SIGUSR2));
}

} // namespace
} // namespace dm
