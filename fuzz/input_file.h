#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace dm::fuzz {

// Holds the input in a file that lives only in memory, for parsers that take a path: a file on
// disk would be written back to the disk after every input, and would slow the fuzzer down to
// the disk's pace. Every call replaces the bytes of the one file. Empty when it cannot be had.
inline std::string WriteInputFile(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("duskmarch_fuzz_input", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        return {};
    for (size_t done = 0; done < size;) {
        const ssize_t moved = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (moved <= 0)
            return {};
        done += static_cast<size_t>(moved);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace dm::fuzz
