#pragma once

#include "platform/expected.h"

#include <cstdint>
#include <string>

// File system queries and changes. Paths are taken as written.
namespace dm {

inline constexpr int kFileTypeNone = 0;
inline constexpr int kFileTypeFile = 1;
inline constexpr int kFileTypeDirectory = 2;

// 1 for a regular file, 2 for a directory, 0 for anything else, for a path that cannot be
// examined, and for a path containing "<" or ">".
int GetFileType(const std::string& path);

// The size in bytes of a regular file, 0 for a directory, -1 when the path cannot be examined.
int64_t GetFileSize(const std::string& path);

// Makes the file writable and deletes it; true when nothing remains at the path (also when there
// was nothing to begin with). Directories are not removed.
bool RemoveFile(const std::string& path);

// Moves a file to a new name, atomically replacing any file already there; fails with the
// system's reason ("No such file or directory").
Outcome RenameFile(const std::string& from, const std::string& to);

} // namespace dm
