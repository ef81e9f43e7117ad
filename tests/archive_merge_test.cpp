// The merge into the work archive and InstallMain, over real
// temporary folders for the program folder and the stick.
#include "archive/archive_merge.h"
#include "app/app_context.h"
#include "archive/oda_archive.h"
#include "host/file_system.h"
#include "install/main_install.h"
#include "stick/stick.h"
#include "tests/support/reference_merge.h"
#include "tests/support/workspace.h"
#include "tools/archive_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tamsiro {
namespace {

namespace fs = std::filesystem;
using samples::ReadBytes;
using samples::ReadText;
using samples::SyntheticTone;
using samples::WriteBytes;
using test::ReferenceMerge;
using test::TempFolder;

using Bytes = std::vector<unsigned char>;

constexpr const char* kBaseMessage = "message: Failed to open base .ODA file\nNot Saved";
constexpr const char* kSourceMessage = "message: Failed to open source .ODA file (1)\nNot Saved";
constexpr const char* kCreateMessage = "message: Failed to create TMP.ODA temporary file";
constexpr const char* kWriteMessage = "message: Error writing to temp file\nNot Saved";
constexpr const char* kCopyMessage = "message: Could not copy final audio to memory stick";
// Why, where a folder stands at the stick's archive.
const std::string kCopyMessageWhy = std::string(kCopyMessage) + "\nDYNAUDIO.ODA is not a regular file";
// On hosts other than Windows the user is offered a shell script, by its path.
std::string ScriptMessage(const std::string& programFolder) {
    return "message: Please run manual-copy.sh\n(in same folder as Tamsiro)\nsh '" + programFolder + "/manual-copy.sh'";
}

std::int32_t CountOf(const Bytes& archive) { return static_cast<std::int32_t>(LoadLe32(archive.data() + 8)); }
const unsigned char* EntryOf(const Bytes& archive, std::size_t i) { return test::ReferenceEntry(archive, i); }

// An archive whose table is given field by field, over a file of
// `totalSize` bytes of recognisable filler.
struct RawEntry {
    std::string tag;
    std::string name;
    std::int64_t offset;
    std::uint32_t size;
};

Bytes RawArchive(const std::vector<RawEntry>& entries, std::size_t totalSize, unsigned seed = 7) {
    Bytes out(std::max(totalSize, 64 + 144 * entries.size()));
    std::mt19937 random(seed);
    for (unsigned char& b : out) b = static_cast<unsigned char>(random());
    std::memcpy(out.data(), "ODAR", 4);
    StoreLe32(out.data() + 8, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        unsigned char* entry = out.data() + 64 + 144 * i;
        std::memset(entry, 0, 132);
        std::memcpy(entry, entries[i].tag.data(), std::min<std::size_t>(4, entries[i].tag.size()));
        std::memcpy(entry + 4, entries[i].name.data(), std::min<std::size_t>(128, entries[i].name.size()));
        StoreLe32(entry + 132, static_cast<std::uint32_t>(entries[i].offset));
        StoreLe32(entry + 136, entries[i].size);
    }
    return out;
}

Bytes DataOf(const Bytes& archive, std::size_t i) {
    const unsigned char* entry = EntryOf(archive, i);
    const std::size_t offset = LoadLe32(entry + 132);
    const std::size_t size = LoadLe32(entry + 136);
    if (offset + size > archive.size()) return {};
    return Bytes(archive.begin() + static_cast<std::ptrdiff_t>(offset),
                 archive.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

// ---------------------------------------------------------------------------

class MainInstallTest : public test::WorkspaceTest {
protected:
    void SetUp() override {
        stickArchive_ = workspace.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA");
        originalStick_ = ReadBytes(stickArchive_);
    }

    std::string BasePath() const { return workspace.Program("DATA_BASEMIND3.ODA"); }
    std::string SetPath() const { return workspace.Program("DATA_M3_Tilda.ODA"); }
    std::string WorkPath() const { return workspace.Program("TMP.ODA"); }
    std::string BatchPath() const { return workspace.Program("MANUAL.BAT"); }

    // The base archive and the chosen set in the program folder.
    void WriteArchives(const Bytes& base, const Bytes& selected) {
        ASSERT_TRUE(WriteBytes(BasePath(), base));
        ASSERT_TRUE(WriteBytes(SetPath(), selected));
        ASSERT_TRUE(workspace.ClaimFirstRecord());
    }

    bool Install() { return InstallMain(workspace.context, workspace.stick, SetPath()); }
    void ClearTranscript() {
        workspace.ui.transcript.clear();
        workspace.ui.busyAtMessage.clear();
    }

    // A successful install of `selected` over `base`: no message, the stick
    // holds what ReferenceMerge gives, the work archive is gone, the pointer
    // is back.
    void ExpectInstalls(const Bytes& base, const Bytes& selected) {
        const auto expected = ReferenceMerge(base, selected);
        ASSERT_TRUE(expected.has_value());
        WriteArchives(base, selected);
        ASSERT_TRUE(Install());
        EXPECT_TRUE(workspace.ui.Messages().empty()) << workspace.ui.Messages().front();
        EXPECT_EQ(ReadBytes(stickArchive_), *expected);
        EXPECT_FALSE(fs::exists(WorkPath()));
        EXPECT_FALSE(fs::exists(BatchPath()));
        ExpectBusyBalanced();
    }

    void ExpectBusyBalanced() {
        EXPECT_FALSE(workspace.ui.busyShown);
        EXPECT_EQ(workspace.context.BusyDepth(), 0);
    }

    // A failure before the work archive exists: one message, shown without
    // the busy pointer; nothing written anywhere.
    void ExpectNothingWritten(const char* message) {
        EXPECT_EQ(workspace.ui.Messages(), std::vector<std::string>{message});
        EXPECT_EQ(workspace.ui.busyAtMessage, std::vector<bool>{false});
        EXPECT_EQ(workspace.ui.busyTransitions, 0);
        EXPECT_EQ(ReadBytes(stickArchive_), originalStick_);
        EXPECT_FALSE(fs::exists(BatchPath()));
        ExpectBusyBalanced();
    }

    // A failed build: the message while busy, no work archive left behind
    // after "Not Saved", the stick untouched.
    void ExpectBuildFailed() {
        EXPECT_EQ(workspace.ui.Messages(), std::vector<std::string>{kWriteMessage});
        EXPECT_EQ(workspace.ui.busyAtMessage, std::vector<bool>{true});
        EXPECT_FALSE(fs::exists(WorkPath()));
        EXPECT_EQ(ReadBytes(stickArchive_), originalStick_);
        EXPECT_FALSE(fs::exists(BatchPath()));
        ExpectBusyBalanced();
    }

    std::string stickArchive_;
    Bytes originalStick_;
};

TEST_F(MainInstallTest, ReplacesMatchingEntriesAndInstallsOnTheStick) {
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(40));
    const Bytes selected = ArchiveBytes(samples::MainSetEntries(40, 3, 1));
    ExpectInstalls(base, selected);
    EXPECT_EQ(workspace.ui.busyTransitions, 2);

    const Bytes installed = ReadBytes(stickArchive_);
    ASSERT_EQ(CountOf(installed), 40);
    for (std::size_t i = 0; i < 40; ++i) {
        // Header, tags, names and opaque bytes come from the base.
        EXPECT_EQ(std::memcmp(EntryOf(installed, i), EntryOf(base, i), 132), 0);
        EXPECT_EQ(std::memcmp(EntryOf(installed, i) + 140, EntryOf(base, i) + 140, 4), 0);
        const Bytes& from = (i % 3 == 0) ? selected : base;
        EXPECT_EQ(DataOf(installed, i), DataOf(from, (i % 3 == 0) ? i / 3 : i)) << i;
    }
    EXPECT_EQ(std::memcmp(installed.data(), base.data(), 64), 0);
}

TEST_F(MainInstallTest, AMergeTooLargeForTheStickIsRefusedBeforeAnythingIsWritten) {
    // Every set entry claims the same 4 GiB - 1 of a sparse file: a set of a
    // few KiB on disk whose merge would need far more than any stick holds.
    const std::vector<ArchiveItem> items = samples::StickSoundEntries(40);
    const Bytes base = ArchiveBytes(items);
    const std::int64_t tableEnd = 64 + 144 * 40;
    std::vector<RawEntry> claims;
    for (const ArchiveItem& item : items) claims.push_back({item.tag, item.name, tableEnd, 0xFFFFFFFFu});
    WriteArchives(base, RawArchive(claims, 0));
    fs::resize_file(SetPath(), static_cast<std::uintmax_t>(tableEnd) + 0xFFFFFFFFu);

    EXPECT_FALSE(Install());
    EXPECT_EQ(workspace.ui.Messages(),
              std::vector<std::string>{"message: The new DYNAUDIO.ODA would be larger than 2 GB\nNot Saved"});
    EXPECT_FALSE(fs::exists(WorkPath()));
    EXPECT_EQ(ReadBytes(stickArchive_), originalStick_);
    ExpectBusyBalanced();
}

TEST_F(MainInstallTest, NothingMatchingGivesARelaidCopyOfThePackedBase) {
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(25));
    // Same names with another tag, and other names with the same tag.
    WriteArchives(
        base, ArchiveBytes({{"MIDI", "SND0001.WAV", {1, 2, 3}}, {"WAVE", "snd0001.wav", {4}}, {"WAVE", "OTHER", {5}}}));
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadBytes(stickArchive_), base) << "an already packed base comes out byte for byte";
    EXPECT_TRUE(workspace.ui.Messages().empty());
}

