#pragma once

#include "platform/expected.h"
#include "platform/io/stream.h"

#include <functional>
#include <string>

namespace dm::dtmtool {

// Writes the file at path through a side file, so that it appears complete or not at all: an
// existing file stays as it was when opening, writing (write throws TStreamException) or
// committing fails. The failure then says why, in the system's words where it has them.
Outcome WriteWholeFile(const std::string& path, const std::function<void(TStream&)>& write);

} // namespace dm::dtmtool
