#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/io/stream.h"

namespace dm {

// Opens a file for reading. A device that cannot report positions (a pipe or terminal) is read
// whole into memory first, up to kMaxUnpositionedBytes. Texts of the form "protocol::rest" name
// no file and give null, as does a file that cannot be opened.
std::shared_ptr<TStream> OpenReadStream(const std::string& path);

// Creates or truncates a file for writing; null when that fails or for "protocol::rest" texts.
std::shared_ptr<TStream> OpenWriteStream(const std::string& path);

inline constexpr int64_t kMaxUnpositionedBytes = 256 * 1024 * 1024;

} // namespace dm
