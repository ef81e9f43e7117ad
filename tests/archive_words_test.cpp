// The words for every outcome archive/ reports: each defect is said, and
// says where (the entry, the file) and why (the host's reason) where it
// knows. tests/cli checks the whole messages of the oda commands.
#include "install/archive_words.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsiro {
namespace {

constexpr std::size_t kEntry = 7;
const std::string kPath = "/nowhere/X.ODA";
const std::string kInto = "/nowhere/OUT.ODA.part";
// A reason no other word contains.
const Failure kFailure{FileAction::Read, FailureReason::Denied, "/nowhere/failed", 0};

// What a text must name: the entry, the path, the other path, the reason.
struct Names {
    bool entry = false;
    bool path = false;
    bool into = false;
    bool reason = false;
};

void ExpectNames(const std::string& text, Names names, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("entry " + std::to_string(kEntry)) != std::string::npos, names.entry) << text;
    if (names.path) {
        EXPECT_NE(text.find(kPath), std::string::npos) << text;
    }
    if (names.into) {
        EXPECT_NE(text.find(kInto), std::string::npos) << text;
    }
    EXPECT_EQ(text.find(FailureReasonText(kFailure)) != std::string::npos, names.reason) << text;
}

TEST(ArchiveWordsTest, EveryCheckDefectIsSaidWithItsEntryAndReason) {
    using V = ArchiveCheckVerdict;
    const struct {
        V verdict;
        Names names;
    } cases[] = {
        {V::NotOpened, {.reason = true}},
        {V::SizeUnknown, {}},
        {V::ShorterThanHeader, {}},
        {V::HeaderUnreadable, {.reason = true}},
        {V::WrongMagic, {}},
        {V::NegativeCount, {}},
        {V::TablePastEnd, {}},
        {V::TooManyEntries, {}},
        {V::TableUnreadable, {.entry = true, .reason = true}},
        {V::NegativeOffset, {.entry = true}},
        {V::DataPastEnd, {.entry = true}},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(V::DataPastEnd)) << "a row for every defect";
    for (const auto& c : cases) {
        ArchiveCheckOutcome outcome{.verdict = c.verdict, .magic = "OD\x01R", .entry = kEntry, .failure = kFailure};
        ExpectNames(ArchiveCheckText(outcome), c.names, "check verdict " + std::to_string(static_cast<int>(c.verdict)));
    }
    EXPECT_EQ(ArchiveCheckText({}), "") << "a sound archive needs no words";
    const ArchiveCheckOutcome magic{.verdict = V::WrongMagic, .magic = "OD\x01R"};
    EXPECT_EQ(ArchiveCheckText(magic), "header: the magic is \"OD\\x01R\", not \"ODAR\"") << "no control byte shown";
    EXPECT_EQ(ArchiveCheckText({.verdict = V::HeaderUnreadable}), "header: cannot be read") << "memory gives no reason";
}

