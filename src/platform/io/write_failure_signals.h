#pragma once

#include <signal.h>

namespace dm {

// Makes a write past the file size limit (RLIMIT_FSIZE) fail with EFBIG, and a write into a pipe
// whose reader has gone fail with EPIPE, which the streams report as write errors and the savers
// clean up after, instead of letting the signals SIGXFSZ and SIGPIPE end the program with its side
// file left behind and every unsaved canvas lost. Programs call it first thing in main.
void IgnoreWriteFailureSignals();

// Adds those two signals to set, so that a child process can be given their default handling
// back: an ignored signal stays ignored across exec.
void AddWriteFailureSignals(sigset_t& set);

} // namespace dm
