// Benchmark of a full Save (Main, Games, Voice) to a stick folder, with its
// flushes and read-back checks, against two anchors made of the same output
// files: cp followed by sync, and that "verified copy" read back past the
// cache and compared, as the Save checks its own copies. Also counts the
// bytes of sound files that a second Save of the same selection writes (it
// should be none), and says what the ratios depend on: the flushes the Save
// makes and what one flush costs on this disk.
//
//   tamsiro_bench_save [--dir DIR] [--runs N] [--keep]
#include "app/app_context.h"
#include "archive/archive_merge.h"
#include "bench/bench_support.h"
#include "bench/verified_copy.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_change_hook.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "tools/sample_workspace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tamsiro;
using namespace tamsiro::bench;

namespace {

constexpr int kStickEntries = 2000;  // about 16 MiB of sound archive

class YesUi : public HeadlessUserInterface {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool Ask(const std::string&, DefaultButton) override { return true; }
};

const SaveSelection kAll{.main = "Tilda", .games = "Tilda", .voice = "MiniTilda", .voiceOffersMaleVoiceRemoval = false};

// The Save as the child process runs it; prints the bytes it wrote to sound
// files on the stick, then the flushes it made (files and folders).
int RunSave(const std::string& program, const std::string& stickRoot) {
    YesUi ui;
    AppContext context(ui, program);
    FileChangeRecorder recorder;
    if (!Save(context, Stick(stickRoot), kAll)) return 1;
    unsigned long long soundBytes = 0;
    unsigned flushes = 0;
    for (const RecordedFileChange& change : recorder.Changes()) {
        if (change.operation == FileOperation::Flush) ++flushes;
        const bool onStick = change.path.rfind(stickRoot, 0) == 0;
        const bool sound =
            change.path.find(".ODA") != std::string::npos || change.path.find(".NEW") != std::string::npos;
        if (change.operation == FileOperation::Write && onStick && sound) soundBytes += change.bytes;
    }
    std::printf("%llu\n%u\n", soundBytes, flushes);
    return 0;
}

// What one small write and its flush cost on the disk under `dir`: the
// Save's extra flushes are where its time over the anchor goes.
double FlushLatency(const fs::path& dir) {
    const std::string path = (dir / "flush-probe").string();
    std::vector<double> times;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) return -1;
    char block[4096] = {};
    for (int i = 0; i < 21; ++i) {
        const double start = Now();
        if (::pwrite(fd, block, sizeof block, 0) != static_cast<ssize_t>(sizeof block) || ::fsync(fd) != 0) break;
        times.push_back(Now() - start);
    }
    ::close(fd);
    ::unlink(path.c_str());
    return times.empty() ? -1 : Median(times);
}

bool MakeWorkspace(const fs::path& dir) {
    using namespace samples;
    fs::create_directories(dir / "program");
    StickOptions stick;
    stick.soundEntries = kStickEntries;
    bool ok = WriteSampleStick((dir / "stick-template").string(), stick);
    const std::string stickArchive = Stick((dir / "stick-template").string()).Path(stick_files::kSoundArchive);
    ok = ok && WriteArchive(stickArchive, StickSoundEntries(kStickEntries, 8000));
    const fs::path program = dir / "program";
    auto set = [&](const char* prefix, const char* label) { return (program / DataFileName(prefix, label)).string(); };
    ok = ok && WriteArchive(set("M3", "Tilda"), MainSetEntries(kStickEntries, 3, 1, 8000));
    ok = ok && WriteArchive(set("G3A", "Tilda"), {{"WAVE", "GAME1.WAV", SyntheticTone(1 << 20, 5)}});
    ok = ok && WriteArchive(set("G3B", "Tilda"), {{"WAVE", "GAME8.WAV", SyntheticTone(1 << 20, 6)}});
    ok = ok && WriteArchive(set("V3", "MiniTilda"), {{"WAVE", "VOICE.WAV", SyntheticTone(3 << 20, 7)}});
    std::error_code error;
    fs::copy_file(stickArchive, program / std::string(program_files::kBaseArchive), error);
    return ok && !error;
}

