// The crash-point test (docs/RELIABILITY.md): a whole Save from a fresh
// program folder (the base backup too) and a Restore are stopped before each
// of their file operations in turn (TAMSIRO_CRASH_AT). After each crash
// Tamsiro starts again on the same folders, taking the repair offer, the
// invariants are checked, and a Restore must then give back the stock stick
// byte for byte. Then each operation fails once instead (TAMSIRO_FAIL_AT):
// what the run reports must be true of the stick. Then a Ctrl-C comes
// before each: the stick is never left half-changed. On a roomy stick and,
// where a tmpfs can be mounted, on one with room for a single sound archive.
//
//   tamsiro_crash_test DRIVER [--only roomy|tight] [WORK-FOLDER]
//
// --only runs one of the two sticks, so that ctest can run both at once.
#include "tests/support/stock_stick.h"
#include "tests/support/tmpfs.h"
#include "tests/support/workspace.h"
#include "tools/sample_workspace.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tamsiro::test;

constexpr int kSoundEntries = 200;  // a sound archive of about 240 KB

// TAMSIRO_CRASH_EVERY=N tries every Nth operation (and the last) instead
// of each: make test runs the test so under the sanitizers, which make each
// run several times slower, and in full in the optimised build. Each kind
// of cut starts at its own offset, so that together they cover more.
std::vector<unsigned long> PointsToTry(unsigned long operations, unsigned long offset) {
    const char* setting = std::getenv("TAMSIRO_CRASH_EVERY");
    const unsigned long every = setting ? std::max(1ul, std::strtoul(setting, nullptr, 10)) : 1;
    std::vector<unsigned long> points;
    for (unsigned long k = 1; k <= operations; ++k) {
        if ((k + offset) % every == 0 || k == operations) points.push_back(k);
    }
    return points;
}

struct DriverRun {
    int exitCode = -1;
    std::string output;
};

// The seam's modes: the process ends before operation k, operation k
// fails once, or a Ctrl-C comes just before it.
enum class Cut { Crash, Failure, Interrupt };

