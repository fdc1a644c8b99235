#include "platform/file_size_signal.h"

#include <csignal>

namespace dm {

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace dm
