#pragma once

#include "files/side_file_writer.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace dm::test {

// Writes bytes towards path in another process that then dies without committing or cleaning
// up, as a save killed midway does, and gives the name of the side file it left beside path
// (empty when it left none).
inline std::string LeaveKilledSave(const std::string& path, const std::vector<uint8_t>& bytes) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(path).parent_path();
    const auto names = [&folder] {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found.push_back(entry.path().filename().string());
        }
        return found;
    };
    const std::vector<std::string> before = names();
    const pid_t child = ::fork();
    if (child == 0) {
        const Expected<std::unique_ptr<SideFileWriter>> writer = SideFileWriter::Open(path);
        if (writer) {
            (*writer)->Stream().WriteBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
            (*writer)->Stream().Flush();
        }
        // Ends without running a destructor, as a killed process would.
        ::_exit(writer ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const std::string& name : names()) {
        if (std::find(before.begin(), before.end(), name) == before.end()) {
            return name;
        }
    }
    return "";
}

} // namespace dm::test