TEST_F(MainInstallTest, OutOfOrderAndGappedBaseComesOutPackedInTableOrder) {
    // Data laid out backwards with gaps and one overlap.
    const std::size_t tableEnd = 64 + 144 * 4;
    const Bytes base = RawArchive({{"WAVE", "A", tableEnd + 900, 100},
                                   {"WAVE", "B", tableEnd + 500, 300},
                                   {"WAVE", "C", tableEnd + 10, 200},
                                   {"WAVE", "D", tableEnd + 100, 150}},
                                  tableEnd + 1200);
    const Bytes selected = ArchiveBytes({{"WAVE", "C", SyntheticTone(77, 5)}});
    ExpectInstalls(base, selected);

    const Bytes installed = ReadBytes(stickArchive_);
    EXPECT_EQ(installed.size(), tableEnd + 100 + 300 + 77 + 150);
    std::int64_t expectedOffset = static_cast<std::int64_t>(tableEnd);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<std::int32_t>(LoadLe32(EntryOf(installed, i) + 132)), expectedOffset);
        expectedOffset += LoadLe32(EntryOf(installed, i) + 136);
    }
    EXPECT_EQ(DataOf(installed, 0), DataOf(base, 0));
    EXPECT_EQ(DataOf(installed, 2), SyntheticTone(77, 5));
    EXPECT_EQ(DataOf(installed, 3), DataOf(base, 3));
}

