#include "tests/cli/run_cli.h"

#include "tools/sample_workspace.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

namespace tamsiro::test {

CliRun RunCli(const std::vector<std::string>& args, const std::string& scratchFolder) {
    const std::string outPath = scratchFolder + "/cli.stdout";
    const std::string errPath = scratchFolder + "/cli.stderr";
    std::vector<std::string> all = {TAMSIRO_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    CliRun run;
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
        waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = samples::ReadText(outPath);
    run.err = samples::ReadText(errPath);
    return run;
}

}  // namespace tamsiro::test
