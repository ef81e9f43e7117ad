// The crash-point test: a whole Save (from a fresh program folder, so the
// base backup too) and a Restore are stopped before each of their file
// operations in turn (TAMSIRO_CRASH_AT, app/file_change_hook.h). After each
// crash Tamsiro starts again on the same folders, taking the repair offer
// when it comes, and then the stick and the program folder must hold:
// - DATA_BASEMIND3.ODA and every kept stock file byte-identical to the
//   stock stick, and nothing half-made in the program folder;
// - DYNAUDIO.ODA the archive from before, the complete new one or the base,
//   never a fragment;
// - the two Games files as a pair from before or the new pair;
// - MCUSLIST.CFG and MCUS.CFG each the one from before or the new one;
// - no temporary file on the stick;
// and a Restore then gives back the stock stick byte for byte.
// Runs on a roomy stick and, where a tmpfs can be mounted (root), on a stick
// with room for only one sound archive.
//
//   tamsiro_crash_test DRIVER [WORK-FOLDER]
#include "tests/undo/stock_stick.h"
#include "tools/sample_workspace.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tamsiro::testing;

constexpr int kSoundEntries = 200;  // a sound archive of about 220 KB
constexpr int kCrashExit = 86;

struct DriverRun {
    int exitCode = -1;
    std::string output;
    unsigned long fileChanges = 0;
};

