// The archive format and its reader (OdaArchive).
#include "archive/oda_archive.h"
#include "tests/support/workspace.h"
#include "tools/archive_fixtures.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tamsiro {
namespace {

using samples::ReadBytes;
using samples::SyntheticTone;
using samples::WriteBytes;

using Bytes = std::vector<unsigned char>;

OdaEntry Key(const std::string& tag, const std::string& name) {
    OdaEntry entry;
    std::copy_n(tag.begin(), std::min<std::size_t>(tag.size(), 4), entry.bytes.begin());
    std::copy_n(name.begin(), std::min(name.size(), kOdaNameSize), entry.bytes.begin() + 4);
    return entry;
}

// Writes raw name bytes into the 128-byte field of entry i (no terminator
// added).
void PatchName(Bytes& bytes, std::size_t index, const Bytes& field) {
    std::copy(field.begin(), field.end(), bytes.begin() + static_cast<std::ptrdiff_t>(EntryFieldPosition(index, 4)));
}

// Most cases read from memory; the file source is covered where a file
// matters (opening one, its size, writing over it).
class ArchiveReaderTest : public test::FolderTest {
protected:
    // Bytes that live as long as the test, for OpenBytes.
    std::span<const unsigned char> Keep(Bytes bytes) { return kept_.emplace_back(std::move(bytes)); }

private:
    std::list<Bytes> kept_;
};

TEST_F(ArchiveReaderTest, OpensAWellFormedArchiveAndLoadsHeaderAndTable) {
    const std::vector<ArchiveItem> items = {
        {"WAVE", "ONE.WAV", SyntheticTone(100, 1)},
        {"WAVE", "TWO.WAV", SyntheticTone(50, 2)},
        {"MIDI", "ONE.WAV", SyntheticTone(7, 3)},
    };
    const Bytes bytes = ArchiveBytes(items);
    OdaArchive archive;
    ASSERT_TRUE(archive.Open(Write(bytes)));
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.Count(), 3);
    ASSERT_EQ(archive.TableSize(), 3u);
    EXPECT_TRUE(std::equal(archive.Header().bytes.begin(), archive.Header().bytes.end(), bytes.begin()));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::equal(archive.Entry(i).bytes.begin(), archive.Entry(i).bytes.end(),
                               bytes.begin() + static_cast<std::ptrdiff_t>(EntryFieldPosition(i, 0))));
    }
    EXPECT_EQ(archive.Entry(1).Name(), "TWO.WAV");
    EXPECT_EQ(archive.Entry(0).Offset(), 64 + 3 * 144);
    EXPECT_EQ(archive.Entry(1).Offset(), 64 + 3 * 144 + 100);
    EXPECT_EQ(archive.Entry(2).Size(), 7u);
    EXPECT_EQ(archive.FileSize(), static_cast<std::int64_t>(bytes.size()));
}

TEST_F(ArchiveReaderTest, FreshObjectHasNoFileZeroHeaderAndNoTable) {
    OdaArchive archive;
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.TableSize(), 0u);
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_TRUE(std::all_of(archive.Header().bytes.begin(), archive.Header().bytes.end(),
                            [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), std::nullopt);
}

TEST_F(ArchiveReaderTest, FindsByTagAndNameExactly) {
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({
        {"WAVE", "ONE.WAV", {1}},
        {"WAVE", "TWO.WAV", {2}},
        {"MIDI", "ONE.WAV", {3}},
    }))));
    EXPECT_EQ(archive.Find(Key("WAVE", "ONE.WAV")), 0u);
    EXPECT_EQ(archive.Find(Key("WAVE", "TWO.WAV")), 1u);
    EXPECT_EQ(archive.Find(Key("MIDI", "ONE.WAV")), 2u);
    EXPECT_EQ(archive.Find(Key("MIDI", "TWO.WAV")), std::nullopt);
    EXPECT_EQ(archive.Find(Key("WAVE", "one.wav")), std::nullopt) << "case matters";
    EXPECT_EQ(archive.Find(Key("wave", "ONE.WAV")), std::nullopt) << "case matters in tags";
    EXPECT_EQ(archive.Find(Key("WAVE", "ONE.WA")), std::nullopt);
    EXPECT_EQ(archive.Find(Key("WAVE", "ONE.WAVX")), std::nullopt);
    EXPECT_EQ(archive.Find(Key("WAVE", "")), std::nullopt);
}

