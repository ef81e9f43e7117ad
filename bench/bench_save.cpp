// Benchmark of a full Save (Main, Games, Voice) to a stick folder, with its
// flushes and read-back checks, against the same output files copied by cp
// followed by sync. Also counts the bytes of sound files that a second Save
// of the same selection writes (it should be none).
//
//   tamsiro_bench_save [--dir DIR] [--runs N] [--keep]
#include "app/app_context.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_change_hook.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "tools/sample_workspace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tamsiro;

namespace {

constexpr int kStickEntries = 2000;  // about 16 MiB of sound archive

class YesUi : public HeadlessUserInterface {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool Ask(const std::string&, DefaultButton) override { return true; }
};

const SaveSelection kAll{.main = "Tilda", .games = "Tilda", .voice = "MiniTilda", .voiceOffersMaleVoiceRemoval = false};

// The Save as the child process runs it; prints the bytes it wrote to sound
// files on the stick.
int RunSave(const std::string& program, const std::string& stickRoot) {
    YesUi ui;
    AppContext context(ui, program);
    FileChangeRecorder recorder;
    if (!Save(context, Stick(stickRoot), kAll)) return 1;
    unsigned long long soundBytes = 0;
    for (const RecordedFileChange& change : recorder.Changes()) {
        const bool onStick = change.path.rfind(stickRoot, 0) == 0;
        const bool sound = change.path.find(".ODA") != std::string::npos || change.path.find(".NEW") != std::string::npos;
        if (change.operation == FileOperation::Write && onStick && sound) soundBytes += change.bytes;
    }
    std::printf("%llu\n", soundBytes);
    return 0;
}

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Runs a program; its standard output in `output`. The exit status.
int Run(const std::vector<std::string>& argv, std::string* output = nullptr) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        std::_Exit(127);
    }
    ::close(pipeFds[1]);
    char chunk[256];
    std::string text;
    for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
        if (arg == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep") keep = true;
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
    if (Run({self, "--save", program, (root / "reference").string()}) != 0) return 1;
    const Stick reference((root / "reference").string());
    const std::string merged = program + "/MERGED.ODA";
    fs::copy_file(reference.Path(stick_files::kSoundArchive), merged, fs::copy_options::overwrite_existing);

    // Each run times the anchor and the Save back to back; the ratio is the
    // median of their ratios, which drifts less with the machine's load than
    // a ratio of medians.
    std::vector<double> anchor, save, ratio;
    std::string secondBytes;
    for (int run = 0; run < runs; ++run) {
        FreshStick(root, "anchor");
        const Stick target((root / "anchor").string());
        Run({"sync"});
        double start = Now();
        Run({"cp", "--reflink=never", merged, target.Path(stick_files::kSoundArchive)});
        Run({"cp", "--reflink=never", program + "/" + DataFileName("G3A", "Tilda"), target.Path(stick_files::kGame1)});
        Run({"cp", "--reflink=never", program + "/" + DataFileName("G3B", "Tilda"), target.Path(stick_files::kGame8)});
        Run({"cp", "--reflink=never", program + "/" + DataFileName("V3", "MiniTilda"), target.Path(stick_files::kCustomVoice)});
        Run({"sync"});
        anchor.push_back(Now() - start);

        FreshStick(root, "stick");
        Run({"sync"});
        start = Now();
        if (Run({self, "--save", program, (root / "stick").string()}) != 0) return 1;
        save.push_back(Now() - start);
        ratio.push_back(save.back() / anchor.back());
        if (Run({self, "--save", program, (root / "stick").string()}, &secondBytes) != 0) return 1;
    }
    const double a = Median(anchor), s = Median(save), r = Median(ratio);
    std::printf("| case | anchor (cp x4 + sync) | full Save | median ratio | sound bytes written by a second Save |\n");
    std::printf("|---|---:|---:|---:|---:|\n");
    std::printf("| save to a stick folder (%.1f MiB archive) | %.3f s | %.3f s | %.2f | %s |\n",
                static_cast<double>(fs::file_size(merged)) / (1 << 20), a, s, r,
                secondBytes.empty() ? "?" : secondBytes.substr(0, secondBytes.find('\n')).c_str());
    if (!keep) fs::remove_all(root, error);
    return 0;
}