TEST_F(MainInstallTest, ZeroSizeEntriesAreValidAndCopiedAsEmpty) {
    // Reading zero bytes is not an error: an empty sound is valid and must
    // not fail the Save.
    std::vector<ArchiveItem> baseItems = samples::StickSoundEntries(6);
    baseItems[1].data.clear();  // empty in the base
    const Bytes base = ArchiveBytes(baseItems);
    const Bytes selected = ArchiveBytes({{"WAVE", "SND0004.WAV", {}}});  // empty replacement
    ExpectInstalls(base, selected);
    const Bytes installed = ReadBytes(stickArchive_);
    EXPECT_EQ(LoadLe32(EntryOf(installed, 1) + 136), 0u);
    EXPECT_EQ(LoadLe32(EntryOf(installed, 4) + 136), 0u);
    EXPECT_EQ(LoadLe32(EntryOf(installed, 1) + 132), LoadLe32(EntryOf(installed, 2) + 132));
    EXPECT_EQ(LoadLe32(EntryOf(installed, 4) + 132), LoadLe32(EntryOf(installed, 5) + 132));
}

TEST_F(MainInstallTest, ZeroSizeEntryAtTheVeryEndOfItsFileIsValid) {
    const std::size_t tableEnd = 64 + 144 * 2;
    const Bytes base = RawArchive({{"WAVE", "A", tableEnd, 10}, {"WAVE", "B", tableEnd + 10, 0}}, tableEnd + 10);
    ExpectInstalls(base, ArchiveBytes({}));
}

TEST_F(MainInstallTest, EntriesLargerThanTheCopyBufferAreStreamedWhole) {
    const std::size_t big = kMergeCopyBufferSize * 2 + 12345;
    std::vector<ArchiveItem> baseItems = samples::StickSoundEntries(5);
    baseItems[0].data = SyntheticTone(big + 999, 11);
    const Bytes base = ArchiveBytes(baseItems);
    const Bytes selected = ArchiveBytes({{"WAVE", "SND0003.WAV", SyntheticTone(big, 12)}});
    ExpectInstalls(base, selected);
}

