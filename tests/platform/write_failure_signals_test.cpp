#include "platform/child_process.h"
#include "platform/write_failure_signals.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm {
namespace {

// What a write that fails in the way under test ends with, from a child process so that a signal
// it raises ends only the child. 0: the write failed with the expected error.
enum ChildEnd { kFailedAsExpected = 0, kWroteAnyway = 1, kOtherError = 2 };

int ExpectFailure(ssize_t written, int expectedError) {
    if (written >= 0) {
        return kWroteAnyway;
    }
    return errno == expectedError ? kFailedAsExpected : kOtherError;
}

int WriteIntoClosedPipe() {
    int ends[2];
    if (::pipe(ends) != 0) {
        return kOtherError;
    }
    ::close(ends[0]);
    return ExpectFailure(::write(ends[1], "x", 1), EPIPE);
}

int WritePastFileSizeLimit(const std::string& path) {
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4;
    if (file < 0 || ::setrlimit(RLIMIT_FSIZE, &limit) != 0 || ::write(file, "1234", 4) != 4) {
        return kOtherError;
    }
    return ExpectFailure(::write(file, "5", 1), EFBIG);
}

// How the child ended: its exit status, or 128 + the signal that ended it.
int RunInChild(const std::function<int()>& body, bool ignoreSignals) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (ignoreSignals) {
            IgnoreWriteFailureSignals();
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(WriteFailureSignals, FailingWritesReturnTheirErrorInsteadOfEndingTheProgram) {
    ScratchDir dir;
    const std::string path = dir.File("limited.bin");
    const auto pastLimit = [&path] { return WritePastFileSizeLimit(path); };
    EXPECT_EQ(RunInChild(WriteIntoClosedPipe, false), 128 + SIGPIPE);
    EXPECT_EQ(RunInChild(pastLimit, false), 128 + SIGXFSZ);
    EXPECT_EQ(RunInChild(WriteIntoClosedPipe, true), kFailedAsExpected);
    EXPECT_EQ(RunInChild(pastLimit, true), kFailedAsExpected);
}

// The signals a process ignores, from its status file.
uint64_t IgnoredSignals(const std::string& status) {
    const size_t at = status.find("SigIgn:");
    EXPECT_NE(at, std::string::npos) << status;
    return at == std::string::npos ? 0 : std::stoull(status.substr(at + 7), nullptr, 16);
}

uint64_t Bit(int signal) {
    return uint64_t{1} << (signal - 1);
}

TEST(WriteFailureSignals, ChildProcessesGetTheDefaultHandlingBack) {
    struct sigaction saved[3]{};
    const int signals[3] = {SIGPIPE, SIGXFSZ, SIGUSR2};
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(signals[i], &ignore, &saved[i]);
    }
    const ChildResult child = RunChildProcess(
        {"cat", "/proc/self/status"}, [] {}, 10);
    for (int i = 0; i < 3; ++i) {
        ::sigaction(signals[i], &saved[i], nullptr);
    }
    ASSERT_TRUE(child.started);
    // Only the two signals of failing writes are handed back; others stay as the program set them.
    const uint64_t ignored = IgnoredSignals(child.output);
    EXPECT_EQ(ignored & (Bit(SIGPIPE) | Bit(SIGXFSZ) | Bit(SIGUSR2)), Bit(SIGUSR2));
}

} // namespace
} // namespace dm
