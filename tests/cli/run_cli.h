#pragma once

#include <string>
#include <vector>

namespace tamsiro::test {

// One run of the built tamsiro-cli: its exit code and what it printed.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with `args`, stdin from /dev/null and stdout and stderr
// caught in files under `scratchFolder`.
CliRun RunCli(const std::vector<std::string>& args, const std::string& scratchFolder);

}  // namespace tamsiro::test
