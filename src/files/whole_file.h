#pragma once

#include "platform/expected.h"
#include "platform/io/stream.h"

#include <functional>
#include <string>

namespace dm {

// Writes the file at path through the side-file writer, so that it appears complete or not at
// all: an existing file stays as it was when opening, writing or committing fails. write puts the
// bytes into the stream; a write the stream refuses throws TStreamException there. The failure
// says why, in the system's words where it has them ("No space left on device"). Whatever else
// write throws reaches the caller, with nothing put in place.
Outcome WriteWholeFile(const std::string& path, const std::function<void(TStream&)>& write);

} // namespace dm
