// tamsiro_crash_states: the crash states of a write recording of the FAT
// test's disk (tests/fat/run-crash-states.sh).
//
//   tamsiro_crash_states list LABEL BEFORE-IMAGE LOG [--all-subsets-up-to N] [--subsets N] [--seed S]
//   tamsiro_crash_states apply LABEL LOG IMAGE NAME [IMAGE NAME]...
//
// list: one line per distinct crash state, from the first epoch that holds
// a Tamsiro mark on: its name, its epoch, its writes and the Tamsiro file
// operation marked last before them; then a summary line starting "#".
// apply: writes the state's writes into IMAGE, a copy of BEFORE-IMAGE.
// BEFORE-IMAGE is the disk as it was when the recording began.
#include "tests/fat/disk_regions.h"
#include "tests/fat/write_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace tamsiro::crash;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};

class ImageReader : public DiskReader {
public:
    explicit ImageReader(const std::string& path) : file_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    bool Valid() const { return file_.Valid(); }
    std::string Read(std::uint64_t offset, std::size_t length) const override {
        std::string bytes(length, '\0');
        std::size_t done = 0;
        while (done < length) {
            const ssize_t got = ::pread(file_.Get(), bytes.data() + done, length - done, offset + done);
            if (got <= 0) break;  // past the end: zeros, as a sparse disk reads
            done += static_cast<std::size_t>(got);
        }
        return bytes;
    }

private:
    Descriptor file_;
};

std::optional<Recording> LoadRecording(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << path << "\n";
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    ParsedLog parsed = ParseWriteLog(bytes.str());
    if (!parsed.error.empty()) {
        std::cerr << path << ": " << parsed.error << "\n";
        return std::nullopt;
    }
    return SplitIntoEpochs(std::move(parsed.entries));
}

std::string DescribeState(const Recording& recording, const CrashState& state,
                          const std::vector<Partition>& partitions) {
    const Epoch& epoch = recording.epochs[state.epoch];
    std::string text =
        "epoch " + std::to_string(state.epoch) + " of " + std::to_string(recording.epochs.size()) + ", writes ";
    if (state.chosen.empty()) text += "none";
    for (std::size_t i = 0; i < state.chosen.size(); ++i) text += (i ? "," : "") + std::to_string(state.chosen[i]);
    text += " of " + std::to_string(epoch.writes.size());
    std::string writes;
    for (std::size_t i = 0; i < epoch.writes.size(); ++i) {
        const LogEntry& entry = recording.entries[epoch.writes[i]];
        writes += (i ? "; " : "") + std::to_string(i) + ": " + DescribeWrite(partitions, entry.offset, entry.length);
    }
    // The operation in flight: the last mark before the last write this
    // state keeps, or before the epoch when it keeps none.
    const std::size_t last = state.chosen.empty() ? epoch.firstEntry : epoch.writes[state.chosen.back()];
    const std::string mark = MarkBefore(recording, last);
    return text + " (" + (writes.empty() ? "no writes" : writes) +
           ")\tin flight: " + (mark.empty() ? "nothing yet" : mark);
}

int List(const std::vector<std::string>& args) {
    if (args.size() < 4) return 2;
    const std::string& label = args[1];
    const ImageReader before(args[2]);
    if (!before.Valid()) {
        std::cerr << "cannot read " << args[2] << "\n";
        return 1;
    }
    const std::optional<Recording> recording = LoadRecording(args[3]);
    if (!recording) return 1;
    Enumeration limits{.firstEpoch = FirstMarkedEpoch(*recording)};
    for (std::size_t i = 4; i + 1 < args.size(); i += 2) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(args[i + 1].c_str(), &end, 10);
        if (end == args[i + 1].c_str() || *end != '\0') return 2;
        if (args[i] == "--all-subsets-up-to") {
            limits.allSubsetsUpTo = std::min(value, 16UL);
        } else if (args[i] == "--subsets") {
            limits.sampledSubsets = value;
        } else if (args[i] == "--seed") {
            limits.seed = value;
        } else {
            return 2;
        }
    }
    const std::string mbr = before.Read(0, kDiskSector);
    std::vector<std::string> firstSectors;
    for (const std::uint64_t offset : PartitionOffsets(mbr)) firstSectors.push_back(before.Read(offset, kDiskSector));
    const std::vector<Partition> partitions = ReadPartitions(mbr, {"stick", "program"}, firstSectors);

    const std::vector<CrashState> states = EnumerateStates(*recording, limits);
    const std::vector<DistinctState> distinct = DistinctStates(*recording, states, before);
    for (const DistinctState& found : distinct) {
        std::cout << StateName(label, found.state) << "\t" << DescribeState(*recording, found.state, partitions)
                  << "\n";
    }
    std::size_t cut = 0;
    for (std::size_t e = limits.firstEpoch; e < recording->epochs.size(); ++e)
        cut += recording->epochs[e].writes.size();
    std::cout << "# " << label << ": " << recording->writes << " writes in " << recording->flushes << " flushes, "
              << recording->marks.size() << " marks; from epoch " << limits.firstEpoch << " of "
              << recording->epochs.size() << " (" << cut << " writes): " << states.size() << " crash states, "
              << distinct.size() << " distinct images\n";
    return 0;
}

int Apply(const std::vector<std::string>& args) {
    if (args.size() < 5 || (args.size() - 3) % 2 != 0) return 2;
    const std::optional<Recording> recording = LoadRecording(args[2]);
    if (!recording) return 1;
    for (std::size_t i = 3; i + 1 < args.size(); i += 2) {
        const std::string& image = args[i];
        const std::optional<CrashState> state = ParseStateName(args[i + 1], args[1], *recording);
        if (!state) {
            std::cerr << "no crash state " << args[i + 1] << " in " << args[2] << "\n";
            return 1;
        }
        const Descriptor file(::open(image.c_str(), O_WRONLY | O_CLOEXEC));
        if (!file.Valid()) {
            std::cerr << "cannot write " << image << "\n";
            return 1;
        }
        for (const LogEntry* write : WritesOf(*recording, *state)) {
            if (::pwrite(file.Get(), write->data.data(), write->data.size(), static_cast<off_t>(write->offset)) !=
                static_cast<ssize_t>(write->data.size())) {
                std::cerr << "cannot write " << image << "\n";
                return 1;
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int result = 2;
    if (!args.empty() && args[0] == "list") result = List(args);
    if (!args.empty() && args[0] == "apply") result = Apply(args);
    if (result == 2) {
        std::cerr << "usage: tamsiro_crash_states list LABEL BEFORE-IMAGE LOG [--all-subsets-up-to N] [--subsets N]"
                     " [--seed S]\n"
                     "       tamsiro_crash_states apply LABEL LOG IMAGE NAME [IMAGE NAME]...\n";
    }
    return result;
}
