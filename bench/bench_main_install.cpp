// Benchmark of the Main install: the merge into the work archive
// and the copy to the stick, against the verified copy of the same bytes
// on the same disk: the system's own copies (cp --reflink=never of the base
// to a work file, then of the work file to the stick folder), sync, and the
// stick's file read back past the cache and compared, as the install must.
//
//   tamsiro_bench [--dir DIR] [--cases realistic,many,huge] [--runs N]
//
// Each case generates its own archives under DIR, measures the anchors and
// the install alternately N times, prints median wall times, each run's
// ratio as a median with its minimum and maximum, the peak resident memory
// of the merging process and the entry counts, and removes its files. The
// install runs in a child process (this program again, with --install) so
// that its peak memory is its own.
#include "app/app_context.h"
#include "app/user_interface.h"
#include "archive/archive_merge.h"
#include "archive/oda_archive.h"
#include "archive/oda_format.h"
#include "bench/bench_support.h"
#include "bench/verified_copy.h"
#include "install/main_install.h"
#include "stick/stick.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/utsname.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tamsiro::bench;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

bool gKeep = false;  // --keep: leave the last case's files for profiling

// ---------------------------------------------------------------------------
// The install, as the child process runs it.

class SilentUi : public tamsiro::HeadlessUserInterface {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool Ask(const std::string&, tamsiro::DefaultButton) override { return false; }
};

// Peak resident memory of this process image, in KiB (VmHWM: since exec,
// unlike ru_maxrss, which also counts the parent's pages the child had
// between fork and exec).
long PeakRssKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

int RunInstall(const std::string& programFolder, const std::string& stickRoot, const std::string& setPath) {
    SilentUi ui;
    tamsiro::AppContext context(ui, programFolder);
    const bool ok = tamsiro::InstallMain(context, tamsiro::Stick(stickRoot), setPath);
    std::printf("%ld\n", PeakRssKiB());
    return ok ? 0 : 1;
}

// The merge alone, into `workPath` (for the breakdown).
int RunMerge(const std::string& basePath, const std::string& setPath, const std::string& workPath) {
    const bool ok = tamsiro::MergeArchiveFiles(basePath, setPath, workPath) == tamsiro::MergeVerdict::Done;
    std::printf("%ld\n", PeakRssKiB());
    return ok ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Archive generation, streamed: nothing the size of an archive is held in
// memory.

struct EntrySpec {
    std::string name;
    std::uint32_t size;
};

// Deterministic filler that is not trivially compressible or repetitive
// within an entry.
class Filler {
public:
    Filler() : pattern_(4 * kMiB) {
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (auto& b : pattern_) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            b = static_cast<unsigned char>(x);
        }
    }
    // Writes `size` bytes for (seed) to the file.
    bool Write(std::FILE* file, std::uint64_t size, std::uint64_t seed) const {
        std::uint64_t start = (seed * 2654435761ull) % (pattern_.size() / 2);
        while (size > 0) {
            const std::uint64_t chunk = std::min<std::uint64_t>(size, pattern_.size() / 2);
            if (std::fwrite(pattern_.data() + start, 1, chunk, file) != chunk) return false;
            size -= chunk;
            start = (start + 4099) % (pattern_.size() / 2);
        }
        return true;
    }

private:
    std::vector<unsigned char> pattern_;
};

bool WriteGeneratedArchive(const std::string& path, const std::vector<EntrySpec>& entries, std::uint64_t seed,
                           const Filler& filler) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::vector<char> buffer(kMiB);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    tamsiro::OdaHeader header;
    std::memcpy(header.bytes.data(), "ODAR", 4);
    header.SetCount(static_cast<std::int32_t>(entries.size()));
    bool ok = std::fwrite(header.bytes.data(), 1, 64, file) == 64;
    std::uint64_t offset = 64 + 144 * entries.size();
    for (const EntrySpec& spec : entries) {
        tamsiro::OdaEntry entry;
        std::memcpy(entry.bytes.data(), "WAVE", 4);
        std::memcpy(entry.bytes.data() + 4, spec.name.data(), std::min<std::size_t>(spec.name.size(), 127));
        entry.SetOffset(static_cast<std::int32_t>(offset));
        entry.SetSize(spec.size);
        ok = ok && std::fwrite(entry.bytes.data(), 1, 144, file) == 144;
        offset += spec.size;
    }
    for (std::size_t i = 0; i < entries.size() && ok; ++i) ok = filler.Write(file, entries[i].size, seed * 1000003 + i);
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

