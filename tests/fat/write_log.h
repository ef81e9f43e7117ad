#pragma once

// A recording of every write and flush a machine sent to one disk (QEMU's
// blklogwrites, in dm-log-writes format), and the crash states it allows:
// a cut inside a flush epoch leaves every earlier epoch on the disk and
// any subset of this epoch's writes, in order (a prefix) or not (a write
// cache that reorders).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro::crash {

inline constexpr std::uint64_t kLogMagic = 0x6a736677736872ULL;
inline constexpr std::uint64_t kLogVersion = 1;
inline constexpr std::uint64_t kFlushFlag = 1;
inline constexpr std::uint64_t kFuaFlag = 2;
inline constexpr std::uint64_t kDiscardFlag = 4;
inline constexpr std::uint64_t kMarkFlag = 8;
inline constexpr std::size_t kDiskSector = 512;

// What the crash seam writes before each file operation (change_marker.h).
inline constexpr std::string_view kMarkPrefix = "TAMSIRO MARK ";

struct LogEntry {
    std::uint64_t offset = 0;  // bytes from the disk's start
    std::uint64_t length = 0;  // bytes
    std::uint64_t flags = 0;
    std::string data;  // what was written; zeros for a discard, empty for a flush
};

// The entries in log order, or an error in words.
struct ParsedLog {
    std::vector<LogEntry> entries;
    std::string error;
};
ParsedLog ParseWriteLog(std::string_view log);

// The entries up to and with a flush: the file-system writes among them
// (indices into the log's entries), marks and flushes aside.
struct Epoch {
    std::vector<std::size_t> writes;
    std::size_t firstEntry = 0;
    std::size_t endEntry = 0;  // one past its flush
    bool flushed = false;      // false for writes left after the last flush
};

struct Mark {
    std::size_t entry = 0;
    std::string text;  // "<k> <operation> <path>"
};

struct Recording {
    std::vector<LogEntry> entries;
    std::vector<Epoch> epochs;
    std::vector<Mark> marks;
    std::size_t writes = 0;   // file-system writes, marks aside
    std::size_t flushes = 0;  // flush entries
};
Recording SplitIntoEpochs(std::vector<LogEntry> entries);

// The first epoch worth cutting in: the one that holds the first mark
// (everything before it is the machine starting). 0 without marks.
std::size_t FirstMarkedEpoch(const Recording& recording);

// The last mark logged before an entry, or empty.
std::string MarkBefore(const Recording& recording, std::size_t entry);

// A crash state: every epoch before `epoch` whole, and of this one the
// writes in `chosen` (ascending positions in its write list).
struct CrashState {
    std::size_t epoch = 0;
    std::vector<std::size_t> chosen;
    bool prefix = false;
};

// "LABEL-eEPOCH-pCOUNT" for a prefix, "LABEL-eEPOCH-sHEX" for another
// subset (bit i of the hexadecimal number is write i).
std::string StateName(const std::string& label, const CrashState& state);
std::optional<CrashState> ParseStateName(const std::string& name, const std::string& label, const Recording& recording);

struct Enumeration {
    std::size_t firstEpoch = 0;
    // Every subset of an epoch of at most this many writes; a seeded
    // sample of `sampledSubsets` of the larger ones.
    std::size_t allSubsetsUpTo = 6;
    std::size_t sampledSubsets = 24;
    std::uint64_t seed = 1;
};

// Each epoch from firstEpoch on: every prefix, then the other subsets.
std::vector<CrashState> EnumerateStates(const Recording& recording, const Enumeration& limits);

// Reads `length` bytes of the disk as it was before the recording.
class DiskReader {
public:
    virtual ~DiskReader() = default;
    virtual std::string Read(std::uint64_t offset, std::size_t length) const = 0;
};

// The states whose disks differ, in order: a later state that leaves the
// same bytes as an earlier one is dropped. Their fingerprints (of the
// resulting disk's bytes) come back beside them.
struct DistinctState {
    CrashState state;
    std::uint64_t fingerprint = 0;
};
std::vector<DistinctState> DistinctStates(const Recording& recording, const std::vector<CrashState>& states,
                                          const DiskReader& before);

// The writes the state leaves on the disk, in the order they are applied.
std::vector<const LogEntry*> WritesOf(const Recording& recording, const CrashState& state);

}  // namespace tamsiro::crash
