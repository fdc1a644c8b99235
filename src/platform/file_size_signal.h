#pragma once

namespace dm {

// Makes a write past the file size limit (RLIMIT_FSIZE) fail with EFBIG, which the streams report
// as a write error and the savers clean up after, instead of letting the signal SIGXFSZ end the
// program with its side file left behind. Programs call it first thing in main.
void IgnoreFileSizeSignal();

} // namespace dm