std::string SoundName(std::size_t i) {
    char name[32];
    std::snprintf(name, sizeof name, "SND%06zu.WAV", i);
    return name;
}

struct Case {
    std::string name;
    std::string description;
    std::vector<EntrySpec> base;
    std::vector<EntrySpec> set;
};

Case MakeCase(const std::string& name) {
    Case c;
    c.name = name;
    if (name == "realistic") {
        c.description = "2,000 entries, about 20 MiB; the set replaces a quarter";
        for (std::size_t i = 0; i < 2000; ++i)
            c.base.push_back({SoundName(i), static_cast<std::uint32_t>(6000 + (i * 7919) % 9000)});
        for (std::size_t i = 0; i < 2000; i += 4)
            c.set.push_back({SoundName(i), static_cast<std::uint32_t>(5000 + (i * 104729) % 11000)});
    } else if (name == "many") {
        c.description = "100,000 entries, about 1 GiB; the set replaces half";
        for (std::size_t i = 0; i < 100000; ++i)
            c.base.push_back({SoundName(i), static_cast<std::uint32_t>(6000 + (i * 7919) % 9500)});
        for (std::size_t i = 0; i < 100000; i += 2)
            c.set.push_back({SoundName(i), static_cast<std::uint32_t>(5500 + (i * 104729) % 10500)});
    } else if (name == "huge") {
        c.description = "one entry of 512 MiB, replaced by the set";
        c.base.push_back({"HUGE.WAV", static_cast<std::uint32_t>(512 * kMiB)});
        c.set.push_back({"HUGE.WAV", static_cast<std::uint32_t>(512 * kMiB)});
    }
    return c;
}

// ---------------------------------------------------------------------------
// Timing helpers.

std::string FirstLineStarting(const std::string& path, const std::string& prefix) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) return line.substr(line.find(':') + 1);
    }
    return {};
}

void PrintMachine(const std::string& dir) {
    struct utsname names {};
    ::uname(&names);
    std::printf("machine: %s, %ld cores,%s memory, Linux %s, work folder %s (%s)\n",
                FirstLineStarting("/proc/cpuinfo", "model name").c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
                FirstLineStarting("/proc/meminfo", "MemTotal").c_str(), names.release, dir.c_str(),
                FileSystemOf(dir).c_str());
}

// Checks the installed archive against the two sources: count, packing and
// every entry's size, and the data of a sample of entries byte for byte.
bool Verify(const std::string& installed, const std::string& basePath, const std::string& setPath) {
    tamsiro::OdaArchive out, base, set;
    if (!out.Open(installed) || !base.Open(basePath) || !set.Open(setPath)) return false;
    if (out.TableSize() != base.TableSize()) return false;
    std::int64_t expected = 64 + 144 * static_cast<std::int64_t>(out.TableSize());
    std::vector<unsigned char> a(kMiB), b(kMiB);
    for (std::size_t i = 0; i < out.TableSize(); ++i) {
        const std::optional<std::size_t> j = set.Find(base.Entry(i));
        tamsiro::OdaArchive& from = j ? set : base;
        const tamsiro::OdaEntry& source = j ? set.Entry(*j) : base.Entry(i);
        const tamsiro::OdaEntry& entry = out.Entry(i);
        if (entry.Offset() != expected || entry.Size() != source.Size()) return false;
        expected += entry.Size();
        if (i % 997 != 0 && i + 1 != out.TableSize()) continue;
        std::uint64_t left = entry.Size();
        std::int64_t at = entry.Offset();
        std::int64_t fromAt = source.Offset();
        while (left > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, a.size()));
            if (!out.Source().ReadAt(at, a.data(), n) || !from.Source().ReadAt(fromAt, b.data(), n)) return false;
            if (std::memcmp(a.data(), b.data(), n) != 0) return false;
            at += static_cast<std::int64_t>(n);
            fromAt += static_cast<std::int64_t>(n);
            left -= n;
        }
    }
    return expected == out.FileSize();
}

struct Row {
    std::string name;
    std::size_t baseEntries = 0, setEntries = 0, replaced = 0;
    std::uint64_t bytes = 0;
    double copy = 0, firstCopy = 0, merge = 0, anchor = 0, verified = 0, install = 0;
    Spread installRatio, mergeRatio;  // against the verified copy, the merge against the first cp
    long rssKiB = 0;
    std::uint64_t tablesAndIndex = 0;
    bool ok = false;
};

std::uint64_t TablesAndIndexBytes(std::size_t baseEntries, std::size_t setEntries) {
    std::uint64_t slots = 16;
    while (slots < setEntries * 2) slots *= 2;
    return 144 * (2 * static_cast<std::uint64_t>(baseEntries) + setEntries) + 4 * slots;
}

