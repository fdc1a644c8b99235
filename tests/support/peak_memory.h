#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace dm::test {

// The resident memory of this process, for tests that bound what one operation allocates.
class PeakMemory {
  public:
    // Starts a new peak from the memory held now. False when the system does not allow the peak
    // to be reset, and then nothing can be measured.
    static bool Reset() {
        std::ofstream control("/proc/self/clear_refs");
        control << "5";
        control.flush();
        return static_cast<bool>(control) && Peak() > 0;
    }

    // The most held since the last reset, in bytes; 0 when unknown.
    static int64_t Peak() { return StatusBytes("VmHWM:"); }

    // What is held now, in bytes; 0 when unknown.
    static int64_t Current() { return StatusBytes("VmRSS:"); }

  private:
    static int64_t StatusBytes(const std::string& key) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind(key, 0) == 0) {
                return std::stoll(line.substr(key.size())) * 1024;
            }
        }
        return 0;
    }
};

} // namespace dm::test
