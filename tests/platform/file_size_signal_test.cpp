#include "platform/c_stream.h"
#include "platform/file_size_signal.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace dm {
namespace {

constexpr int kWriteFailedTooLarge = 10;
constexpr int kWriteFailedOtherwise = 11;

// How a child process that starts with the default action for SIGXFSZ, as every program does,
// ends when it writes 4096 bytes past a file size limit of 1000.
std::string WritePastTheLimit(bool ignoreSignal, const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        if (ignoreSignal) {
            IgnoreFileSizeSignal();
        }
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::shared_ptr<TCStream> out = TCStream::OpenFile(path, false, true);
        const std::vector<uint8_t> bytes(4096, 'x');
        try {
            out->WriteBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
            out->Close();
        } catch (const TStreamWriteException&) {
            ::_exit(out->ErrorCode() == EFBIG ? kWriteFailedTooLarge : kWriteFailedOtherwise);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGXFSZ ? "killed by SIGXFSZ" : "killed by another signal";
    }
    switch (WEXITSTATUS(status)) {
    case kWriteFailedTooLarge:
        return "write error: file too large";
    case kWriteFailedOtherwise:
        return "write error of another kind";
    default:
        return "no write error";
    }
}

TEST(FileSizeSignal, AWritePastTheLimitIsAWriteErrorOnceTheSignalIsIgnored) {
    const ScratchDir dir;
    const struct {
        bool ignore;
        const char* outcome;
    } cases[] = {
        {false, "killed by SIGXFSZ"},
        {true, "write error: file too large"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(c.ignore ? "ignored" : "default");
        EXPECT_EQ(WritePastTheLimit(c.ignore, path), c.outcome);
        EXPECT_EQ(std::filesystem::file_size(path), 1000u) << c.outcome;
    }
}

} // namespace
} // namespace dm
