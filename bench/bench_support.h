#pragma once
// What both benchmarks need: a clock, child processes, medians and the name
// of the file system they measure on.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamsiro::bench {

inline double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct ChildResult {
    int status = -1;
    std::string output;  // what the child wrote to its standard output
};

inline ChildResult Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipeFds[2];
    ChildResult result;
    if (::pipe(pipeFds) != 0) return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execvp(args[0], args.data());
        std::_Exit(127);
    }
    ::close(pipeFds[1]);
    char chunk[256];
    for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        result.output.append(chunk, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    if (pid < 0) return result;
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid) result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return result;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A median with the smallest and the largest value beside it.
struct Spread {
    double median = 0, min = 0, max = 0;
};

inline Spread SpreadOf(const std::vector<double>& values) {
    if (values.empty()) return {};
    return {Median(values), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

inline std::string FileSystemOf(const std::string& dir) {
    struct statfs info {};
    if (::statfs(dir.c_str(), &info) != 0) return "?";
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53: return "ext4";
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0x01021994: return "tmpfs";
    case 0x4d44: return "vfat";
    case 0x794C7630: return "overlayfs";
    default: {
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(info.f_type));
        return hex;
    }
    }
}

}  // namespace tamsiro::bench
