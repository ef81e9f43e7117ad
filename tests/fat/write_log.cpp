#include "tests/fat/write_log.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <unordered_map>

namespace tamsiro::crash {

namespace {

std::uint64_t Le64(std::string_view bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return value;
}

std::uint64_t Mix(std::uint64_t value) {
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

std::uint64_t HashBytes(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return Mix(hash);
}

bool IsMark(const LogEntry& entry) {
    return entry.length == kDiskSector && entry.data.size() == kDiskSector &&
           std::string_view(entry.data).substr(0, kMarkPrefix.size()) == kMarkPrefix;
}

std::string MarkText(const LogEntry& entry) {
    const std::string_view text = std::string_view(entry.data).substr(kMarkPrefix.size());
    return std::string(text.substr(0, text.find('\0')));
}

bool IsPrefixMask(const std::vector<bool>& mask) {
    const auto firstUnset = std::find(mask.begin(), mask.end(), false);
    return std::find(firstUnset, mask.end(), true) == mask.end();
}

std::vector<std::size_t> ChosenOf(const std::vector<bool>& mask) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i]) chosen.push_back(i);
    }
    return chosen;
}

}  // namespace

ParsedLog ParseWriteLog(std::string_view log) {
    ParsedLog parsed;
    if (log.size() < 28 || Le64(log, 0) != kLogMagic) {
        parsed.error = "no write-log super block (magic)";
        return parsed;
    }
    if (Le64(log, 8) != kLogVersion) {
        parsed.error = "write-log version " + std::to_string(Le64(log, 8)) + ", not 1";
        return parsed;
    }
    const std::uint64_t count = Le64(log, 16);
    std::uint32_t sectorSize = 0;
    std::memcpy(&sectorSize, log.data() + 24, 4);
    if (sectorSize < 32 || sectorSize % kDiskSector != 0) {
        parsed.error = "write-log sector size " + std::to_string(sectorSize);
        return parsed;
    }
    std::size_t at = sectorSize;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (at + sectorSize > log.size()) {
            parsed.error = "the log ends in entry " + std::to_string(i) + " of " + std::to_string(count);
            parsed.entries.clear();
            return parsed;
        }
        LogEntry entry;
        entry.offset = Le64(log, at) * sectorSize;
        entry.length = Le64(log, at + 8) * sectorSize;
        entry.flags = Le64(log, at + 16);
        const std::uint64_t textLength = Le64(log, at + 24);
        at += sectorSize;
        if (entry.flags & kDiscardFlag) {
            // A discarded range reads back as zeros from QEMU's raw files.
            entry.data.assign(entry.length, '\0');
        } else if (entry.length > 0) {
            if (entry.length > log.size() - at) {
                parsed.error = "the data of entry " + std::to_string(i) + " run past the log's end";
                parsed.entries.clear();
                return parsed;
            }
            entry.data.assign(log.substr(at, entry.length));
            at += entry.length;
        } else if (textLength > 0) {
            // A named mark (dm-log-writes' own): its name fills whole sectors.
            at += (textLength + sectorSize - 1) / sectorSize * sectorSize;
        }
        parsed.entries.push_back(std::move(entry));
    }
    return parsed;
}

Recording SplitIntoEpochs(std::vector<LogEntry> entries) {
    Recording recording;
    recording.entries = std::move(entries);
    Epoch open;
    for (std::size_t i = 0; i < recording.entries.size(); ++i) {
        const LogEntry& entry = recording.entries[i];
        if (IsMark(entry)) {
            recording.marks.push_back({i, MarkText(entry)});
        } else if (entry.length > 0) {
            open.writes.push_back(i);
            ++recording.writes;
        }
        if (entry.flags & kFlushFlag) {
            ++recording.flushes;
            open.endEntry = i + 1;
            open.flushed = true;
            recording.epochs.push_back(std::move(open));
            open = Epoch{.firstEntry = i + 1};
        }
    }
    if (!open.writes.empty()) {
        open.endEntry = recording.entries.size();
        recording.epochs.push_back(std::move(open));
    }
    return recording;
}