// Runs the driver straight (no shell between), its output into `log`.
DriverRun RunDriver(const std::string& driver, const fs::path& program, const fs::path& stick, const std::string& command,
                    unsigned long crashAt, const fs::path& log) {
    DriverRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const std::string crashSetting = "TAMSIRO_CRASH_AT=" + std::to_string(crashAt);
    const std::string programArg = program.string();
    const std::string stickArg = stick.string();
    std::vector<char*> args{const_cast<char*>(driver.c_str()), const_cast<char*>(programArg.c_str()),
                            const_cast<char*>(stickArg.c_str()), const_cast<char*>(command.c_str()), nullptr};
    std::vector<char*> environment{const_cast<char*>(crashSetting.c_str()), nullptr};
    pid_t child = 0;
    const bool started = posix_spawn(&child, driver.c_str(), &actions, nullptr, args.data(), environment.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (started && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    std::ifstream in(log);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::size_t at = run.output.rfind("file changes: ");
    if (at != std::string::npos) run.fileChanges = std::strtoul(run.output.c_str() + at + 14, nullptr, 10);
    return run;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One command (save or restore) cut short at every point, from a given
// state of the stick and the program folder.
struct Phase {
    std::string name;
    std::string command;
    fs::path stickFrom;    // the stick before the command
    fs::path programFrom;  // the program folder before it
    Tree before;           // stick before
    Tree after;            // stick after a complete run
};

class CrashCase {
public:
    CrashCase(std::string driver, fs::path work, fs::path stick, const Tree& stock)
        : driver_(std::move(driver)), work_(std::move(work)), stick_(std::move(stick)), stock_(stock) {}

    // What breaks, in words; nothing when every invariant holds.
    std::vector<std::string> CheckAfterRestart(const Phase& phase) const {
        std::vector<std::string> broken;
        const Tree stick = ReadTree(stick_);
        const Tree program = ReadTree(Program());
        auto oneOf = [&](const char* path, std::initializer_list<std::optional<std::string>> allowed) {
            const auto actual = FileIn(stick, path);
            for (const auto& candidate : allowed) {
                if (actual == candidate) return;
            }
            broken.push_back(std::string(path) + (actual ? " is neither the old nor the new file" : " is missing"));
        };
        oneOf(kSoundArchive, {FileIn(phase.before, kSoundArchive), FileIn(phase.after, kSoundArchive), FileIn(stock_, kSoundArchive)});
        oneOf(kVoiceList, {FileIn(phase.before, kVoiceList), FileIn(phase.after, kVoiceList)});
        oneOf(kModeFlags, {FileIn(phase.before, kModeFlags), FileIn(phase.after, kModeFlags)});
        const auto pair = std::make_pair(FileIn(stick, kGame1), FileIn(stick, kGame8));
        if (pair != std::make_pair(FileIn(phase.before, kGame1), FileIn(phase.before, kGame8)) &&
            pair != std::make_pair(FileIn(phase.after, kGame1), FileIn(phase.after, kGame8))) {
            broken.push_back("the Games files are not a matching pair");
        }
        for (const auto& [path, bytes] : stick) {
            if (EndsWith(path, ".NEW") || EndsWith(path, ".RDY") || EndsWith(path, ".TMP")) broken.push_back(path + " left on the stick");
        }
        for (const auto& [path, bytes] : program) {
            if (EndsWith(path, ".partial")) broken.push_back(path + " left in the program folder");
            if (path == "DATA_BASEMIND3.ODA" && bytes != FileIn(stock_, kSoundArchive)) broken.push_back("the base is not the stock archive");
            const std::string store = "DATA_BASEMIND3.FILES/";
            if (path.rfind(store, 0) != 0 || EndsWith(path, ".partial")) continue;
            std::string stickPath = path.substr(store.size());
            if (EndsWith(stickPath, ".absent")) {
                stickPath.resize(stickPath.size() - 7);
                if (FileIn(stock_, stickPath)) broken.push_back(path + ": the stock stick has that file");
            } else if (FileIn(stock_, stickPath) != bytes) {
                broken.push_back(path + " is not the stock file");
            }
        }
        return broken;
    }

    // A complete run of the command from the phase's start; its number of
    // file operations, or 0 when it failed.
    unsigned long Rehearse(const Phase& phase, Tree* stickAfter) {
        Reset(phase);
        const DriverRun run = RunDriver(driver_, Program(), stick_, phase.command, 0, Log());
        if (run.exitCode != 0) {
            std::cout << phase.name << ": the complete run failed:\n" << run.output;
            return 0;
        }
        if (stickAfter) *stickAfter = ReadTree(stick_);
        return run.fileChanges;
    }

    // Crash points 1 to `last`; returns how many broke an invariant.
    // `repaired` counts the restarts that mended DYNAUDIO.ODA from the base.
    int CrashAtEveryPoint(const Phase& phase, unsigned long last, int& repaired) {
        int brokenPoints = 0;
        for (unsigned long k = 1; k <= last; ++k) {
            Reset(phase);
            std::vector<std::string> broken;
            const DriverRun crashed = RunDriver(driver_, Program(), stick_, phase.command, k, Log());
            if (crashed.exitCode != kCrashExit) broken.push_back("did not stop at the crash point (exit " + std::to_string(crashed.exitCode) + ")");
            const DriverRun restart = RunDriver(driver_, Program(), stick_, "start", 0, Log());
            if (restart.exitCode != 0) broken.push_back("the start after the crash failed:\n" + restart.output);
            if (restart.output.find("message: DYNAUDIO.ODA restored") != std::string::npos) ++repaired;
            const std::vector<std::string> invariants = CheckAfterRestart(phase);
            broken.insert(broken.end(), invariants.begin(), invariants.end());
            const DriverRun restore = RunDriver(driver_, Program(), stick_, "restore", 0, Log());
            if (restore.exitCode != 0) broken.push_back("the restore failed:\n" + restore.output);
            for (const std::string& difference : Differences(ReadTree(stick_), stock_)) {
                broken.push_back("after the restore " + difference);
            }
            if (broken.empty()) continue;
            ++brokenPoints;
            if (brokenPoints <= 5) {
                std::cout << "  " << phase.name << ", crash before operation " << k << ":\n";
                for (const std::string& what : broken) std::cout << "    " << what << "\n";
            }
        }
        return brokenPoints;
    }

    fs::path Program() const { return work_ / "program"; }

private:
    fs::path Log() const { return work_ / "driver.log"; }
    void Reset(const Phase& phase) const {
        ReplaceContents(phase.stickFrom, stick_);
        ReplaceContents(phase.programFrom, Program());
    }

    std::string driver_;
    fs::path work_;
    fs::path stick_;
    const Tree& stock_;
};

struct Tally {
    int passed = 0;
    int failed = 0;
};

// Both phases on one stick; false when a complete run already failed.
bool RunCase(const std::string& label, const std::string& driver, const fs::path& work, const fs::path& stick,
             const fs::path& stockStick, const fs::path& freshProgram, Tally& tally) {
    const Tree stock = ReadTree(stockStick);
    CrashCase crashCase(driver, work, stick, stock);

    Phase save{"Save on " + label, "save", stockStick, freshProgram, stock, {}};
    const unsigned long saveOperations = crashCase.Rehearse(save, &save.after);
    if (saveOperations == 0) return false;
    // The state after a complete Save is where the Restore starts.
    const fs::path savedStick = work / "saved-stick";
    const fs::path savedProgram = work / "saved-program";
    ReplaceContents(stick, savedStick);
    ReplaceContents(crashCase.Program(), savedProgram);
    Phase restore{"Restore on " + label, "restore", savedStick, savedProgram, save.after, stock};
    Tree restored;
    const unsigned long restoreOperations = crashCase.Rehearse(restore, &restored);
    if (restoreOperations == 0) return false;
    if (!Differences(restored, stock).empty()) {
        std::cout << restore.name << ": the complete restore does not give back the stock stick\n";
        return false;
    }

    for (const auto& [phase, operations] : {std::pair{&save, saveOperations}, std::pair{&restore, restoreOperations}}) {
        int repaired = 0;
        const int broken = crashCase.CrashAtEveryPoint(*phase, operations, repaired);
        std::cout << phase->name << ": tried " << operations << " crash points, " << broken << " broke an invariant ("
                  << repaired << " restarts repaired DYNAUDIO.ODA)\n";
        tally.passed += static_cast<int>(operations) - broken;
        tally.failed += broken;
    }
    return true;
}

// A tmpfs mounted for the life of the object, where mounting is permitted.
class Tmpfs {
public:
    explicit Tmpfs(fs::path at) : at_(std::move(at)) {}
    ~Tmpfs() { Unmount(); }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool Mount(std::uint64_t bytes) {
        Unmount();
        fs::create_directories(at_);
        const std::string options = "size=" + std::to_string((bytes + 4095) / 4096 * 4) + "k";
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        return mounted_;
    }
    void Unmount() {
        if (mounted_) (void)::umount(at_.c_str());
        mounted_ = false;
    }
    std::uint64_t FreeBytes() const { return Blocks().first; }
    std::uint64_t UsedBytes() const { return Blocks().second; }

private:
    std::pair<std::uint64_t, std::uint64_t> Blocks() const {
        struct statvfs info {};
        if (::statvfs(at_.c_str(), &info) != 0) return {0, 0};
        return {info.f_bavail * info.f_frsize, (info.f_blocks - info.f_bfree) * info.f_frsize};
    }

    fs::path at_;
    bool mounted_ = false;
};

// A stick just big enough for the stock stick and `room` more: no room for
// a second sound archive beside the first.
bool MountTightStick(Tmpfs& stick, const fs::path& at, const fs::path& stockStick, std::uint64_t room) {
    if (!stick.Mount(8u << 20)) return false;
    ReplaceContents(stockStick, at);
    const std::uint64_t used = stick.UsedBytes();
    if (!stick.Mount(used + room)) return false;
    ReplaceContents(stockStick, at);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " DRIVER [WORK-FOLDER]\n";
        return 2;
    }
    const std::string driver = fs::absolute(argv[1]).string();
    const fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / ("tamsiro-crash-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);

    const fs::path stockStick = work / "stock-stick";
    const fs::path freshProgram = work / "fresh-program";
    fs::create_directories(freshProgram);
    if (!WriteStockStick(stockStick.string(), kSoundEntries) ||
        !tamsiro::samples::WriteSampleSoundSets(freshProgram.string(), {{0}, {5}, {0}}, kSoundEntries)) {
        std::cerr << "could not write the sample stick and sound sets\n";
        return 1;
    }

    // Everything runs in memory where it can: flushes cost nothing there,
    // and the order of the operations is what is tested.
    Tmpfs scratch(work / "scratch");
    std::cout << (scratch.Mount(256u << 20) ? "Working in a tmpfs\n" : "Working on disk (no tmpfs)\n");

    Tally tally;
    bool complete = RunCase("a roomy stick", driver, work / "scratch", work / "scratch" / "stick", stockStick, freshProgram, tally);

    const std::uint64_t archiveSize = fs::file_size(stockStick / kSoundArchive);
    const fs::path tightPath = work / "scratch" / "tight" / "stick";
    Tmpfs tight(tightPath);
    if (!MountTightStick(tight, tightPath, stockStick, archiveSize / 4)) {
        std::cout << "Skipped the stick with room for one sound archive: mounting a tmpfs is not permitted here (needs root)\n";
    } else {
        std::cout << "Stick with room for one sound archive: " << tight.FreeBytes() / 1024 << " KB free, sound archive "
                  << archiveSize / 1024 << " KB\n";
        if (tight.FreeBytes() >= archiveSize) {
            std::cout << "The small stick has room for two sound archives after all\n";
            complete = false;
        }
        complete = RunCase("a stick with room for one archive", driver, work / "scratch" / "tight", tightPath, stockStick,
                           freshProgram, tally) &&
                   complete;
    }
    tight.Unmount();
    scratch.Unmount();
    std::error_code ignored;
    if (argc <= 2) fs::remove_all(work, ignored);

    std::cout << tally.passed << " passed, " << tally.failed << " failed\n";
    return complete && tally.failed == 0 ? 0 : 1;
}