TEST_F(ArchiveReaderTest, TagIsComparedAsFourRawBytes) {
    Bytes bytes = ArchiveBytes({{"WAVE", "N", {1}}, {"WAVE", "N", {2}}});
    // Tags with zero bytes inside: "W\0AB" and "W\0CD" differ.
    const unsigned char tag0[4] = {'W', 0, 'A', 'B'};
    const unsigned char tag1[4] = {'W', 0, 'C', 'D'};
    std::memcpy(bytes.data() + EntryFieldPosition(0, 0), tag0, 4);
    std::memcpy(bytes.data() + EntryFieldPosition(1, 0), tag1, 4);
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    OdaEntry key = Key("", "N");
    std::memcpy(key.bytes.data(), tag1, 4);
    EXPECT_EQ(archive.Find(key), 1u);
    std::memcpy(key.bytes.data(), tag0, 4);
    EXPECT_EQ(archive.Find(key), 0u);
}

TEST_F(ArchiveReaderTest, DuplicateKeysFirstOccurrenceWins) {
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({
        {"WAVE", "OTHER", {0}},
        {"WAVE", "DUP", {1}},
        {"MIDI", "DUP", {2}},
        {"WAVE", "DUP", {3}},
        {"WAVE", "DUP", {4}},
    }))));
    EXPECT_EQ(archive.Find(Key("WAVE", "DUP")), 1u);
    EXPECT_EQ(archive.Find(Key("MIDI", "DUP")), 2u);
}

TEST_F(ArchiveReaderTest, NamesAreComparedOnlyUpToTheTerminator) {
    Bytes bytes = ArchiveBytes({{"WAVE", "SND", {1}}, {"WAVE", "OTHER", {2}}});
    // Garbage after the terminator inside the field.
    Bytes field(kOdaNameSize, 0);
    std::memcpy(field.data(), "SND\0junk-after-terminator", 25);
    PatchName(bytes, 0, field);
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    OdaEntry key = Key("WAVE", "SND");
    std::memcpy(key.bytes.data() + 4 + 4, "different junk", 14);  // after the key's own terminator
    EXPECT_EQ(archive.Find(key), 0u);
}

TEST_F(ArchiveReaderTest, UnterminatedNamesCompareAllOfTheField) {
    Bytes bytes = ArchiveBytes({{"WAVE", "a", {1}}, {"WAVE", "b", {2}}, {"WAVE", "c", {3}}});
    Bytes full(kOdaNameSize, 'N');     // 128 characters, no terminator
    Bytes shorter(kOdaNameSize, 'N');  // 127 characters and the terminator
    shorter.back() = 0;
    Bytes otherLast(kOdaNameSize, 'N');  // differs only in the 128th byte
    otherLast.back() = 'M';
    PatchName(bytes, 0, shorter);
    PatchName(bytes, 1, full);
    PatchName(bytes, 2, otherLast);
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    EXPECT_EQ(archive.Entry(1).Name().size(), kOdaNameSize);

    OdaEntry key;
    std::memcpy(key.bytes.data(), "WAVE", 4);
    std::copy(full.begin(), full.end(), key.bytes.begin() + 4);
    EXPECT_EQ(archive.Find(key), 1u);
    std::copy(otherLast.begin(), otherLast.end(), key.bytes.begin() + 4);
    EXPECT_EQ(archive.Find(key), 2u);
    std::copy(shorter.begin(), shorter.end(), key.bytes.begin() + 4);
    EXPECT_EQ(archive.Find(key), 0u);
    // The field ends where the opaque offset begins: those bytes never count.
    key.SetOffset(12345);
    EXPECT_EQ(archive.Find(key), 0u);
}

TEST_F(ArchiveReaderTest, EmptyArchiveOpensAndFindsNothing) {
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({}))));
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_EQ(archive.TableSize(), 0u);
    EXPECT_EQ(archive.Find(Key("WAVE", "")), std::nullopt);
    EXPECT_EQ(archive.Find(Key("", "")), std::nullopt);
}

