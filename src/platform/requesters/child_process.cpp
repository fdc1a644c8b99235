#include "platform/requesters/child_process.h"
#include "platform/io/write_failure_signals.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dm {

namespace {

// Closes a descriptor when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_;
};

// Kills and reaps the child unless it was seen to end.
class ChildGuard {
  public:
    explicit ChildGuard(pid_t pid) : pid_(pid) {}
    ~ChildGuard() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    // True once the child has ended, with its exit status, or -1 when a signal ended it or
    // its end can no longer be learnt.
    bool Ended(int& exitStatus) {
        int status = 0;
        pid_t done = 0;
        do {
            done = ::waitpid(pid_, &status, WNOHANG);
        } while (done < 0 && errno == EINTR);
        if (done == 0) {
            return false;
        }
        exitStatus = done == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        return true;
    }

  private:
    pid_t pid_;
};

// Reads what is there without blocking; false once the pipe is closed or broken.
bool Drain(int fd, std::string& output) {
    char buffer[4096];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            const size_t room = kMaxChildOutput - std::min(output.size(), kMaxChildOutput);
            output.append(buffer, std::min(static_cast<size_t>(got), room));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

Failure NotStarted(const std::string& name, int code) {
    return Failure{code == ENOENT ? name + " is not installed"
                                  : name + " could not start (" + std::strerror(code) + ")"};
}

} // namespace

Expected<ChildRun> RunChildProcess(const std::vector<std::string>& arguments,
                                   const std::function<void()>& whileWaiting, int intervalMs) {
    if (arguments.empty()) {
        return NotStarted("a program", EINVAL);
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return NotStarted(arguments.front(), errno);
    }
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);
    ::fcntl(readEnd.Get(), F_SETFL, ::fcntl(readEnd.Get(), F_GETFL) | O_NONBLOCK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // The program's own choice to survive failing writes is not the child's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    AddWriteFailureSignals(defaults);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return NotStarted(arguments.front(), failed);
    }
    ChildRun result;
    writeEnd.Close();
    ChildGuard child(pid);

    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(intervalMs);
    auto lastCall = Clock::now();
    bool pipeOpen = true;
    while (true) {
        if (pipeOpen) {
            pollfd watch{readEnd.Get(), POLLIN, 0};
            ::poll(&watch, 1, intervalMs);
            pipeOpen = Drain(readEnd.Get(), result.output);
        } else {
            ::poll(nullptr, 0, intervalMs);
        }
        if (child.Ended(result.exitStatus)) {
            Drain(readEnd.Get(), result.output);
            return result;
        }
        if (Clock::now() - lastCall >= interval) {
            lastCall = Clock::now();
            whileWaiting();
        }
    }
}

} // namespace dm