void FreshStick(const fs::path& dir, const std::string& name) {
    std::error_code error;
    fs::remove_all(dir / name, error);
    fs::copy(dir / "stick-template", dir / name, fs::copy_options::recursive, error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--save") return RunSave(argv[2], argv[3]);
    std::string dir = "build/bench/work";
    int runs = 15;
    bool keep = false;  // --keep: leave the files for profiling
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep")
            keep = true;
        else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--runs N] [--keep]\n", argv[0]);
            return 2;
        }
    }
    const fs::path root = fs::absolute(fs::path(dir) / "save");
    std::error_code error;
    fs::remove_all(root, error);  // what a --keep run left
    if (!MakeWorkspace(root)) {
        std::fprintf(stderr, "could not generate the save case under %s\n", root.c_str());
        return 1;
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string program = (root / "program").string();

    // The files a Save leaves, made once, for the anchor to copy.
    FreshStick(root, "reference");
    if (Spawn({self, "--save", program, (root / "reference").string()}).status != 0) return 1;
    const Stick reference((root / "reference").string());
    const std::string merged = program + "/MERGED.ODA";
    fs::copy_file(reference.Path(stick_files::kSoundArchive), merged, fs::copy_options::overwrite_existing);

    // Each run times the anchors and the Save back to back; a ratio is the
    // median of the runs' ratios, which drifts less with the machine's load
    // than a ratio of medians.
    const std::vector<std::pair<std::string, std::string_view>> copies = {
        {merged, stick_files::kSoundArchive},
        {program + "/" + DataFileName("G3A", "Tilda"), stick_files::kGame1},
        {program + "/" + DataFileName("G3B", "Tilda"), stick_files::kGame8},
        {program + "/" + DataFileName("V3", "MiniTilda"), stick_files::kCustomVoice},
    };
    std::vector<double> anchor, verified, recheck, merge, save, ratio, verifiedRatio, builtRatio, checkedRatio;
    std::string firstOutput, secondOutput;
    for (int run = 0; run < runs; ++run) {
        FreshStick(root, "anchor");
        const Stick target((root / "anchor").string());
        Spawn({"sync"});
        double start = Now();
        for (const auto& [source, stickPath] : copies) Spawn({"cp", "--reflink=never", source, target.Path(stickPath)});
        Spawn({"sync"});
        anchor.push_back(Now() - start);
        for (const auto& [source, stickPath] : copies) {
            if (!ReadBackMatches(source, target.Path(stickPath))) {
                std::fprintf(stderr, "the verified copy of %s does not match\n", source.c_str());
                return 1;
            }
        }
        verified.push_back(Now() - start);
        // The Save reads every file it leaves back once more at the end,
        // before it reports success: the same reads again.
        start = Now();
        for (const auto& [source, stickPath] : copies) {
            if (!ReadBackMatches(source, target.Path(stickPath))) {
                std::fprintf(stderr, "the second read-back of %s does not match\n", source.c_str());
                return 1;
            }
        }
        recheck.push_back(Now() - start);

        // The merge the Save makes before it copies anything: the work
        // archive it builds in its own folder.
        start = Now();
        const std::string work = program + "/ANCHOR.ODA";
        if (MergeArchiveFiles(program + "/" + std::string(program_files::kBaseArchive),
                              program + "/" + DataFileName("M3", "Tilda"), work) != MergeVerdict::Done) {
            std::fprintf(stderr, "the merge anchor failed\n");
            return 1;
        }
        fs::remove(work, error);
        merge.push_back(Now() - start);

        FreshStick(root, "stick");
        Spawn({"sync"});
        start = Now();
        const ChildResult firstSave = Spawn({self, "--save", program, (root / "stick").string()});
        if (firstSave.status != 0) return 1;
        firstOutput = firstSave.output;
        save.push_back(Now() - start);
        ratio.push_back(save.back() / anchor.back());
        verifiedRatio.push_back(save.back() / verified.back());
        builtRatio.push_back(save.back() / (merge.back() + verified.back()));
        checkedRatio.push_back(save.back() / (merge.back() + verified.back() + recheck.back()));
        const ChildResult secondSave = Spawn({self, "--save", program, (root / "stick").string()});
        if (secondSave.status != 0) return 1;
        secondOutput = secondSave.output;
    }
    auto line = [](const std::string& output, int index) {
        std::size_t start = 0;
        for (int i = 0; i < index && start != std::string::npos; ++i) {
            start = output.find('\n', start);
            if (start != std::string::npos) ++start;
        }
        if (start == std::string::npos || start >= output.size()) return std::string("?");
        return output.substr(start, output.find('\n', start) - start);
    };
    const Spread a = SpreadOf(anchor), v = SpreadOf(verified), s = SpreadOf(save);
    const Spread r = SpreadOf(ratio), rv = SpreadOf(verifiedRatio), rb = SpreadOf(builtRatio), m = SpreadOf(merge);
    const Spread c = SpreadOf(recheck), rc = SpreadOf(checkedRatio);
    std::printf(
        "| case | cp x4 + sync | verified copy | full Save | Save / cp+sync (min-max) | Save / verified (min-max) | "
        "sound bytes written by a second Save |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    std::printf(
        "| save to a stick folder (%.1f MiB archive, %d runs) | %.3f s | %.3f s | %.3f s | %.2f (%.2f-%.2f) | %.2f "
        "(%.2f-%.2f) | %s |\n",
        static_cast<double>(fs::file_size(merged)) / (1 << 20), runs, a.median, v.median, s.median, r.median, r.min,
        r.max, rv.median, rv.min, rv.max, line(secondOutput, 0).c_str());
    // The Save builds the new archive before it copies it; the anchors copy
    // it ready-made. What is left is the Save's own bookkeeping.
    std::printf("\nThe merge alone: %.3f s; Save / (merge + verified copy): %.2f (%.2f-%.2f).\n", m.median, rb.median,
                rb.min, rb.max);
    std::printf(
        "The last check (every file read back once more): %.3f s; "
        "Save / (merge + verified copy + that read-back): %.2f (%.2f-%.2f).\n",
        c.median, rc.median, rc.min, rc.max);
    // The ratios move with the disk: the anchors flush once (sync), the
    // Save flushes every file and folder it changes, each a round trip to
    // the device.
    std::printf(
        "\nWhat the ratios depend on: %s under %s, one 4 KiB write and flush %.2f ms (median of 21); "
        "the Save makes %s flushes, the anchors one sync.\n",
        FileSystemOf(root.string()).c_str(), root.c_str(), FlushLatency(root) * 1000, line(firstOutput, 1).c_str());
    if (!keep) fs::remove_all(root, error);
    return 0;
}