TEST_F(ArchiveReaderTest, ArbitraryHeaderBytesAfterTheMagicAreAccepted) {
    Bytes bytes = ArchiveBytes({{"WAVE", "X", {9}}});
    for (std::size_t i = 4; i < kOdaHeaderSize; ++i) {
        if (i < 8 || i >= 12) bytes[i] = static_cast<unsigned char>(0xFF - i);
    }
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    EXPECT_TRUE(std::equal(archive.Header().bytes.begin(), archive.Header().bytes.end(), bytes.begin()));
}

TEST_F(ArchiveReaderTest, DataIsNotCheckedByTheReader) {
    Bytes bytes = ArchiveBytes({{"WAVE", "X", Bytes(100, 1)}});
    PatchLe32(bytes, EntryFieldPosition(0, kOdaDataOffsetField), 0x7FFFFFFF);
    PatchLe32(bytes, EntryFieldPosition(0, kOdaSizeField), 0xFFFFFFFF);
    bytes.resize(kOdaHeaderSize + kOdaEntrySize);  // no data at all
    OdaArchive archive;
    EXPECT_TRUE(archive.OpenBytes(Keep(bytes)));
}

TEST_F(ArchiveReaderTest, MissingFileOrDirectoryDoesNotOpen) {
    OdaArchive archive;
    EXPECT_FALSE(archive.Open(folder / "NONE.ODA"));
    std::filesystem::create_directory(folder.Path() / "DIR.ODA");
    EXPECT_FALSE(archive.Open(folder / "DIR.ODA"));
}

TEST_F(ArchiveReaderTest, ShortHeaderDoesNotOpen) {
    const Bytes bytes = ArchiveBytes({});
    for (std::size_t size : {0u, 4u, 63u}) {
        OdaArchive archive;
        EXPECT_FALSE(archive.OpenBytes(Keep(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)))))
            << size;
    }
}

TEST_F(ArchiveReaderTest, WrongMagicDoesNotOpen) {
    Bytes bytes = ArchiveBytes({{"WAVE", "X", {1}}});
    bytes[3] = 'r';
    OdaArchive archive;
    EXPECT_FALSE(archive.OpenBytes(Keep(bytes)));
}

TEST_F(ArchiveReaderTest, TruncatedTableDoesNotOpen) {
    const Bytes bytes = ArchiveBytes({{"WAVE", "X", {}}, {"WAVE", "Y", {}}, {"WAVE", "Z", {}}});
    ASSERT_EQ(bytes.size(), kOdaHeaderSize + 3 * kOdaEntrySize);
    for (std::size_t cut = 1; cut <= 3 * kOdaEntrySize; cut += 71) {
        OdaArchive archive;
        EXPECT_FALSE(archive.OpenBytes(Keep(Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)))))
            << cut;
    }
    OdaArchive whole;
    EXPECT_TRUE(whole.OpenBytes(Keep(bytes)));
}

TEST_F(ArchiveReaderTest, NegativeCountDoesNotOpen) {
    for (std::uint32_t count : {0xFFFFFFFFu, 0x80000000u, 0xFFFFFF00u}) {
        Bytes bytes = ArchiveBytes({{"WAVE", "X", {1}}});
        PatchLe32(bytes, kOdaCountOffset, count);
        OdaArchive archive;
        EXPECT_FALSE(archive.OpenBytes(Keep(bytes))) << count;
    }
}

TEST_F(ArchiveReaderTest, AbsurdCountIsRefusedBeforeAllocating) {
    // 0x7FFFFFFF entries would be a 309 GB table; the file has 4 KiB. The
    // sanitizer build would abort on such an allocation, so passing there
    // also shows that nothing was allocated.
    for (std::uint32_t count : {0x7FFFFFFFu, 0x01000000u, 30u}) {
        Bytes bytes = ArchiveBytes({{"WAVE", "X", Bytes(4096, 1)}});
        PatchLe32(bytes, kOdaCountOffset, count);
        OdaArchive archive;
        EXPECT_FALSE(archive.OpenBytes(Keep(bytes))) << count;
        EXPECT_EQ(archive.TableSize(), 0u);
    }
}

TEST_F(ArchiveReaderTest, CountSmallerThanTheTableReadsOnlyThatMany) {
    Bytes bytes = ArchiveBytes({{"WAVE", "X", {1}}, {"WAVE", "Y", {2}}});
    PatchLe32(bytes, kOdaCountOffset, 1);
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    EXPECT_EQ(archive.TableSize(), 1u);
    EXPECT_EQ(archive.Find(Key("WAVE", "Y")), std::nullopt);
}

