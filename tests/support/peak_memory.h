#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace dm::test {

// The resident memory of this process in bytes, for tests that bound what one operation allocates.
class PeakMemory {
  public:
    // Starts a new peak from the memory held now; false when the system does not allow it, and
    // then nothing can be measured.
    static bool Reset() {
        std::ofstream control("/proc/self/clear_refs");
        return static_cast<bool>(control << "5" << std::flush) && Peak() > 0;
    }
    // The most held since the last reset, and what is held now; 0 when unknown.
    static int64_t Peak() { return StatusBytes("VmHWM:"); }
    static int64_t Current() { return StatusBytes("VmRSS:"); }

  private:
    static int64_t StatusBytes(const std::string& key) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with(key)) {
                return std::stoll(line.substr(key.size())) * 1024;
            }
        }
        return 0;
    }
};

} // namespace dm::test
