// The write recording's parser and the crash states made from it: what
// run-crash-states.sh boots must be exactly the disks a cut can leave.
#include "tests/fat/write_log.h"
#include "tests/fat/disk_regions.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tamsiro::crash {
namespace {

void PutLe(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t size) {
    if (bytes.size() < at + size) bytes.resize(at + size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// A log as QEMU's blklogwrites writes it: the super block in sector 0,
// then per entry a header sector and its data sectors.
class LogBuilder {
public:
    explicit LogBuilder(std::uint32_t sectorSize = 512) : sectorSize_(sectorSize) {}

    LogBuilder& Write(std::uint64_t sector, std::string data) {
        data.resize((data.size() + sectorSize_ - 1) / sectorSize_ * sectorSize_, '\0');
        Entry(sector, data.size() / sectorSize_, 0, data);
        return *this;
    }
    LogBuilder& Flush() {
        Entry(0, 0, kFlushFlag, {});
        return *this;
    }
    LogBuilder& Discard(std::uint64_t sector, std::uint64_t sectors) {
        Entry(sector, sectors, kDiscardFlag, {});
        return *this;
    }
    LogBuilder& Mark(std::uint64_t sector, const std::string& text) {
        return Write(sector, std::string(kMarkPrefix) + text);
    }
    std::string Bytes(std::uint64_t magic = kLogMagic, std::uint64_t version = kLogVersion) const {
        std::string super(sectorSize_, '\0');
        PutLe(super, 0, magic, 8);
        PutLe(super, 8, version, 8);
        PutLe(super, 16, count_, 8);
        PutLe(super, 24, sectorSize_, 4);
        return super + body_;
    }

private:
    void Entry(std::uint64_t sector, std::uint64_t sectors, std::uint64_t flags, const std::string& data) {
        std::string header(sectorSize_, '\0');
        PutLe(header, 0, sector, 8);
        PutLe(header, 8, sectors, 8);
        PutLe(header, 16, flags, 8);
        body_ += header + data;
        ++count_;
    }

    std::uint32_t sectorSize_;
    std::uint64_t count_ = 0;
    std::string body_;
};

Recording RecordingOf(const LogBuilder& log) {
    ParsedLog parsed = ParseWriteLog(log.Bytes());
    EXPECT_EQ(parsed.error, "");
    return SplitIntoEpochs(std::move(parsed.entries));
}

std::string Sector(char fill) { return std::string(512, fill); }

// A disk of zeros, or with some sectors given.
class MemoryDisk : public DiskReader {
public:
    std::map<std::uint64_t, std::string> sectors;
    std::string Read(std::uint64_t offset, std::size_t length) const override {
        std::string bytes;
        for (std::uint64_t at = offset; at < offset + length; at += kDiskSector) {
            const auto found = sectors.find(at / kDiskSector);
            bytes += found == sectors.end() ? std::string(kDiskSector, '\0') : found->second;
        }
        return bytes;
    }
};

TEST(WriteLog, ReadsEntriesInOrderWithTheirData) {
    for (const std::uint32_t sectorSize : {512u, 4096u}) {
        LogBuilder log(sectorSize);
        log.Write(3, std::string(sectorSize, 'a') + std::string(sectorSize, 'b')).Flush().Discard(10, 2);
        const ParsedLog parsed = ParseWriteLog(log.Bytes());
        ASSERT_EQ(parsed.error, "") << sectorSize;
        ASSERT_EQ(parsed.entries.size(), 3u);
        EXPECT_EQ(parsed.entries[0].offset, 3u * sectorSize);
        EXPECT_EQ(parsed.entries[0].length, 2u * sectorSize);
        EXPECT_EQ(parsed.entries[0].data, std::string(sectorSize, 'a') + std::string(sectorSize, 'b'));
        EXPECT_EQ(parsed.entries[1].flags, kFlushFlag);
        EXPECT_EQ(parsed.entries[1].length, 0u);
        EXPECT_EQ(parsed.entries[2].data, std::string(2 * sectorSize, '\0')) << "a discard reads back as zeros";
    }
}

TEST(WriteLog, RefusesWhatIsNotAWholeLog) {
    const std::string whole = LogBuilder().Write(1, Sector('x')).Flush().Bytes();
    std::string wrongSectorSize = whole;
    PutLe(wrongSectorSize, 24, 100, 4);
    std::string moreEntries = whole;
    PutLe(moreEntries, 16, 3, 8);
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"empty", "", "magic"},
        {"wrong magic", LogBuilder().Flush().Bytes(kLogMagic + 1), "magic"},
        {"another version", LogBuilder().Flush().Bytes(kLogMagic, 2), "version 2"},
        {"odd sector size", wrongSectorSize, "sector size 100"},
        {"an entry missing", moreEntries, "ends in entry 2 of 3"},
        {"data cut short", whole.substr(0, 512 + 512 + 100), "past the log's end"},
    };
    for (const auto& c : cases) {
        const ParsedLog parsed = ParseWriteLog(c.bytes);
        EXPECT_NE(parsed.error.find(c.error), std::string::npos) << c.name << ": " << parsed.error;
        EXPECT_TRUE(parsed.entries.empty()) << c.name;
    }
}

TEST(WriteLog, SplitsAtFlushesAndSetsMarksAside) {
    LogBuilder log;
    log.Write(1, Sector('a')).Flush();                                     // epoch 0: the machine starting
    log.Mark(900, "1 write /stick/X").Write(2, Sector('b'));               // epoch 1
    log.Write(3, Sector('c')).Flush().Flush();                             // epoch 2: empty
    log.Mark(900, "2 rename /stick/X -> /stick/Y").Write(4, Sector('d'));  // epoch 3: no flush after it
    const Recording recording = RecordingOf(log);

    ASSERT_EQ(recording.epochs.size(), 4u);
    EXPECT_EQ(recording.writes, 4u);
    EXPECT_EQ(recording.flushes, 3u);
    EXPECT_EQ(recording.epochs[0].writes, (std::vector<std::size_t>{0}));
    EXPECT_EQ(recording.epochs[1].writes, (std::vector<std::size_t>{3, 4}));
    EXPECT_TRUE(recording.epochs[2].writes.empty());
    EXPECT_EQ(recording.epochs[3].writes, (std::vector<std::size_t>{8}));
    EXPECT_FALSE(recording.epochs[3].flushed);
    ASSERT_EQ(recording.marks.size(), 2u);
    EXPECT_EQ(recording.marks[1].text, "2 rename /stick/X -> /stick/Y");
    EXPECT_EQ(FirstMarkedEpoch(recording), 1u);
    EXPECT_EQ(MarkBefore(recording, 2), "");
    EXPECT_EQ(MarkBefore(recording, 4), "1 write /stick/X");
    EXPECT_EQ(MarkBefore(recording, 8), "2 rename /stick/X -> /stick/Y");
}

// One epoch per entry of `sizes`, each write to its own sector.
Recording EpochsOfSizes(const std::vector<std::size_t>& sizes) {
    LogBuilder log;
    std::uint64_t sector = 0;
    for (const std::size_t size : sizes) {
        for (std::size_t i = 0; i < size; ++i, ++sector)
            log.Write(sector, Sector(static_cast<char>('a' + sector % 26)));
        log.Flush();
    }
    return RecordingOf(log);
}

TEST(CrashStates, EveryPrefixAndEverySubsetOfSmallEpochs) {
    const struct {
        std::size_t writes, allUpTo, sampled, expected;
    } cases[] = {
        {0, 4, 10, 1},                         // the epoch before, whole
        {1, 4, 10, 2},                         // without and with it
        {2, 4, 10, 4},                         // 3 prefixes and {1}
        {3, 4, 10, 8},                         // all 8 subsets
        {4, 4, 10, 16},   {7, 4, 10, 8 + 10},  // 8 prefixes and a sample of 10
        {7, 4, 500, 128},                      // a sample larger than the rest: all there is
    };
    for (const auto& c : cases) {
        const Recording recording = EpochsOfSizes({c.writes});
        const std::vector<CrashState> states =
            EnumerateStates(recording, {.allSubsetsUpTo = c.allUpTo, .sampledSubsets = c.sampled});
        EXPECT_EQ(states.size(), c.expected) << c.writes << " writes";
        std::set<std::vector<std::size_t>> subsets;
        for (const CrashState& state : states) {
            EXPECT_TRUE(subsets.insert(state.chosen).second) << "a subset twice";
            EXPECT_TRUE(std::is_sorted(state.chosen.begin(), state.chosen.end()));
            const bool isPrefix = state.chosen.empty() || state.chosen.back() + 1 == state.chosen.size();
            EXPECT_EQ(state.prefix, isPrefix) << "a prefix is named as one, and only a prefix";
        }
    }
}

TEST(CrashStates, SamplesAreSeededPerEpoch) {
    const Recording recording = EpochsOfSizes({12, 12});
    auto sampled = [&](std::uint64_t seed, std::size_t first) {
        std::vector<std::vector<std::size_t>> subsets;
        for (const CrashState& state : EnumerateStates(recording, {.firstEpoch = first, .seed = seed})) {
            if (!state.prefix && state.epoch == 1) subsets.push_back(state.chosen);
        }
        return subsets;
    };
    EXPECT_EQ(sampled(7, 0).size(), 24u);
    EXPECT_EQ(sampled(7, 0), sampled(7, 0));
    EXPECT_EQ(sampled(7, 0), sampled(7, 1)) << "the epochs before do not change an epoch's sample";
    EXPECT_NE(sampled(7, 0), sampled(8, 0));
}

TEST(CrashStates, StartsAtTheFirstEpochAsked) {
    const Recording recording = EpochsOfSizes({2, 1, 1});
    for (const CrashState& state : EnumerateStates(recording, {.firstEpoch = 1})) EXPECT_GE(state.epoch, 1u);
}

TEST(CrashStates, NamesComeBackAsTheSameState) {
    const Recording recording = EpochsOfSizes({3, 0, 13});
    for (const CrashState& state : EnumerateStates(recording, {})) {
        const std::string name = StateName("save", state);
        const std::optional<CrashState> back = ParseStateName(name, "save", recording);
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(back->epoch, state.epoch) << name;
        EXPECT_EQ(back->chosen, state.chosen) << name;
        EXPECT_EQ(back->prefix, state.prefix) << name;
    }
    EXPECT_EQ(StateName("save", {.epoch = 2, .chosen = {0, 4, 12}}), "save-e2-s1011");
    EXPECT_EQ(StateName("restore", {.epoch = 0, .chosen = {0, 1}, .prefix = true}), "restore-e0-p2");
}

TEST(CrashStates, NamesThatNameNoStateAreRefused) {
    const Recording recording = EpochsOfSizes({3, 2});
    for (const char* name : {"save-e0-p4", "save-e2-p0", "save-e0-s8", "save-e1-s4", "restore-e0-p1", "save-e0-x1",
                             "save-e-p1", "save-e0-p", "save-e0-pz", "save-e0-sG", "save-e99999999999-p0"}) {
        EXPECT_FALSE(ParseStateName(name, "save", recording)) << name;
    }
    EXPECT_TRUE(ParseStateName("save-e0-s7", "save", recording));
    EXPECT_TRUE(ParseStateName("save-e1-p2", "save", recording));
}

TEST(CrashStates, DisksWithTheSameBytesAreOneState) {
    MemoryDisk before;
    before.sectors[5] = Sector('o');
    LogBuilder log;
    log.Write(1, Sector('a')).Write(1, Sector('b')).Flush();  // the second write hides the first
    log.Write(5, Sector('o')).Write(6, Sector('n')).Flush();  // the first writes what was there
    const Recording recording = RecordingOf(log);
    const std::vector<CrashState> states = EnumerateStates(recording, {});
    std::vector<std::string> names;
    for (const DistinctState& distinct : DistinctStates(recording, states, before))
        names.push_back(StateName("t", distinct.state));
    // Epoch 0: nothing, a, b ({1} and {0,1} both leave b). Epoch 1: its
    // p0 is epoch 0 whole, p1 leaves the same, p2 and {1} add n alike.
    EXPECT_EQ(names, (std::vector<std::string>{"t-e0-p0", "t-e0-p1", "t-e0-p2", "t-e1-p2"}));
}

TEST(CrashStates, WritesOfAStateAreEarlierEpochsThenTheChosenInOrder) {
    LogBuilder log;
    log.Write(1, Sector('a')).Flush().Write(2, Sector('b')).Write(3, Sector('c')).Write(4, Sector('d')).Flush();
    const Recording recording = RecordingOf(log);
    std::vector<std::uint64_t> sectors;
    for (const LogEntry* write : WritesOf(recording, {.epoch = 1, .chosen = {0, 2}}))
        sectors.push_back(write->offset / 512);
    EXPECT_EQ(sectors, (std::vector<std::uint64_t>{1, 2, 4}));
}

// An MBR with a FAT16 partition at sector 2048 and another after it.
std::string Mbr() {
    std::string mbr(512, '\0');
    PutLe(mbr, 446 + 4, 0x06, 1);
    PutLe(mbr, 446 + 8, 2048, 4);
    PutLe(mbr, 446 + 12, 65536, 4);
    PutLe(mbr, 462 + 4, 0x83, 1);
    PutLe(mbr, 462 + 8, 2048 + 65536, 4);
    PutLe(mbr, 462 + 12, 131072, 4);
    PutLe(mbr, 510, 0xaa55, 2);
    return mbr;
}

std::string Fat16Boot() {
    std::string boot(512, '\0');
    PutLe(boot, 11, 512, 2);  // bytes per sector
    PutLe(boot, 13, 4, 1);    // sectors per cluster
    PutLe(boot, 14, 4, 2);    // reserved
    PutLe(boot, 16, 2, 1);    // FATs
    PutLe(boot, 17, 512, 2);  // root entries: 32 sectors
    PutLe(boot, 22, 64, 2);   // sectors per FAT
    PutLe(boot, 510, 0xaa55, 2);
    return boot;
}

TEST(DiskRegions, NamesTheRegionsOfAFatPartition) {
    const std::vector<Partition> partitions = ReadPartitions(Mbr(), {"stick", "program"}, {Fat16Boot(), {}});
    ASSERT_EQ(partitions.size(), 2u);
    EXPECT_EQ(PartitionOffsets(Mbr()), (std::vector<std::uint64_t>{2048 * 512, (2048 + 65536) * 512ULL}));
    const std::uint64_t stick = 2048 * 512, program = (2048 + 65536) * 512ULL;
    const struct {
        std::uint64_t offset, length;
        const char* description;
    } cases[] = {
        {0, 512, "disk sectors 0"},
        {stick, 512, "stick reserved sectors 0"},
        {stick + 4 * 512, 1024, "stick FAT1 sectors 0-1"},
        {stick + 67 * 512, 2 * 512, "stick FAT1 sectors 63, FAT2 sectors 0"},
        {stick + 132 * 512, 512, "stick root folder sectors 0"},
        {stick + 164 * 512, 4 * 512, "stick clusters 2"},
        {stick + 168 * 512, 9 * 512, "stick clusters 3-5"},
        {stick + 65535 * 512, 1024, "stick clusters 16344 and past its end"},
        {program + 8192, 4096, "program blocks 2"},
        {program + 4096 * 10, 4096 * 3, "program blocks 10-12"},
        {program + 131072 * 512ULL, 512, "disk sectors 198656"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeWrite(partitions, c.offset, c.length), c.description);
}

TEST(DiskRegions, ADiskWithoutAPartitionTableHasNone) {
    EXPECT_TRUE(ReadPartitions(std::string(512, '\0'), {"stick"}, {}).empty());
    EXPECT_TRUE(PartitionOffsets(Fat16Boot().substr(0, 100)).empty());
}

}  // namespace
}  // namespace tamsiro::crash