std::size_t FirstMarkedEpoch(const Recording& recording) {
    if (recording.marks.empty()) return 0;
    const std::size_t entry = recording.marks.front().entry;
    for (std::size_t e = 0; e < recording.epochs.size(); ++e) {
        if (entry < recording.epochs[e].endEntry) return e;
    }
    return recording.epochs.size();
}

std::string MarkBefore(const Recording& recording, std::size_t entry) {
    std::string text;
    for (const Mark& mark : recording.marks) {
        if (mark.entry >= entry) break;
        text = mark.text;
    }
    return text;
}

std::string StateName(const std::string& label, const CrashState& state) {
    std::string name = label + "-e" + std::to_string(state.epoch) + "-";
    if (state.prefix) return name + "p" + std::to_string(state.chosen.size());
    const std::size_t width = state.chosen.empty() ? 1 : state.chosen.back() / 4 + 1;
    std::string hex(width, '0');
    for (const std::size_t write : state.chosen) {
        char& digit = hex[width - 1 - write / 4];
        const int value = (digit <= '9' ? digit - '0' : digit - 'a' + 10) | (1 << (write % 4));
        digit = static_cast<char>(value < 10 ? '0' + value : 'a' + value - 10);
    }
    return name + "s" + hex;
}

std::optional<CrashState> ParseStateName(const std::string& name, const std::string& label,
                                         const Recording& recording) {
    const std::string head = label + "-e";
    if (name.rfind(head, 0) != 0) return std::nullopt;
    const std::size_t dash = name.find('-', head.size());
    if (dash == std::string::npos || dash == head.size() || dash + 2 >= name.size()) return std::nullopt;
    const std::string epochText = name.substr(head.size(), dash - head.size());
    if (epochText.find_first_not_of("0123456789") != std::string::npos || epochText.size() > 9) return std::nullopt;
    CrashState state{.epoch = std::stoul(epochText)};
    if (state.epoch >= recording.epochs.size()) return std::nullopt;
    const std::size_t writes = recording.epochs[state.epoch].writes.size();
    const std::string rest = name.substr(dash + 2);
    if (name[dash + 1] == 'p') {
        if (rest.find_first_not_of("0123456789") != std::string::npos || rest.size() > 9) return std::nullopt;
        const std::size_t count = std::stoul(rest);
        if (count > writes) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i) state.chosen.push_back(i);
        state.prefix = true;
        return state;
    }
    if (name[dash + 1] != 's' || rest.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
    for (std::size_t digit = 0; digit < rest.size(); ++digit) {
        const char c = rest[rest.size() - 1 - digit];
        const int value = c <= '9' ? c - '0' : c - 'a' + 10;
        for (int bit = 0; bit < 4; ++bit) {
            if (!(value & (1 << bit))) continue;
            const std::size_t write = digit * 4 + bit;
            if (write >= writes) return std::nullopt;
            state.chosen.push_back(write);
        }
    }
    return state;
}

std::vector<CrashState> EnumerateStates(const Recording& recording, const Enumeration& limits) {
    std::vector<CrashState> states;
    for (std::size_t e = limits.firstEpoch; e < recording.epochs.size(); ++e) {
        const std::size_t writes = recording.epochs[e].writes.size();
        for (std::size_t count = 0; count <= writes; ++count) {
            CrashState prefix{.epoch = e, .prefix = true};
            for (std::size_t i = 0; i < count; ++i) prefix.chosen.push_back(i);
            states.push_back(std::move(prefix));
        }
        if (writes <= limits.allSubsetsUpTo) {
            for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << writes); ++bits) {
                std::vector<bool> mask(writes);
                for (std::size_t i = 0; i < writes; ++i) mask[i] = (bits >> i) & 1;
                if (!IsPrefixMask(mask)) states.push_back({.epoch = e, .chosen = ChosenOf(mask)});
            }
            continue;
        }
        // Seeded per epoch, so that one epoch's sample does not change with
        // the number of epochs before it.
        std::mt19937_64 random(Mix(limits.seed ^ Mix(e)));
        std::set<std::vector<bool>> seen;
        for (std::size_t tries = 0; seen.size() < limits.sampledSubsets && tries < 8 * limits.sampledSubsets; ++tries) {
            std::vector<bool> mask(writes);
            for (std::size_t i = 0; i < writes; ++i) mask[i] = random() >> 63;
            if (IsPrefixMask(mask) || !seen.insert(mask).second) continue;
            states.push_back({.epoch = e, .chosen = ChosenOf(mask)});
        }
    }
    return states;
}