// The driver, straight (no shell between), its output into `log`.
DriverRun RunDriver(const std::string& driver, const fs::path& program, const fs::path& stick, std::string command,
                    unsigned long crashAt, const fs::path& log, Cut cut = Cut::Crash) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string crashSetting =
        (cut == Cut::Failure ? "TAMSIRO_FAIL_AT=" : "TAMSIRO_CRASH_AT=") + std::to_string(crashAt);
    std::string modeSetting = cut == Cut::Interrupt ? "TAMSIRO_CRASH_MODE=interrupt" : "TAMSIRO_CRASH_MODE=exit";
    std::string driverArg = driver, programArg = program.string(), stickArg = stick.string();
    char* args[] = {driverArg.data(), programArg.data(), stickArg.data(), command.data(), nullptr};
    char* environment[] = {crashSetting.data(), modeSetting.data(), nullptr};
    pid_t child = 0;
    int status = 0;
    DriverRun run;
    if (posix_spawn(&child, driver.c_str(), &actions, nullptr, args, environment) == 0 &&
        ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream in(log);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

// One command, from a given stick and program folder, cut short everywhere.
struct Phase {
    std::string name;
    std::string command;
    fs::path stickFrom, programFrom;
    Tree before, after;  // the stick before the command and after a complete run
};

struct Tally {
    int passed = 0;
    int failed = 0;
    int injectedTried = 0;
    int injectedBroken = 0;
    int interruptsTried = 0;
    int interruptsBroken = 0;
};

bool HasLine(const std::string& output, const std::string& line) {
    const std::string text = "\n" + output;
    return text.find("\n" + line + "\n") != std::string::npos;
}

// A success claimed: exit 0, or the words of one.
bool ClaimsSuccess(const DriverRun& run) {
    return run.exitCode == 0 || HasLine(run.output, "message: New audio saved") ||
           run.output.find("message: Stock sounds restored") != std::string::npos;
}

// A Save whose optional last steps (the voice settings, the male voice's
// removal) were undone says so; its other files are in place.
bool ReportsPartialSave(const DriverRun& run) {
    return HasLine(run.output, "message: New audio saved, but the male voice could not be removed") ||
           run.output.find(
               "message: The new sounds are on the memory stick, but the voice settings were not changed") !=
               std::string::npos;
}

Tree WithoutBackups(Tree tree) {
    std::erase_if(tree, [](const auto& file) { return file.first.ends_with(".BAK"); });
    return tree;
}

// After a run whose operation failed: what it reported must be true of the
// stick. A success leaves the complete result; a failure leaves the stick
// as before, or, where it says it kept the rest, each file old or new.
std::vector<std::string> BrokenByFailure(const DriverRun& run, const Tree& stick, const Tree& before,
                                         const Tree& after) {
    std::vector<std::string> broken;
    const bool partial = !ClaimsSuccess(run) && ReportsPartialSave(run);
    const Tree& expected = ClaimsSuccess(run) ? after : before;
    if (!partial) {
        // A success whose clean-up failed names what it left ("X.PRV is
        // still on the memory stick"); only what it names may be extra.
        const std::size_t still = run.output.find(" still on the memory stick");
        const std::size_t from = still == std::string::npos ? 0 : run.output.rfind('|', still);
        const std::string left = still == std::string::npos || from == std::string::npos
                                     ? std::string()
                                     : run.output.substr(from, still - from);
        Tree named = stick;
        std::erase_if(named, [&](const auto& file) {
            const std::string name = file.first.substr(file.first.rfind('/') + 1);
            return ClaimsSuccess(run) && !FileIn(expected, file.first) && left.find(name) != std::string::npos;
        });
        for (const std::string& difference : Differences(named, expected)) {
            broken.push_back((ClaimsSuccess(run) ? "success reported, but " : "failure reported, but ") + difference);
        }
        return broken;
    }
    std::set<std::string> paths;
    for (const Tree* tree : {&stick, &before, &after}) {
        for (const auto& [path, bytes] : *tree) paths.insert(path);
    }
    for (const std::string& path : paths) {
        const auto actual = FileIn(stick, path);
        if (actual != FileIn(before, path) && actual != FileIn(after, path))
            broken.push_back(path + " is neither the old nor the new file");
    }
    return broken;
}

// Both phases on one stick; false when a complete run already failed.
bool RunCase(const std::string& label, const std::string& driver, const fs::path& work, const fs::path& stick,
             const fs::path& stockStick, const fs::path& freshProgram, Tally& tally) {
    const Tree stock = ReadTree(stockStick);
    const fs::path program = work / "program", log = work / "driver.log";
    auto reset = [&](const Phase& phase) {
        ReplaceContents(phase.stickFrom, stick);
        ReplaceContents(phase.programFrom, program);
    };
    // A complete run: the stick after it and the number of file operations.
    auto rehearse = [&](Phase& phase) -> unsigned long {
        reset(phase);
        const DriverRun run = RunDriver(driver, program, stick, phase.command, 0, log);
        phase.after = ReadTree(stick);
        const std::size_t at = run.output.rfind("file changes: ");
        if (run.exitCode == 0 && at != std::string::npos) return std::stoul(run.output.substr(at + 14));
        std::cout << phase.name << ": the complete run failed:\n" << run.output;
        return 0;
    };

    Phase save{"Save on " + label, "save", stockStick, freshProgram, stock, {}};
    const unsigned long saveOperations = rehearse(save);
    // The state after a complete Save is where the Restore starts.
    ReplaceContents(stick, work / "saved-stick");
    ReplaceContents(program, work / "saved-program");
    Phase restore{"Restore on " + label, "restore", work / "saved-stick", work / "saved-program", save.after, {}};
    const unsigned long restoreOperations = rehearse(restore);
    if (saveOperations == 0 || restoreOperations == 0) return false;
    if (!Differences(restore.after, stock).empty()) {
        std::cout << restore.name << ": the complete restore does not give back the stock stick\n";
        return false;
    }

    for (const auto& [phase, operations] : {std::pair{&save, saveOperations}, std::pair{&restore, restoreOperations}}) {
        // Operation k fails once: the run must not claim what did not
        // happen, the stock records stay exact, and a plain rerun after a
        // new start gives the complete result.
        int brokenFailures = 0;
        const std::vector<unsigned long> failurePoints = PointsToTry(operations, 0);
        for (const unsigned long k : failurePoints) {
            reset(*phase);
            std::vector<std::string> broken;
            const DriverRun failed = RunDriver(driver, program, stick, phase->command, k, log, Cut::Failure);
            for (std::string& what : BrokenByFailure(failed, ReadTree(stick), phase->before, phase->after))
                broken.push_back(std::move(what));
            if (const DriverRun restart = RunDriver(driver, program, stick, "start", 0, log); restart.exitCode != 0) {
                broken.push_back("the start after the failure failed:\n" + restart.output);
            }
            for (std::string& what :
                 BrokenInvariants(ReadTree(stick), ReadTree(program), stock, phase->before, phase->after))
                broken.push_back(std::move(what));
            // A run that succeeded in spite of the failure has nothing to recover.
            if (!ClaimsSuccess(failed)) {
                const DriverRun rerun = RunDriver(driver, program, stick, phase->command, 0, log);
                if (rerun.exitCode != 0) broken.push_back("the rerun failed:\n" + rerun.output);
                // A second rotation keeps the first one's configuration
                // files as .BAK; Restore removes them all the same.
                for (const std::string& difference :
                     Differences(WithoutBackups(ReadTree(stick)), WithoutBackups(phase->after))) {
                    broken.push_back("after the rerun " + difference);
                }
            }
            if (broken.empty()) continue;
            if (++brokenFailures <= 5) {
                std::cout << "  " << phase->name << ", operation " << k << " failed:\n";
                for (const std::string& what : broken) std::cout << "    " << what << "\n";
                std::cout << "    its output: " << failed.output;
            }
        }
        std::cout << phase->name << ": tried " << failurePoints.size() << " injected failures, " << brokenFailures
                  << " broke an invariant\n";
        tally.injectedTried += static_cast<int>(failurePoints.size());
        tally.injectedBroken += brokenFailures;

        // A Ctrl-C before operation k: whether it ends the run or the run
        // stops itself, the stick is never left half-changed, even before
        // Tamsiro starts again, and what the run says is true of it.
        int brokenInterrupts = 0;
        const std::vector<unsigned long> interruptPoints = PointsToTry(operations, 1);
        for (const unsigned long k : interruptPoints) {
            reset(*phase);
            std::vector<std::string> broken;
            const DriverRun interrupted = RunDriver(driver, program, stick, phase->command, k, log, Cut::Interrupt);
            const Tree now = ReadTree(stick);
            const bool whole = Differences(now, phase->before).empty() || Differences(now, phase->after).empty();
            if (!whole) broken.push_back("the stick is neither as before nor as after");
            // A run that ended by itself reported on what it did.
            if (interrupted.exitCode >= 0) {
                for (std::string& what : BrokenByFailure(interrupted, now, phase->before, phase->after))
                    broken.push_back(std::move(what));
            }
            if (const DriverRun restart = RunDriver(driver, program, stick, "start", 0, log); restart.exitCode != 0) {
                broken.push_back("the start after the interrupt failed:\n" + restart.output);
            }
            if (ReadTree(stick) != now) broken.push_back("the start after the interrupt changed the stick");
            if (broken.empty()) continue;
            if (++brokenInterrupts <= 5) {
                std::cout << "  " << phase->name << ", interrupt before operation " << k << ":\n";
                for (const std::string& what : broken) std::cout << "    " << what << "\n";
                std::cout << "    its output: " << interrupted.output
                          << (interrupted.output.ends_with('\n') ? "" : "\n");
            }
        }
        std::cout << phase->name << ": tried " << interruptPoints.size() << " interrupts, " << brokenInterrupts
                  << " broke an invariant\n";
        tally.interruptsTried += static_cast<int>(interruptPoints.size());
        tally.interruptsBroken += brokenInterrupts;

        int brokenPoints = 0, repaired = 0;
        const std::vector<unsigned long> crashPoints = PointsToTry(operations, 2);
        for (const unsigned long k : crashPoints) {
            reset(*phase);
            std::vector<std::string> broken;
            const int crashExit = RunDriver(driver, program, stick, phase->command, k, log).exitCode;
            if (crashExit != 86)
                broken.push_back("did not stop at the crash point (exit " + std::to_string(crashExit) + ")");
            const DriverRun restart = RunDriver(driver, program, stick, "start", 0, log);
            if (restart.exitCode != 0) broken.push_back("the start after the crash failed:\n" + restart.output);
            if (restart.output.find("message: DYNAUDIO.ODA restored") != std::string::npos) ++repaired;
            for (std::string& what :
                 BrokenInvariants(ReadTree(stick), ReadTree(program), stock, phase->before, phase->after))
                broken.push_back(std::move(what));
            const DriverRun restored = RunDriver(driver, program, stick, "restore", 0, log);
            // A crash before the first change leaves nothing to put back; the
            // stick is then checked to be stock all the same.
            const bool nothingKept =
                restored.output.find("No stock files were kept for this memory stick") != std::string::npos;
            if (restored.exitCode != 0 && !nothingKept) broken.push_back("the restore failed:\n" + restored.output);
            for (const std::string& difference : Differences(ReadTree(stick), stock))
                broken.push_back("after the restore " + difference);
            if (broken.empty()) continue;
            if (++brokenPoints <= 5) {
                std::cout << "  " << phase->name << ", crash before operation " << k << ":\n";
                for (const std::string& what : broken) std::cout << "    " << what << "\n";
            }
        }
        std::cout << phase->name << ": tried " << crashPoints.size() << " crash points, " << brokenPoints
                  << " broke an invariant (" << repaired << " restarts repaired DYNAUDIO.ODA)\n";
        tally.passed += static_cast<int>(crashPoints.size()) - brokenPoints;
        tally.failed += brokenPoints;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string only;
    if (args.size() >= 3 && args[1] == "--only") {
        only = args[2];
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    if (args.empty() || args.size() > 2 || (!only.empty() && only != "roomy" && only != "tight")) {
        std::cerr << "usage: " << argv[0] << " DRIVER [--only roomy|tight] [WORK-FOLDER]\n";
        return 2;
    }
    const bool roomy = only != "tight", tightToo = only != "roomy";
    const std::string driver = fs::absolute(args[0]).string();
    // A work folder named on the command line stays for a look afterwards.
    std::optional<TempFolder> temporary;
    const fs::path work = args.size() > 1 ? fs::path(args[1]) : temporary.emplace().Path();
    if (args.size() > 1) fs::remove_all(work);
    const Workspace fresh({.stick = {.soundEntries = kSoundEntries}, .sets = {{0}, {5}, {0}}, .stock = true});
    if (work.empty() || !fresh.Problem().empty()) {
        std::cerr << "could not write the sample stick and sound sets: " << fresh.Problem() << "\n";
        return 1;
    }
    const fs::path stockStick = fresh.stickFolder, freshProgram = fresh.programFolder;

    // In memory where it can: flushes cost nothing there, and the order of
    // the operations is what is tested.
    Tmpfs scratch(work / "scratch");
    std::cout << (scratch.Mount(256u << 20) ? "Working in a tmpfs\n" : "Working on disk\n");
    Tally tally;
    bool complete = !roomy || RunCase("a roomy stick", driver, work / "scratch", work / "scratch" / "stick", stockStick,
                                      freshProgram, tally);

    // The stock stick and a quarter of a sound archive more.
    const std::uint64_t archiveSize = fs::file_size(stockStick / kSoundArchive);
    const fs::path tightStick = work / "scratch" / "tight" / "stick";
    Tmpfs tight(tightStick);
    bool mounted = tightToo && tight.Mount(8u << 20);
    if (mounted) ReplaceContents(stockStick, tightStick);
    mounted = mounted && tight.Mount(tight.Space().second + archiveSize / 4);
    if (!tightToo) {
        // Only the roomy stick was asked for.
    } else if (!mounted) {
        std::cout << "Skipped the stick with room for one sound archive: mounting a tmpfs is not permitted here (needs "
                     "root)\n";
    } else {
        ReplaceContents(stockStick, tightStick);
        std::cout << "Stick with room for one sound archive: " << tight.Space().first / 1024
                  << " KB free, sound archive " << archiveSize / 1024 << " KB\n";
        complete = tight.Space().first < archiveSize && complete;
        complete = RunCase("a stick with room for one archive", driver, work / "scratch" / "tight", tightStick,
                           stockStick, freshProgram, tally) &&
                   complete;
    }
    tight.Unmount();
    scratch.Unmount();

    std::cout << "injected failures: " << tally.injectedTried << " tried, " << tally.injectedBroken << " broken\n";
    std::cout << "interrupts: " << tally.interruptsTried << " tried, " << tally.interruptsBroken << " broken\n";
    tally.passed += tally.injectedTried - tally.injectedBroken + tally.interruptsTried - tally.interruptsBroken;
    tally.failed += tally.injectedBroken + tally.interruptsBroken;
    std::cout << tally.passed << " passed, " << tally.failed << " failed\n";
    return complete && tally.failed == 0 ? 0 : 1;
}