TEST_F(MainInstallTest, ManySmallEntriesFillTheCopyBufferSeveralTimes) {
    // About 2.5 buffers of small entries from both archives, with an empty
    // one here and there: the coalesced writes must land exactly in order.
    std::vector<ArchiveItem> baseItems = samples::StickSoundEntries(600, 1100);
    for (std::size_t i = 0; i < baseItems.size(); i += 37) baseItems[i].data.clear();
    std::vector<ArchiveItem> setItems = samples::MainSetEntries(600, 3, 21, 1300);
    for (std::size_t i = 0; i < setItems.size(); i += 29) setItems[i].data.clear();
    const Bytes base = ArchiveBytes(baseItems);
    const Bytes selected = ArchiveBytes(setItems);
    ASSERT_GT(base.size(), 2 * kMergeCopyBufferSize);
    ExpectInstalls(base, selected);
}

TEST_F(MainInstallTest, AnErrorAmidBufferedEntriesLeavesTheOthersInPlace) {
    std::vector<ArchiveItem> items = samples::StickSoundEntries(300, 1500);
    Bytes base = ArchiveBytes(items);
    PatchLe32(base, EntryFieldPosition(150, kOdaSizeField), 0x7FFFFFFFu);  // runs past the end
    WriteArchives(base, ArchiveBytes({}));
    EXPECT_FALSE(Install());
    ExpectBuildFailed();
    // What the failed merge wrote, which the install discards.
    ASSERT_EQ(MergeArchiveFiles(BasePath(), SetPath(), WorkPath()), MergeVerdict::Errors);
    const Bytes work = ReadBytes(WorkPath());
    for (std::size_t i : {0u, 149u, 151u, 299u}) EXPECT_EQ(DataOf(work, i), items[i].data) << i;
    // The failed entry takes no room: its neighbours touch.
    EXPECT_EQ(LoadLe32(EntryOf(work, 150) + 132), LoadLe32(EntryOf(work, 151) + 132));
}

TEST_F(MainInstallTest, DuplicateKeysInTheSetTheFirstWins) {
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(4));
    const Bytes selected = ArchiveBytes({{"WAVE", "SND0002.WAV", {1, 1, 1}}, {"WAVE", "SND0002.WAV", {2, 2}}});
    ExpectInstalls(base, selected);
    EXPECT_EQ(DataOf(ReadBytes(stickArchive_), 2), (Bytes{1, 1, 1}));
}

TEST_F(MainInstallTest, DuplicateKeysInTheBaseAreEachReplaced) {
    std::vector<ArchiveItem> baseItems = samples::StickSoundEntries(4);
    baseItems[3].name = baseItems[1].name;
    const Bytes base = ArchiveBytes(baseItems);
    const Bytes selected = ArchiveBytes({{"WAVE", baseItems[1].name, {9, 9}}});
    ExpectInstalls(base, selected);
    const Bytes installed = ReadBytes(stickArchive_);
    EXPECT_EQ(DataOf(installed, 1), (Bytes{9, 9}));
    EXPECT_EQ(DataOf(installed, 3), (Bytes{9, 9}));
}

TEST_F(MainInstallTest, UnterminatedNamesMatchOnAllTheirBytes) {
    const std::string full(128, 'Q');
    std::string shorter(127, 'Q');
    const Bytes base = RawArchive({{"WAVE", full, 64 + 288, 4}, {"WAVE", shorter, 64 + 292, 4}}, 64 + 296, 1);
    const Bytes selected = RawArchive({{"WAVE", full, 64 + 144, 3}}, 64 + 147, 2);
    ExpectInstalls(base, selected);
    const Bytes installed = ReadBytes(stickArchive_);
    EXPECT_EQ(DataOf(installed, 0), DataOf(selected, 0));
    EXPECT_EQ(DataOf(installed, 1), DataOf(base, 1));
}