std::vector<DistinctState> DistinctStates(const Recording& recording, const std::vector<CrashState>& states,
                                          const DiskReader& before) {
    // Every sector as a hash of its bytes: those of each write, and those
    // of the disk before the recording where any write lands.
    std::unordered_map<std::size_t, std::vector<std::uint64_t>> written;
    std::unordered_map<std::uint64_t, std::uint64_t> original;
    for (const Epoch& epoch : recording.epochs) {
        for (const std::size_t index : epoch.writes) {
            const LogEntry& entry = recording.entries[index];
            const std::string old = before.Read(entry.offset, entry.length);
            std::vector<std::uint64_t>& hashes = written[index];
            for (std::uint64_t at = 0; at < entry.length; at += kDiskSector) {
                hashes.push_back(HashBytes(std::string_view(entry.data).substr(at, kDiskSector)));
                original.emplace(
                    (entry.offset + at) / kDiskSector,
                    HashBytes(std::string_view(old).substr(std::min<std::size_t>(at, old.size()), kDiskSector)));
            }
        }
    }
    auto apply = [&](std::map<std::uint64_t, std::uint64_t>& overlay, std::size_t index) {
        const LogEntry& entry = recording.entries[index];
        const std::vector<std::uint64_t>& hashes = written[index];
        for (std::size_t i = 0; i < hashes.size(); ++i) overlay[entry.offset / kDiskSector + i] = hashes[i];
    };

    std::vector<DistinctState> distinct;
    std::set<std::uint64_t> seen;
    std::map<std::uint64_t, std::uint64_t> whole;  // every epoch before `wholeUpTo`
    std::size_t wholeUpTo = 0;
    for (const CrashState& state : states) {
        if (state.epoch < wholeUpTo) whole.clear(), wholeUpTo = 0;
        for (; wholeUpTo < state.epoch; ++wholeUpTo) {
            for (const std::size_t index : recording.epochs[wholeUpTo].writes) apply(whole, index);
        }
        std::map<std::uint64_t, std::uint64_t> partial;
        for (const std::size_t position : state.chosen) apply(partial, recording.epochs[state.epoch].writes[position]);
        // The fingerprint folds every sector that differs from the disk
        // before, in sector order: the partial writes over the whole epochs.
        std::uint64_t fingerprint = 0;
        auto fold = [&](std::uint64_t sector, std::uint64_t hash) {
            if (original.at(sector) == hash) return;
            fingerprint = Mix(Mix(fingerprint ^ sector) ^ hash);
        };
        auto w = whole.begin();
        auto p = partial.begin();
        while (w != whole.end() || p != partial.end()) {
            if (p == partial.end() || (w != whole.end() && w->first < p->first)) {
                fold(w->first, w->second), ++w;
            } else {
                if (w != whole.end() && w->first == p->first) ++w;
                fold(p->first, p->second), ++p;
            }
        }
        if (seen.insert(fingerprint).second) distinct.push_back({state, fingerprint});
    }
    return distinct;
}

std::vector<const LogEntry*> WritesOf(const Recording& recording, const CrashState& state) {
    std::vector<const LogEntry*> writes;
    for (std::size_t e = 0; e < state.epoch && e < recording.epochs.size(); ++e) {
        for (const std::size_t index : recording.epochs[e].writes) writes.push_back(&recording.entries[index]);
    }
    if (state.epoch < recording.epochs.size()) {
        const Epoch& epoch = recording.epochs[state.epoch];
        for (const std::size_t position : state.chosen) writes.push_back(&recording.entries[epoch.writes[position]]);
    }
    return writes;
}

}  // namespace tamsiro::crash
