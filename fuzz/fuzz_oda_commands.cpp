// Fuzz target: what the oda commands do with archives, read from memory:
// the check, the table and its overlap count (check, list), and the diff of
// two archives. The first two input bytes say how many of the rest make the
// first archive; the remainder is the second. Checks the overlap count
// against a pairwise model and the diff's bookkeeping; under libFuzzer's
// memory limit and per-input timeout a table bomb is a finding too.
#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "archive/oda_archive.h"
#include "fuzz/fuzz_support.h"

#include <memory>

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

// Entries whose non-empty data share a byte with another entry's.
std::size_t ReferenceOverlapping(const OdaArchive& archive) {
    std::size_t overlapping = 0;
    for (std::size_t i = 0; i < archive.TableSize(); ++i) {
        const OdaEntry& a = archive.Entry(i);
        for (std::size_t j = 0; j < archive.TableSize(); ++j) {
            const OdaEntry& b = archive.Entry(j);
            if (i == j || a.Size() == 0 || b.Size() == 0) continue;
            const std::int64_t aEnd = std::int64_t{a.Offset()} + a.Size();
            const std::int64_t bEnd = std::int64_t{b.Offset()} + b.Size();
            if (a.Offset() < bEnd && b.Offset() < aEnd) {
                ++overlapping;
                break;
            }
        }
    }
    return overlapping;
}

NamedSource InMemory(const char* name, const Bytes& bytes) { return {name, std::make_unique<MemorySource>(bytes)}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t split = std::min<std::size_t>(size - 2, data[0] | (data[1] << 8));
    const Bytes first(data + 2, data + 2 + split);
    const Bytes second(data + 2 + split, data + size);

    const bool firstSound = CheckArchiveBytes(first).Sound();
    OdaArchive archive;
    const bool opened = archive.OpenBytes(first);
    Require(opened == ReferenceOpens(first), "Open agrees with the format");
    if (firstSound) {
        Require(opened, "a sound archive opens");
        Require(CountOverlappingEntries(archive.Table()) == ReferenceOverlapping(archive), "overlap count");
    }

    const ArchiveDiffOutcome self = DiffArchives(InMemory("A", first), InMemory("A", first));
    Require(self.Ok() == firstSound, "an archive compares with itself when it is sound");
    Require(self.differences.empty(), "an archive equals itself");

    const ArchiveDiffOutcome diff = DiffArchives(InMemory("A", first), InMemory("B", second));
    const bool bothSound = firstSound && CheckArchiveBytes(second).Sound();
    Require(diff.Ok() == bothSound, "the diff refuses exactly what the check refuses");
    if (!bothSound) return 0;
    OdaArchive other;
    Require(other.OpenBytes(second), "a sound archive opens");
    std::size_t counts[3] = {0, 0, 0};
    for (const EntryDifference& difference : diff.differences) ++counts[static_cast<int>(difference.change)];
    const auto added = counts[static_cast<int>(EntryChange::Added)];
    const auto removed = counts[static_cast<int>(EntryChange::Removed)];
    const auto changed = counts[static_cast<int>(EntryChange::Changed)];
    Require(diff.unchanged + changed + removed == archive.TableSize(), "every first entry accounted for");
    Require(diff.unchanged + changed + added == other.TableSize(), "every second entry accounted for");
    return 0;
}
