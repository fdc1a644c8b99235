#pragma once

#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

// What a run under a memory limit came to.
enum class LimitedRun { Done, OutOfMemory, Failed };

// The address space of this process in bytes (VmSize), or 0 when unknown.
inline int64_t AddressSpaceBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmSize:")) {
            return std::stoll(line.substr(7)) * 1024;
        }
    }
    return 0;
}

// Whether a limit on the address space can be tested here: AddressSanitizer reserves terabytes of
// it for itself and keeps freed memory back, so limits say nothing under it.
inline bool AddressSpaceLimitsWork() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return AddressSpaceBytes() > 0;
#endif
#else
    return AddressSpaceBytes() > 0;
#endif
}

// Lets this process take at most `headroom` bytes of address space beyond what it holds now
// (RLIMIT_AS, as `ulimit -v` sets it); false when the limit cannot be set.
inline bool LimitAddressSpace(int64_t headroom) {
    const auto limit = static_cast<rlim_t>(AddressSpaceBytes() + headroom);
    const rlimit bound{limit, limit};
    return setrlimit(RLIMIT_AS, &bound) == 0;
}

// Runs body in a child process, so that limits it sets end with it: Done when it returned true,
// OutOfMemory when memory ran out in it.
inline LimitedRun RunInChild(const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        int code = 2;
        try {
            code = body() ? 0 : 2;
        } catch (const std::bad_alloc&) {
            code = 1;
        } catch (...) {
            // Anything else is a failure, and must not reach the test runner in the child.
            code = 2;
        }
        _exit(code);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return LimitedRun::Failed;
    }
    const int code = WEXITSTATUS(status);
    return code == 0 ? LimitedRun::Done : code == 1 ? LimitedRun::OutOfMemory : LimitedRun::Failed;
}

// Runs body in a child process that may take at most `headroom` bytes of address space beyond
// what it holds when it starts.
inline LimitedRun RunWithHeadroom(int64_t headroom, const std::function<bool()>& body) {
    return RunInChild([headroom, &body] { return LimitAddressSpace(headroom) && body(); });
}

} // namespace dm::test
