#pragma once

#include <fcntl.h>
#include <functional>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

// Runs body in a child process with its own view of the mounts, so that it can mount small or
// read-only file systems that vanish with it; read-only mounts bind even the superuser. The text
// body returns comes back; nullopt when this system grants no private mounts (body did not run).
inline std::optional<std::string> RunWithPrivateMounts(const std::function<std::string()>& body) {
    constexpr int kNoPrivateMounts = 77;
    int channel[2];
    if (::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        const auto writeFile = [](const char* path, const std::string& text) {
            const int file = ::open(path, O_WRONLY);
            const bool ok = file >= 0 && ::write(file, text.data(), text.size()) ==
                                             static_cast<ssize_t>(text.size());
            ::close(file);
            return ok;
        };
        // Without the right to mount, a new user namespace grants it over the caller's files.
        const bool isolated = ::unshare(CLONE_NEWNS) == 0 ||
                              (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
                               writeFile("/proc/self/setgroups", "deny") &&
                               writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
                               writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"));
        if (!isolated || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(kNoPrivateMounts);
        }
        const std::string report = body();
        const bool sent = ::write(channel[1], report.data(), report.size()) ==
                          static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (child < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == kNoPrivateMounts)) {
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed with status " + std::to_string(status);
    }
    return report;
}

// A fresh file system of the given size in memory at folder; false when it cannot be mounted.
inline bool MountSmallFileSystem(const std::string& folder, size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    return ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

// Makes the file system mounted at folder read-only.
inline bool RemountReadOnly(const std::string& folder) {
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace dm::test
