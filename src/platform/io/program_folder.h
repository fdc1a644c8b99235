#pragma once

#include <string>

namespace dm {

// The folder the running program lies in, which holds its data/ and dmdata/; "" when the system
// cannot tell it, in which case the current folder stands for it.
std::string ProgramFolder();

// path taken from folder when it is relative and folder is not "" (paths are joined with "/");
// otherwise path as it is.
std::string PathFromFolder(const std::string& folder, const std::string& path);

} // namespace dm
