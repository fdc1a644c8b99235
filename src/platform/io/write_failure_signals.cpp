#include "platform/io/write_failure_signals.h"

#include <csignal>

namespace dm {

void IgnoreWriteFailureSignals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void AddWriteFailureSignals(sigset_t& set) {
    sigaddset(&set, SIGXFSZ);
    sigaddset(&set, SIGPIPE);
}

} // namespace dm