TEST_F(MainInstallTest, MatchesRandomLayoutsOfTheReferenceAlgorithm) {
    std::mt19937 random(20260607);
    for (int round = 0; round < 25; ++round) {
        auto layout = [&](int count, std::size_t total, int names) {
            std::vector<RawEntry> entries;
            const std::size_t tableEnd = 64 + 144 * static_cast<std::size_t>(count);
            for (int i = 0; i < count; ++i) {
                const std::uint32_t size = random() % 4 == 0 ? 0u : static_cast<std::uint32_t>(random() % 3000);
                const std::size_t span = total - tableEnd - size;
                entries.push_back({random() % 5 == 0 ? "MIDI" : "WAVE",
                                   "S" + std::to_string(random() % static_cast<unsigned>(names)),
                                   static_cast<std::int64_t>(tableEnd + random() % (span + 1)), size});
            }
            return RawArchive(entries, total, static_cast<unsigned>(random()));
        };
        const int baseCount = 1 + static_cast<int>(random() % 60);
        const int setCount = static_cast<int>(random() % 30);
        const Bytes base = layout(baseCount, 64 + 144 * static_cast<std::size_t>(baseCount) + 20000, 50);
        const Bytes selected = layout(setCount, 64 + 144 * static_cast<std::size_t>(setCount) + 20000, 50);
        WriteArchives(base, selected);
        workspace.ui.transcript.clear();
        ASSERT_TRUE(Install()) << round;
        const auto expected = ReferenceMerge(base, selected);
        ASSERT_TRUE(expected.has_value());
        ASSERT_EQ(ReadBytes(stickArchive_), *expected) << round;
    }
    ExpectBusyBalanced();
}

TEST_F(MainInstallTest, OffsetPastTheEndOfTheBaseIsAnErrorAndTheRestIsStillCopied) {
    std::vector<ArchiveItem> items = samples::StickSoundEntries(5);
    Bytes base = ArchiveBytes(items);
    PatchLe32(base, EntryFieldPosition(1, kOdaDataOffsetField), static_cast<std::uint32_t>(base.size() + 10));
    const Bytes selected = ArchiveBytes(samples::MainSetEntries(5, 2, 4));  // replaces 0, 2 and 4
    WriteArchives(base, selected);
    EXPECT_FALSE(Install());
    ExpectBuildFailed();
    // The loop went on over all entries: the later ones were written (by the
    // merge itself; the install discards its failed work archive).
    ASSERT_EQ(MergeArchiveFiles(BasePath(), SetPath(), WorkPath()), MergeVerdict::Errors);
    const Bytes work = ReadBytes(WorkPath());
    EXPECT_EQ(DataOf(work, 3), items[3].data);
    EXPECT_EQ(DataOf(work, 4), DataOf(selected, 2));
}

TEST_F(MainInstallTest, DataOutsideItsFileIsAnError) {
    auto patched = [](Bytes archive, std::size_t entry, std::size_t field, std::uint32_t value) {
        PatchLe32(archive, EntryFieldPosition(entry, field), value);
        return archive;
    };
    const Bytes three = ArchiveBytes(samples::StickSoundEntries(3));
    Bytes truncated = ArchiveBytes(samples::StickSoundEntries(4));
    truncated.resize(truncated.size() - 100);
    const struct {
        const char* what;
        Bytes base;
        Bytes selected;
    } cases[] = {
        {"size past the end of the set", three,
         patched(ArchiveBytes(samples::MainSetEntries(3, 2, 4)), 0, kOdaSizeField, 0xFFFFFFF0u)},
        {"data ending one byte past the file",
         patched(three, 2, kOdaSizeField, LoadLe32(three.data() + EntryFieldPosition(2, kOdaSizeField)) + 1),
         ArchiveBytes({})},
        {"negative offset", patched(three, 0, kOdaDataOffsetField, 0xFFFFFF00u), ArchiveBytes({})},
        {"negative offset of an empty entry",
         patched(ArchiveBytes({{"WAVE", "A", {1}}, {"WAVE", "B", {}}}), 1, kOdaDataOffsetField, 0x80000000u),
         ArchiveBytes({})},
        {"truncated data", truncated, ArchiveBytes({})},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.what);
        ClearTranscript();
        WriteArchives(bad.base, bad.selected);
        EXPECT_FALSE(Install());
        ExpectBuildFailed();
    }
}

