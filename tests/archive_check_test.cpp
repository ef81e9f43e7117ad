// The archive check at its edges; tests/cli runs it on damaged archives
// through `tamsiro-cli oda check`.
#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "archive/archive_layout.h"
#include "archive/oda_archive.h"
#include "install/archive_words.h"
#include "tests/support/temp_folder.h"
#include "tools/archive_fixtures.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro {
namespace {

using Bytes = std::vector<unsigned char>;
using V = ArchiveCheckVerdict;

void SetEntry(Bytes& bytes, std::size_t i, std::uint32_t offset, std::uint32_t size) {
    PatchLe32(bytes, EntryFieldPosition(i, kOdaDataOffsetField), offset);
    PatchLe32(bytes, EntryFieldPosition(i, kOdaSizeField), size);
}

TEST(ArchiveCheckTest, EdgesAgreeInMemoryAndOnDisk) {
    const Bytes three =
        ArchiveBytes({{"WAVE", "A", Bytes(10, 1)}, {"WAVE", "B", Bytes(20, 2)}, {"WAVE", "C", Bytes(30, 3)}});
    const auto end = static_cast<std::uint32_t>(three.size());
    std::vector<ArchiveItem> many(600, ArchiveItem{"WAVE", "M", Bytes(1)});
    const struct {
        const char* what;
        Bytes bytes;
        std::function<void(Bytes&)> change;
        ArchiveCheckVerdict verdict;
        std::string words;  // how the defect is put, or the start of it
    } cases[] = {
        {"no entries, header only", ArchiveBytes({}), [](Bytes&) {}, V::Sound, ""},
        {"63 bytes", ArchiveBytes({}), [](Bytes& b) { b.pop_back(); }, V::ShorterThanHeader,
         "header: the file has 63 bytes, fewer than the 64 of the header"},
        {"data up to the last byte", three, [](Bytes&) {}, V::Sound, ""},
        {"one byte past the end", three, [&](Bytes& b) { SetEntry(b, 2, end - 29, 30); }, V::DataPastEnd,
         "entry 2: data ends past the end of the file (offset " + std::to_string(end - 29) +
             " + size 30 = " + std::to_string(end + 1) + ", file size " + std::to_string(end) + ")"},
        {"empty entry at the very end", three, [&](Bytes& b) { SetEntry(b, 1, end, 0); }, V::Sound, ""},
        {"empty entry one past the end", three, [&](Bytes& b) { SetEntry(b, 1, end + 1, 0); }, V::DataPastEnd,
         "entry 1: data ends past the end"},
        {"largest offset and size", three, [](Bytes& b) { SetEntry(b, 0, 0x7FFFFFFF, 0xFFFFFFFF); }, V::DataPastEnd,
         "entry 0: data ends past the end of the file (offset 2147483647 + size 4294967295 = 6442450942"},
        {"largest count", three, [](Bytes& b) { PatchLe32(b, kOdaCountOffset, 0x7FFFFFFF); }, V::TablePastEnd,
         "table: 2147483647 entries end at byte 309237645232, past the end"},
        {"table of one entry past the end", three, [](Bytes& b) { b.resize(64 + 3 * 144 - 1); }, V::TablePastEnd,
         "table: 3 entries end at byte 496"},
        {"fault in a later slice of the table", ArchiveBytes(many), [](Bytes& b) { SetEntry(b, 550, 0x80000000u, 1); },
         V::NegativeOffset, "entry 550: the data offset is negative (-2147483648)"},
    };
    test::TempFolder folder;
    for (const auto& c : cases) {
        Bytes bytes = c.bytes;
        c.change(bytes);
        const ArchiveCheckOutcome inMemory = CheckArchiveBytes(bytes);
        ASSERT_TRUE(samples::WriteBytes(folder / "A.ODA", bytes));
        EXPECT_TRUE(CheckArchiveFile(folder / "A.ODA") == inMemory) << c.what;
        EXPECT_EQ(inMemory.verdict, c.verdict) << c.what;
        EXPECT_EQ(inMemory.Sound(), c.verdict == V::Sound) << c.what;
        EXPECT_EQ(ArchiveCheckText(inMemory).substr(0, c.words.size()), c.words) << c.what;
    }
    FileSource closed;
    EXPECT_EQ(CheckArchive(closed).verdict, V::SizeUnknown);
}

// Bytes whose reads fail from a point on, as a failing disk's, saying why.
class FailingDisk final : public ByteSource {
public:
    FailingDisk(const Bytes& bytes, std::size_t readable) : memory_(bytes), readable_(readable) {}
    std::int64_t Size() const override { return memory_.Size(); }
    bool ReadAt(std::int64_t position, void* buffer, std::size_t size) override {
        if (static_cast<std::uint64_t>(position) + size > readable_) return false;
        return memory_.ReadAt(position, buffer, size);
    }
    std::optional<Failure> LastFailure() const override {
        return Failure{FileAction::Read, FailureReason::Io, "/dev/failing", 5};
    }

private:
    MemorySource memory_;
    std::size_t readable_;
};

TEST(ArchiveCheckTest, AReadThatFailsCarriesTheHostsReasonAndWhereTheTableStopped) {
    const Bytes bytes = ArchiveBytes(std::vector<ArchiveItem>(600, ArchiveItem{"WAVE", "M", Bytes(1)}));
    const struct {
        const char* what;
        std::size_t readable;
        ArchiveCheckVerdict verdict;
        std::size_t entry;
    } cases[] = {
        {"the header", 10, V::HeaderUnreadable, 0},
        {"the first slice of the table", 64 + 144, V::TableUnreadable, 0},
        {"a later slice", 64 + 144 * 512, V::TableUnreadable, 512},
        {"nothing", bytes.size(), V::Sound, 0},
    };
    for (const auto& c : cases) {
        FailingDisk disk(bytes, c.readable);
        const ArchiveCheckOutcome outcome = CheckArchive(disk);
        EXPECT_EQ(outcome.verdict, c.verdict) << c.what;
        EXPECT_EQ(outcome.entry, c.entry) << c.what;
        EXPECT_EQ(outcome.failure.has_value(), c.verdict != V::Sound) << c.what;
        if (outcome.failure) {
            EXPECT_EQ(outcome.failure->path, "/dev/failing") << c.what;
        }
    }
}

TEST(ArchiveCheckTest, AFileCutShortAfterItOpenedFailsItsReadAsDamaged) {
    test::TempFolder folder;
    const Bytes bytes = ArchiveBytes({{"WAVE", "A", Bytes(100, 1)}});
    ASSERT_TRUE(samples::WriteBytes(folder / "A.ODA", bytes));
    FileSource file;
    ASSERT_TRUE(file.Open(folder / "A.ODA"));
    EXPECT_EQ(file.LastFailure(), std::nullopt);
    std::filesystem::resize_file(folder / "A.ODA", 100);
    EXPECT_EQ(CheckArchive(file).verdict, V::TableUnreadable) << "the size was taken when it opened";
    ASSERT_TRUE(file.LastFailure());
    EXPECT_EQ(file.LastFailure()->reason, FailureReason::Damaged);
    EXPECT_EQ(file.LastFailure()->path, folder / "A.ODA");

    FileSource missing;
    EXPECT_FALSE(missing.Open(folder / "NONE.ODA"));
    ASSERT_TRUE(missing.LastFailure());
    EXPECT_EQ(missing.LastFailure()->reason, FailureReason::NotFound);
    EXPECT_EQ(CheckArchiveFile(folder / "NONE.ODA").verdict, V::NotOpened);
}

TEST(ArchiveLayoutTest, BackToBackStopsWhereTheOffsetFieldEnds) {
    OdaHeader header;
    std::vector<OdaEntry> table(3);
    table[0].SetSize(0x7FFFFFFF - 64 - 3 * 144);  // the next entry starts at the last offset there is
    table[1].SetSize(0);
    ASSERT_TRUE(LayOutBackToBack(header, table));
    EXPECT_EQ(header.Count(), 3);
    EXPECT_EQ(table[0].Offset(), 64 + 3 * 144);
    EXPECT_EQ(table[2].Offset(), 0x7FFFFFFF);
    table[0].SetSize(table[0].Size() + 1);
    EXPECT_FALSE(LayOutBackToBack(header, table));
}

TEST(ArchiveCheckTest, ATableLargerThanTamsiroHandlesIsRefusedWhereverItIsRead) {
    // The whole table is there, so only the limit refuses it.
    const std::vector<ArchiveItem> items(static_cast<std::size_t>(kMaxOdaEntries) + 1, ArchiveItem{"WAVE", "X", {}});
    const Bytes bytes = ArchiveBytes(items);
    const ArchiveCheckOutcome check = CheckArchiveBytes(bytes);
    EXPECT_EQ(check.verdict, ArchiveCheckVerdict::TooManyEntries);
    EXPECT_EQ(check.count, kMaxOdaEntries + 1);
    OdaArchive archive;
    EXPECT_FALSE(archive.OpenBytes(bytes));
    EXPECT_EQ(archive.TableSize(), 0u);
    const Bytes small = ArchiveBytes({{"WAVE", "X", {1}}});
    const ArchiveDiffOutcome diff = DiffArchives({"small", std::make_unique<MemorySource>(small)},
                                                 {"large", std::make_unique<MemorySource>(bytes)});
    EXPECT_EQ(diff.verdict, ArchiveDiffVerdict::NotSound);
    EXPECT_EQ(diff.archive, "large");
    EXPECT_TRUE(diff.check == check);

    const std::vector<ArchiveItem> most(static_cast<std::size_t>(kMaxOdaEntries), ArchiveItem{"WAVE", "X", {}});
    const Bytes mostBytes = ArchiveBytes(most);
    EXPECT_TRUE(archive.OpenBytes(mostBytes));
    EXPECT_EQ(archive.TableSize(), most.size());
}

TEST(ArchiveCheckTest, CountsTheEntriesThatShareDataWithAnother) {
    struct Span {
        std::uint32_t offset;
        std::uint32_t size;
    };
    const struct {
        const char* what;
        std::vector<Span> spans;
        std::size_t overlapping;
    } cases[] = {
        {"back to back", {{100, 10}, {110, 10}, {120, 10}}, 0},
        {"the same data twice", {{100, 10}, {100, 10}, {120, 10}}, 2},
        {"one inside another, listed first", {{105, 2}, {100, 50}, {200, 1}}, 2},
        {"a chain, each touching the next", {{100, 10}, {105, 10}, {112, 10}, {130, 5}}, 3},
        {"a long entry reaching past short ones", {{100, 100}, {110, 5}, {150, 5}, {300, 5}}, 3},
        {"empty entries share nothing", {{100, 10}, {105, 0}, {100, 0}}, 0},
        {"the bomb: every entry the same bytes", std::vector<Span>(400, Span{64, 4096}), 400},
    };
    for (const auto& c : cases) {
        std::vector<OdaEntry> table(c.spans.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            table[i].SetOffset(static_cast<std::int32_t>(c.spans[i].offset));
            table[i].SetSize(c.spans[i].size);
        }
        EXPECT_EQ(CountOverlappingEntries(table), c.overlapping) << c.what;
    }
}

}  // namespace
}  // namespace tamsiro
