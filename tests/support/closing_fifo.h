#pragma once

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

// A named pipe whose reader, in another process, takes the first byte written and quits, as the
// reader of a pipeline may. A writer of more than the pipe holds (64 KiB) then always meets a pipe
// with no reader: SIGPIPE, or EPIPE where that signal is ignored.
class ClosingFifo {
  public:
    explicit ClosingFifo(const std::string& path) {
        ::mkfifo(path.c_str(), 0600);
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        reader_ = ::fork();
        if (reader_ == 0) {
            // Opened for reading and writing, which never waits, so the writer finds a reader.
            const int fifo = ::open(path.c_str(), O_RDWR);
            char byte = 0;
            const bool read =
                fifo >= 0 && ::write(ready[1], "r", 1) == 1 && ::read(fifo, &byte, 1) == 1;
            ::_exit(read ? 0 : 1);
        }
        ::close(ready[1]);
        char byte = 0;
        ready_ = reader_ > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~ClosingFifo() {
        if (reader_ > 0) {
            ::kill(reader_, SIGKILL);
            ::waitpid(reader_, nullptr, 0);
        }
    }
    ClosingFifo(const ClosingFifo&) = delete;
    ClosingFifo& operator=(const ClosingFifo&) = delete;

    // True once the reader waits at the pipe.
    bool Ready() const { return ready_; }

  private:
    pid_t reader_ = -1;
    bool ready_ = false;
};

} // namespace dm::test