TEST_F(MainInstallTest, AnArchiveThatDoesNotOpenStopsBeforeAnythingIsWritten) {
    // The reader's refusal rules have their own tests; here, which message
    // each archive brings. Neither archive there: the base is tried first.
    EXPECT_FALSE(Install());
    ExpectNothingWritten(kBaseMessage);
    EXPECT_FALSE(fs::exists(WorkPath()));

    ClearTranscript();
    Bytes selected = ArchiveBytes(samples::MainSetEntries(4, 1, 2));
    selected.resize(64 + 144 * 2);  // a truncated table
    WriteArchives(ArchiveBytes(samples::StickSoundEntries(4)), selected);
    EXPECT_FALSE(Install());
    ExpectNothingWritten(kSourceMessage);
    EXPECT_FALSE(fs::exists(WorkPath()));
}

TEST_F(MainInstallTest, EmptyBaseInstallsAnEmptyArchive) {
    const Bytes base = ArchiveBytes({});
    WriteArchives(base, ArchiveBytes(samples::MainSetEntries(4, 1, 2)));
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadBytes(stickArchive_), base);
}

TEST_F(MainInstallTest, WorkArchiveThatCannotBeCreated) {
    WriteArchives(ArchiveBytes(samples::StickSoundEntries(4)), ArchiveBytes(samples::MainSetEntries(4, 1, 2)));
    fs::create_directory(WorkPath());
    EXPECT_FALSE(Install());
    ExpectNothingWritten(kCreateMessage);
    EXPECT_TRUE(fs::is_directory(WorkPath()));
}

TEST_F(MainInstallTest, AFullProgramDiskNeverReachesTheStick) {
    WriteArchives(ArchiveBytes(samples::StickSoundEntries(3, 64)), ArchiveBytes(samples::MainSetEntries(3, 1, 2, 64)));
    // Every write to the work archive fails, if only when it is flushed.
    fs::create_symlink("/dev/full", WorkPath());
    EXPECT_FALSE(Install());
    EXPECT_EQ(workspace.ui.Messages(), std::vector<std::string>{kWriteMessage});
    EXPECT_EQ(ReadBytes(stickArchive_), originalStick_);
    EXPECT_FALSE(fs::exists(BatchPath()));
    ExpectBusyBalanced();
}

TEST_F(MainInstallTest, FailedCopyToTheStickWritesTheBatchFile) {
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(10));
    const Bytes selected = ArchiveBytes(samples::MainSetEntries(10, 2, 3));
    WriteArchives(base, selected);
    // A directory standing at the target: neither deleted nor overwritten.
    fs::remove(stickArchive_);
    fs::create_directory(stickArchive_);

    EXPECT_FALSE(Install());
    EXPECT_EQ(workspace.ui.Messages(),
              (std::vector<std::string>{kCopyMessageWhy, ScriptMessage(workspace.programFolder)}));
    EXPECT_EQ(workspace.ui.busyAtMessage, (std::vector<bool>{true, true}));
    ExpectBusyBalanced();
    EXPECT_EQ(ReadBytes(WorkPath()), *ReferenceMerge(base, selected));

    EXPECT_EQ(ReadText(BatchPath()),
              "REM - this batch file copies updated file from PC to memory stick\r\n"
              "COPY \"" +
                  WorkPath() + "\" \"" + stickArchive_ +
                  "\"\r\n"
                  "PAUSE\r\n");
}

TEST_F(MainInstallTest, BatchFileThatCannotBeCreatedShowsOnlyTheCopyMessage) {
    WriteArchives(ArchiveBytes(samples::StickSoundEntries(4)), ArchiveBytes({}));
    fs::remove(stickArchive_);
    fs::create_directory(stickArchive_);
    fs::create_directory(BatchPath());
    fs::create_directory(workspace.Program("manual-copy.sh"));
    EXPECT_FALSE(Install());
    EXPECT_EQ(workspace.ui.Messages(), std::vector<std::string>{kCopyMessageWhy});
    EXPECT_EQ(workspace.ui.busyAtMessage, std::vector<bool>{true});
    ExpectBusyBalanced();
    EXPECT_TRUE(fs::is_regular_file(WorkPath()));
}

TEST_F(MainInstallTest, AnEarlierBatchFileIsOverwritten) {
    WriteArchives(ArchiveBytes(samples::StickSoundEntries(4)), ArchiveBytes({}));
    ASSERT_TRUE(samples::WriteText(BatchPath(), std::string(5000, '@')));
    fs::remove(stickArchive_);
    fs::create_directory(stickArchive_);
    EXPECT_FALSE(Install());
    const std::string text = ReadText(BatchPath());
    EXPECT_EQ(text.rfind("REM - this batch file", 0), 0u);
    EXPECT_EQ(text.find('@'), std::string::npos);  // temporary folder names have none
    EXPECT_LT(text.size(), 500u);
}