TEST(ArchiveWordsTest, EveryManifestDefectIsSaidWithItsEntryAndField) {
    using V = ManifestVerdict;
    using F = ManifestField;
    const struct {
        V verdict;
        F field;
        bool entry;
        const char* says;  // a piece of the text
    } cases[] = {
        {V::Unreadable, F::None, false, "cannot be read"},
        {V::TokenTooLong, F::None, false, "64 KiB"},
        {V::TooDeep, F::None, false, "64 levels"},
        {V::NotJson, F::None, false, "not valid JSON"},
        {V::OtherFormat, F::None, false, "\"tamsiro-oda-folder\" version 1"},
        {V::FieldWrong, F::HeaderHex, false, "\"header_hex\" is not 64 bytes"},
        {V::FieldWrong, F::Entries, false, "\"entries\" is not a list"},
        {V::FieldWrong, F::File, true, "\"file\" is not a plain file name"},
        {V::FieldWrong, F::TagHex, true, "\"tag_hex\" is not 4 bytes"},
        {V::FieldWrong, F::NameFieldHex, true, "\"name_field_hex\" is not at most 128 bytes"},
        {V::FieldWrong, F::OpaqueHex, true, "\"opaque_hex\" is not 4 bytes"},
        {V::TooManyEntries, F::None, false, "more than the 131072 entries"},
        {V::NotAnObject, F::None, true, "not an object"},
        {V::ListedTwice, F::File, true, "\"SND.WAV\" is listed twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ManifestOutcome outcome{.verdict = c.verdict, .field = c.field, .file = "SND.WAV", .failure = kFailure};
        if (c.entry) outcome.entry = kEntry;
        const std::string text = ManifestOutcomeText(outcome);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        ExpectNames(text, {.entry = c.entry, .reason = c.verdict == V::Unreadable}, c.says);
    }
    EXPECT_EQ(ManifestOutcomeText({}), "");
}

TEST(ArchiveWordsTest, EveryFolderStopIsSaidWithItsPathsAndReason) {
    using V = FolderVerdict;
    const struct {
        V verdict;
        Names names;
    } cases[] = {
        {V::ArchiveNotSound, {.reason = true}},  // the check's NotOpened
        {V::ArchiveNotOpened, {.reason = true}},
        {V::NoRoom, {.path = true}},
        {V::NotAFolder, {.path = true}},
        {V::FolderNotReadable, {.path = true, .reason = true}},
        {V::FolderNotEmpty, {.path = true}},
        {V::FolderNotCreated, {.reason = true}},  // names the level that failed
        {V::FileNotCreated, {.path = true, .reason = true}},
        {V::EntryNotCopied, {.entry = true, .path = true, .reason = true}},
        {V::ManifestNotWritten, {.path = true, .reason = true}},
        {V::FileNotOpened, {.path = true, .reason = true}},
        {V::ManifestNotRead, {.path = true, .reason = true}},
        {V::ManifestWrong, {.entry = true}},  // the manifest's entry
        {V::EntryFileMissing, {.entry = true, .path = true, .reason = true}},
        {V::EntryFileSizeUnknown, {.entry = true, .path = true, .reason = true}},
        {V::EntryFileTooLarge, {.entry = true, .path = true}},
        {V::FolderNotListed, {.path = true}},
        {V::FilesNotNamed, {}},
        {V::ArchiveTooLarge, {}},
        {V::TableNotWritten, {.path = true, .reason = true}},
        {V::EntryFileShrank, {.path = true, .into = true}},
        {V::DataNotCopied, {.path = true, .into = true, .reason = true}},
        {V::ArchiveNotFinished, {.path = true, .reason = true}},
        {V::ArchiveNotReplaced, {.path = true, .reason = true}},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(V::ArchiveNotReplaced)) << "a row for every stop";
    for (const auto& c : cases) {
        FolderOutcome outcome{.verdict = c.verdict, .path = kPath, .into = kInto, .entry = kEntry, .failure = kFailure};
        outcome.check = {.verdict = ArchiveCheckVerdict::NotOpened, .failure = kFailure};
        outcome.manifest = {.verdict = ManifestVerdict::NotAnObject, .entry = kEntry};
        outcome.leftOut = std::vector<std::string>{"A", "B"};
        const std::string text = FolderOutcomeText(outcome);
        ExpectNames(text, c.names, "folder verdict " + std::to_string(static_cast<int>(c.verdict)));
        if (c.verdict == V::FolderNotCreated) {
            EXPECT_NE(text.find(kFailure.path), std::string::npos) << text;
        }
    }
    EXPECT_EQ(FolderOutcomeText({}), "");
}

TEST(ArchiveWordsTest, ADiffThatCannotCompareNamesTheArchiveAtFault) {
    ArchiveDiffOutcome notSound{.verdict = ArchiveDiffVerdict::NotSound, .archive = kPath};
    notSound.check = {.verdict = ArchiveCheckVerdict::NegativeOffset, .entry = kEntry, .offset = -5};
    EXPECT_EQ(DiffOutcomeText(notSound), kPath + ": entry 7: the data offset is negative (-5)");
    EXPECT_EQ(DiffOutcomeText({.verdict = ArchiveDiffVerdict::NotOpened, .archive = kPath}),
              kPath + ": cannot open the archive");
    EXPECT_EQ(DiffOutcomeText({}), "");
}

TEST(ArchiveWordsTest, AReasonIsTheHostsWordsOrItsKindsWhereItGaveNoCode) {
    test::TempFolder folder;
    for (int reason = 0; reason <= static_cast<int>(FailureReason::Interrupted); ++reason) {
        const Failure failure{FileAction::Open, static_cast<FailureReason>(reason), folder / "none", 0};
        EXPECT_NE(FailureReasonText(failure), "") << reason;
    }
    // A folder refused before any call leaves no code.
    EXPECT_EQ(FailureReasonText({FileAction::Open, FailureReason::LinkOrSpecial, folder.Str(), 0}), "Is a directory");
    EXPECT_EQ(FailureReasonText({FileAction::Open, FailureReason::LinkOrSpecial, folder / "fifo", 0}),
              "not a regular file");
}

}  // namespace
}  // namespace tamsiro