TEST_F(ArchiveReaderTest, CloseIsIdempotentAndKeepsTheHeader) {
    const Bytes bytes = ArchiveBytes({{"WAVE", "X", {1}}});
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(bytes)));
    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.TableSize(), 0u);
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), std::nullopt);
    EXPECT_TRUE(archive.Header().HasMagic());
    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
}

TEST_F(ArchiveReaderTest, AFailedOpenCanBeClosedAndTheObjectReused) {
    Bytes bad = ArchiveBytes({{"WAVE", "X", {1}}});
    bad.resize(kOdaHeaderSize + 10);
    OdaArchive archive;
    EXPECT_FALSE(archive.OpenBytes(Keep(bad)));
    archive.Close();
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({{"WAVE", "Y", {1}}}))));
    EXPECT_EQ(archive.Find(Key("WAVE", "Y")), 0u);
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), std::nullopt);
}

TEST_F(ArchiveReaderTest, ReopeningReplacesTableAndIndex) {
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({{"WAVE", "X", {1}}}))));
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), 0u);
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({{"WAVE", "Y", {1}}, {"WAVE", "X", {1}}}))));
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), 1u);
}

TEST_F(ArchiveReaderTest, WritingTheTableRebuildsTheIndex) {
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes({{"WAVE", "X", {1}}, {"WAVE", "Y", {1}}}))));
    EXPECT_EQ(archive.Find(Key("WAVE", "Y")), 1u);
    archive.MutableTable()[0] = Key("WAVE", "Y");
    EXPECT_EQ(archive.Find(Key("WAVE", "Y")), 0u);
    EXPECT_EQ(archive.Find(Key("WAVE", "X")), std::nullopt);
}

TEST_F(ArchiveReaderTest, ManyEntriesAreAllFoundAtTheirFirstPosition) {
    // Enough entries for plenty of hash collisions; every third name
    // repeats an earlier one, so the first occurrence must win each time.
    std::vector<ArchiveItem> items;
    const int count = 5000;
    for (int i = 0; i < count; ++i) {
        const int id = (i % 3 == 2) ? i / 2 : i;
        items.push_back({(i % 2) ? "WAVE" : "MIDI", "S" + std::to_string(id), {}});
    }
    OdaArchive archive;
    ASSERT_TRUE(archive.OpenBytes(Keep(ArchiveBytes(items))));
    std::map<std::pair<std::string, std::string>, int> firsts;
    for (int i = 0; i < count; ++i) {
        const ArchiveItem& item = items[static_cast<std::size_t>(i)];
        firsts.emplace(std::make_pair(item.tag, item.name), i);
    }
    for (int i = 0; i < count; ++i) {
        const ArchiveItem& item = items[static_cast<std::size_t>(i)];
        ASSERT_EQ(archive.Find(Key(item.tag, item.name)), firsts.at({item.tag, item.name})) << i;
    }
    EXPECT_EQ(archive.Find(Key("WAVE", "S-1")), std::nullopt);
}

TEST_F(ArchiveReaderTest, CreateKeepsTheHeaderAndTableForTheWriter) {
    const std::string path = Write(ArchiveBytes({{"WAVE", "X", {1}}, {"WAVE", "Y", {2}}}));
    OdaArchive archive;
    ASSERT_TRUE(archive.Open(path));
    const OdaHeader header = archive.Header();
    const OdaEntry second = archive.Entry(1);
    // Over the file it was read from: that file starts again empty.
    ASSERT_TRUE(archive.Create(path));
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.Header().bytes, header.bytes);
    ASSERT_EQ(archive.TableSize(), 2u);
    EXPECT_EQ(archive.Entry(1).bytes, second.bytes);
    EXPECT_EQ(archive.Find(Key("WAVE", "Y")), 1u);
    EXPECT_TRUE(ReadBytes(path).empty());

    std::filesystem::create_directory(folder.Path() / "DIR.ODA");
    EXPECT_FALSE(archive.Create(folder / "DIR.ODA"));
}

}  // namespace
}  // namespace tamsiro