Row RunCase(const Case& c, const std::string& root, const std::string& self, int runs, const Filler& filler) {
    Row row;
    row.name = c.name;
    row.baseEntries = c.base.size();
    row.setEntries = c.set.size();
    const fs::path dir = fs::path(root) / ("case-" + c.name);
    fs::remove_all(dir);
    const fs::path program = dir / "program";
    const fs::path stick = dir / "stick";
    const fs::path stickData = stick / "OPEN-R" / "MW" / "DATA" / "P";
    fs::create_directories(program);
    fs::create_directories(stickData);
    const std::string basePath = (program / "DATA_BASEMIND3.ODA").string();
    const std::string setPath = (program / "DATA_M3_Tilda.ODA").string();
    const std::string target = (stickData / "DYNAUDIO.ODA").string();
    const std::string anchorWork = (program / "ANCHOR.ODA").string();

    std::printf("  %s: %s; generating...\n", c.name.c_str(), c.description.c_str());
    std::fflush(stdout);
    if (!WriteGeneratedArchive(basePath, c.base, 1, filler) || !WriteGeneratedArchive(setPath, c.set, 2, filler)) {
        std::fprintf(stderr, "could not generate the %s case under %s\n", c.name.c_str(), dir.c_str());
        fs::remove_all(dir);
        return row;
    }
    row.bytes = fs::file_size(basePath);
    {
        tamsiro::OdaArchive base, set;
        if (!base.Open(basePath) || !set.Open(setPath)) {
            std::fprintf(stderr, "the generated %s archives do not open\n", c.name.c_str());
            fs::remove_all(dir);
            return row;
        }
        for (std::size_t i = 0; i < base.TableSize(); ++i) row.replaced += set.Find(base.Entry(i)).has_value();
    }
    row.tablesAndIndex = TablesAndIndexBytes(row.baseEntries, row.setEntries);

    std::vector<double> copies, firstCopies, merges, anchors, verifieds, installs, installRatios, mergeRatios;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        // 1. The bare copy: cp twice, into a stick folder where no archive
        //    is yet (removed before the clock starts), the work file left.
        fs::remove(target);
        ::sync();
        double t0 = Now();
        ok = Spawn({"cp", "--reflink=never", basePath, anchorWork}).status == 0;
        const double t1 = Now();
        ok = ok && Spawn({"cp", "--reflink=never", anchorWork, target}).status == 0;
        copies.push_back(Now() - t0);
        firstCopies.push_back(t1 - t0);
        fs::remove(anchorWork);

        // 1b. The merge alone against the first copy: base and set into the
        //     work archive.
        ::sync();
        t0 = Now();
        ok = ok && Spawn({self, "--merge", basePath, setPath, (program / "TMP.ODA").string()}).status == 0;
        merges.push_back(Now() - t0);
        fs::remove(program / "TMP.ODA");

        // 2. The anchor: the same copies with the file operations the install
        //    does around them, done by the system: delete the stick's
        //    archive, copy the base to the work file, copy the work file to
        //    the stick, delete the work file, and sync, as the install
        //    flushes the stick's new archive before it reports success.
        ::sync();
        t0 = Now();
        fs::remove(target);
        ok = ok && Spawn({"cp", "--reflink=never", basePath, anchorWork}).status == 0 &&
             Spawn({"cp", "--reflink=never", anchorWork, target}).status == 0;
        fs::remove(anchorWork);
        ok = ok && Spawn({"sync"}).status == 0;
        anchors.push_back(Now() - t0);

        // 2b. The verified copy, the anchor the install is held to: the
        //     same, with the stick's archive read back from the device and
        //     compared with the work file before that is deleted, as the
        //     install checks its copy before it reports success.
        ::sync();
        t0 = Now();
        fs::remove(target);
        ok = ok && Spawn({"cp", "--reflink=never", basePath, anchorWork}).status == 0 &&
             Spawn({"cp", "--reflink=never", anchorWork, target}).status == 0 && Spawn({"sync"}).status == 0 &&
             ReadBackMatches(anchorWork, target);
        fs::remove(anchorWork);
        verifieds.push_back(Now() - t0);

        // 3. The install, finding an archive on the stick as a real stick has.
        ::sync();
        t0 = Now();
        const ChildResult child = Spawn({self, "--install", program.string(), stick.string(), setPath});
        installs.push_back(Now() - t0);
        const long rssKiB = std::atol(child.output.c_str());
        row.rssKiB = std::max(row.rssKiB, rssKiB);
        ok = ok && child.status == 0;
        if (run == 0) ok = ok && Verify(target, basePath, setPath);
        installRatios.push_back(installs.back() / verifieds.back());
        mergeRatios.push_back(merges.back() / firstCopies.back());
        std::printf(
            "    run %d: cp x2 %.3f s (first cp %.3f s, merge alone %.3f s), cp x2 + sync %.3f s, verified copy "
            "%.3f s, install %.3f s (%.2f), peak RSS %.1f MiB%s\n",
            run + 1, copies.back(), firstCopies.back(), merges.back(), anchors.back(), verifieds.back(),
            installs.back(), installRatios.back(), rssKiB / 1024.0, ok ? "" : "  FAILED");
        std::fflush(stdout);
    }
    row.ok = ok;
    row.copy = Median(copies);
    row.firstCopy = Median(firstCopies);
    row.merge = Median(merges);
    row.anchor = Median(anchors);
    row.verified = Median(verifieds);
    row.install = Median(installs);
    row.installRatio = SpreadOf(installRatios);
    row.mergeRatio = SpreadOf(mergeRatios);
    if (!gKeep) fs::remove_all(dir);
    return row;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--install") return RunInstall(argv[2], argv[3], argv[4]);
    if (argc == 5 && std::string(argv[1]) == "--merge") return RunMerge(argv[2], argv[3], argv[4]);

    std::string dir = "build/bench/work";
    std::string cases = "realistic,many,huge";
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (arg == "--cases" && i + 1 < argc)
            cases = argv[++i];
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep")
            gKeep = true;
        else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--cases realistic,many,huge] [--runs N] [--keep]\n", argv[0]);
            return 2;
        }
    }
    std::error_code error;
    fs::create_directories(dir, error);
    dir = fs::absolute(dir).string();
    const std::string self = fs::canonical("/proc/self/exe").string();

    PrintMachine(dir);
    std::printf(
        "cp x2:   cp --reflink=never base -> work file, then work file -> stick folder (no archive there yet)\n"
        "cp x2 + sync:  rm stick archive; cp --reflink=never base -> work file; cp work file -> stick; rm work "
        "file; sync\n"
        "verified copy: the same, then the stick's archive read back past the cache and compared with the work "
        "file, before it is removed\n"
        "install: InstallMain: merge into TMP.ODA, copy beside the stick archive, flush, read back, replace, "
        "delete TMP.ODA\n"
        "merge alone: the merge into TMP.ODA only, against the first cp alone\n"
        "%d runs of each, interleaved, after sync; medians, and each run's ratio as median (min-max)\n",
        runs);
    const Filler filler;
    std::vector<Row> rows;
    for (const std::string& name : Split(cases)) {
        const Case c = MakeCase(name);
        if (c.base.empty()) {
            std::fprintf(stderr, "unknown case %s\n", name.c_str());
            return 2;
        }
        rows.push_back(RunCase(c, dir, self, runs, filler));
    }
    fs::remove(dir, error);  // only when empty

    std::printf(
        "\n| case | base entries | set entries | replaced | base size | cp x2 + sync | verified copy | merge + install "
        "| install / verified copy (min-max) | peak RSS | of which tables + index |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    bool allOk = true;
    for (const Row& r : rows) {
        allOk = allOk && r.ok;
        std::printf(
            "| %s | %zu | %zu | %zu | %.1f MiB | %.3f s | %.3f s | %.3f s | %.2f (%.2f-%.2f) | %.1f MiB | %.1f MiB "
            "|%s\n",
            r.name.c_str(), r.baseEntries, r.setEntries, r.replaced, static_cast<double>(r.bytes) / kMiB, r.anchor,
            r.verified, r.install, r.installRatio.median, r.installRatio.min, r.installRatio.max, r.rssKiB / 1024.0,
            static_cast<double>(r.tablesAndIndex) / kMiB, r.ok ? "" : " FAILED");
    }
    std::printf(
        "\nBreakdown (medians):\n\n| case | cp x2 | install / cp x2 | first cp (base -> work) | merge alone | merge / "
        "first cp (min-max) |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const Row& r : rows) {
        std::printf("| %s | %.3f s | %.2f | %.3f s | %.3f s | %.2f (%.2f-%.2f) |\n", r.name.c_str(), r.copy,
                    r.copy > 0 ? r.install / r.copy : 0.0, r.firstCopy, r.merge, r.mergeRatio.median, r.mergeRatio.min,
                    r.mergeRatio.max);
    }
    return allOk ? 0 : 1;
}