TEST(MainInstall, BatchFilePathsWithBlanksAreQuoted) {
    test::Workspace blanks({.programName = "My Sounds", .stickName = "Memory Stick"});
    ASSERT_EQ(blanks.Problem(), "");
    const std::string target = blanks.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA");
    fs::remove(target);
    fs::create_directory(target);
    ASSERT_TRUE(WriteBytes(blanks.Program("DATA_BASEMIND3.ODA"), ArchiveBytes(samples::StickSoundEntries(4))));
    ASSERT_TRUE(WriteBytes(blanks.Program("DATA_M3_Zorbit.ODA"), ArchiveBytes({})));

    EXPECT_FALSE(InstallMain(blanks.context, blanks.stick, blanks.Program("DATA_M3_Zorbit.ODA")));
    EXPECT_EQ(blanks.ui.Messages(), (std::vector<std::string>{kCopyMessageWhy, ScriptMessage(blanks.programFolder)}));
    EXPECT_EQ(ReadText(blanks.Program("MANUAL.BAT")),
              "REM - this batch file copies updated file from PC to memory stick\r\n"
              "COPY \"" +
                  blanks.Program("TMP.ODA") + "\" \"" + target +
                  "\"\r\n"
                  "PAUSE\r\n");
}

TEST_F(MainInstallTest, TheStickTargetIsDeletedBeforeTheCopy) {
    // A symbolic link at the target: deleting removes the link, so the copy
    // makes a new file and the file the link pointed to stays as it was.
    const std::string elsewhere = workspace.Program("ELSEWHERE.ODA");
    ASSERT_TRUE(WriteBytes(elsewhere, originalStick_));
    fs::remove(stickArchive_);
    fs::create_symlink(elsewhere, stickArchive_);
    ExpectInstalls(ArchiveBytes(samples::StickSoundEntries(6)), ArchiveBytes(samples::MainSetEntries(6, 2, 9)));
    EXPECT_FALSE(fs::is_symlink(stickArchive_));
    EXPECT_EQ(ReadBytes(elsewhere), originalStick_);
}

TEST_F(MainInstallTest, StickNamesAreFoundWithoutRegardToCase) {
    const std::string lower = workspace.OnStick("OPEN-R/MW/DATA/P/dynaudio.oda");
    fs::rename(stickArchive_, lower);
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(6));
    const Bytes selected = ArchiveBytes(samples::MainSetEntries(6, 2, 9));
    WriteArchives(base, selected);
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadBytes(lower), *ReferenceMerge(base, selected));
    EXPECT_FALSE(fs::exists(stickArchive_));
}

TEST_F(MainInstallTest, AnExistingWorkArchiveIsReplaced) {
    ASSERT_TRUE(samples::WriteText(WorkPath(), std::string(100000, 'z')));
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(6));
    const Bytes selected = ArchiveBytes(samples::MainSetEntries(6, 2, 9));
    ExpectInstalls(base, selected);
}

TEST_F(MainInstallTest, BusyCountOfTheCallerIsRespected) {
    // The Save command may already hold the pointer: InstallMain ends only
    // its own span.
    const Bytes base = ArchiveBytes(samples::StickSoundEntries(6));
    WriteArchives(base, ArchiveBytes({}));
    workspace.context.BeginBusy();
    ASSERT_TRUE(Install());
    EXPECT_EQ(workspace.context.BusyDepth(), 1);
    EXPECT_TRUE(workspace.ui.busyShown);
    workspace.context.EndBusy();
}

// ---------------------------------------------------------------------------
// The merge on its own.

using ArchiveMergeTest = test::FolderTest;

TEST_F(ArchiveMergeTest, ReportsEachOutcome) {
    const std::string good = Write(ArchiveBytes(samples::StickSoundEntries(5)), "GOOD.ODA");
    const std::string bad = Write(Bytes(10, 0), "BAD.ODA");
    Bytes pastEnd = ArchiveBytes(samples::StickSoundEntries(5));
    PatchLe32(pastEnd, EntryFieldPosition(0, kOdaSizeField), 1u << 30);
    PatchLe32(pastEnd, EntryFieldPosition(4, kOdaDataOffsetField), 0xFFFFFFFFu);
    const std::string broken = Write(pastEnd, "BROKEN.ODA");
    fs::create_directory(folder.Path() / "DIR");
    EXPECT_EQ(MergeArchiveFiles(good, good, folder / "OUT.ODA"), MergeVerdict::Done);
    EXPECT_EQ(ReadBytes(folder / "OUT.ODA"), ReadBytes(good));
    EXPECT_EQ(MergeArchiveFiles(bad, good, folder / "OUT.ODA"), MergeVerdict::BaseNotOpened);
    EXPECT_EQ(MergeArchiveFiles(good, bad, folder / "OUT.ODA"), MergeVerdict::SelectedNotOpened);
    EXPECT_EQ(MergeArchiveFiles(good, good, folder / "DIR"), MergeVerdict::WorkNotCreated);
    EXPECT_EQ(MergeArchiveFiles(broken, Write(ArchiveBytes({}), "EMPTY.ODA"), folder / "OUT.ODA"),
              MergeVerdict::Errors);
}

TEST_F(ArchiveMergeTest, OutputOffsetsBeyondTheFieldAreErrorsAndTheirDataIsNotWritten) {
    // The real limit is 2 GiB - 1; a lowered limit shows the same handling
    // without writing gigabytes.
    const std::vector<ArchiveItem> items = samples::StickSoundEntries(6, 1000);
    const Bytes baseBytes = ArchiveBytes(items);
    const Bytes setBytes = ArchiveBytes({});
    OdaArchive base, selected, output;
    ASSERT_TRUE(base.OpenBytes(baseBytes));
    ASSERT_TRUE(selected.OpenBytes(setBytes));
    PrepareWorkArchive(base, output);
    ASSERT_TRUE(output.Create(folder / "OUT.ODA"));
    const std::int64_t tableEnd = 64 + 144 * 6;
    // Entries 0 and 1 start within the limit; 2 starts beyond it.
    EXPECT_FALSE(WriteMergedArchive(base, selected, output, tableEnd + 1500));
    output.Close();
    const Bytes out = ReadBytes(folder / "OUT.ODA");
    EXPECT_EQ(out.size(), static_cast<std::size_t>(tableEnd) + items[0].data.size() + items[1].data.size());
    EXPECT_EQ(DataOf(out, 1), items[1].data);
}

TEST(ArchiveMerge, TheLimitCannotBeRaisedPastTheField) {
    // An entry of almost 2 GiB, read from a sparse file (in memory where the
    // host has /dev/shm, where reading holes costs nothing) and written to
    // /dev/null: the entry after it would start where no offset field reaches.
    const TempFolder folder(fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
    ASSERT_FALSE(folder.Path().empty());
    const std::uint32_t big = 0x7FFFFF00u;
    const std::int64_t tableEnd = 64 + 144 * 2;
    const std::string basePath = folder / "BASE.ODA";
    ASSERT_TRUE(WriteBytes(basePath, RawArchive({{"WAVE", "BIG", tableEnd, big}, {"WAVE", "NEXT", tableEnd, 16}}, 0)));
    fs::resize_file(basePath, static_cast<std::uintmax_t>(tableEnd) + big);
    OdaArchive base, none, output;
    ASSERT_TRUE(base.Open(basePath));
    PrepareWorkArchive(base, output);
    ASSERT_TRUE(output.Create("/dev/null"));
    EXPECT_FALSE(WriteMergedArchive(base, none, output, std::int64_t{1} << 40));
}

TEST_F(ArchiveMergeTest, OverlappingEntriesPointingAtTheSameDataAreEachCopied) {
    const std::size_t tableEnd = 64 + 144 * 3;
    const Bytes base = RawArchive({{"WAVE", "A", static_cast<std::int64_t>(tableEnd), 500},
                                   {"WAVE", "B", static_cast<std::int64_t>(tableEnd), 500},
                                   {"WAVE", "C", static_cast<std::int64_t>(tableEnd + 250), 250}},
                                  tableEnd + 500);
    const std::string basePath = Write(base, "BASE.ODA");
    const std::string setPath = Write(ArchiveBytes({}), "SET.ODA");
    ASSERT_EQ(MergeArchiveFiles(basePath, setPath, folder / "OUT.ODA"), MergeVerdict::Done);
    EXPECT_EQ(ReadBytes(folder / "OUT.ODA"), *ReferenceMerge(base, ArchiveBytes({})));
}

}  // namespace
}  // namespace tamsiro
