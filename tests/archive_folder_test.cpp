// The extracted folder's manifest, read from and written to bytes, and the
// entries' file names; tests/cli runs extract and pack as a program.
#include "archive/entry_file_names.h"
#include "archive/folder_manifest.h"
#include "archive/oda_archive.h"
#include "host/text_bytes.h"
#include "install/archive_words.h"
#include "tools/archive_fixtures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tamsiro {
namespace {

using Bytes = std::vector<unsigned char>;
using Json = nlohmann::ordered_json;

FolderManifest ManifestOf(const Bytes& archiveBytes) {
    OdaArchive archive;
    EXPECT_TRUE(archive.OpenBytes(archiveBytes));
    FolderManifest manifest;
    manifest.header = archive.Header();
    manifest.table = archive.Table();
    manifest.files = EntryFileNames(archive.Table());
    // As read back: sizes and offsets come from the files.
    for (OdaEntry& entry : manifest.table) {
        entry.SetSize(0);
        entry.SetOffset(0);
    }
    return manifest;
}

bool SameManifest(const FolderManifest& a, const FolderManifest& b) {
    if (a.header.bytes != b.header.bytes || a.files != b.files || a.table.size() != b.table.size()) return false;
    for (std::size_t i = 0; i < a.table.size(); ++i) {
        if (a.table[i].bytes != b.table[i].bytes) return false;
    }
    return true;
}

// Bytes that fail to read past a point, as a file whose disk fails.
class FailingSource final : public ByteSource {
public:
    FailingSource(std::string_view text, std::size_t readable)
        : memory_({reinterpret_cast<const unsigned char*>(text.data()), text.size()}), readable_(readable) {}
    std::int64_t Size() const override { return memory_.Size(); }
    bool ReadAt(std::int64_t position, void* buffer, std::size_t size) override {
        if (static_cast<std::uint64_t>(position) + size > readable_) return false;
        return memory_.ReadAt(position, buffer, size);
    }

private:
    MemorySource memory_;
    std::size_t readable_;
};

TEST(FolderManifestTest, WrittenAsOneDumpOfTheWholeAndReadBack) {
    Bytes odd = ArchiveBytes({{"WAVE", "A.WAV", {1}}, {std::string("\x01\0\xFF\"", 4), "\"\\\x7F\xE9", {}}});
    std::fill_n(odd.begin() + static_cast<std::ptrdiff_t>(EntryFieldPosition(1, kOdaNameField + 10)), 20, 'x');
    for (const Bytes& archive : {ArchiveBytes({}), odd}) {
        const FolderManifest manifest = ManifestOf(archive);
        const std::string text = ManifestText(manifest);
        EXPECT_EQ(Json::parse(text).dump(2) + "\n", text);
        FolderManifest read;
        ASSERT_TRUE(ReadManifestText(text, read).Read());
        EXPECT_TRUE(SameManifest(read, manifest));
    }
}

TEST(FolderManifestTest, OddManifestsAreReadOrRefusedWithTheirFirstProblem) {
    const FolderManifest original =
        ManifestOf(ArchiveBytes({{"WAVE", "A.WAV", {1}}, {"WAVE", "B.WAV", {2}}, {"MIDI", "C.MID", {3}}}));
    const std::string text = ManifestText(original);
    const Json json = Json::parse(text);
    // The manifest with one value set; `entry` picks an entry's field.
    const auto with = [&](const char* key, Json value, int entry = -1) {
        Json changed = json;
        (entry < 0 ? changed : changed["entries"][entry])[key] = std::move(value);
        return changed.dump();
    };
    const auto without = [&](const char* key, int entry = -1) {
        Json changed = json;
        (entry < 0 ? changed : changed["entries"][entry]).erase(key);
        return changed.dump();
    };
    std::string upperHeader = json["header_hex"];
    for (char& c : upperHeader) c = c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
    Json twoWrong = json;
    twoWrong["entries"][1]["tag_hex"] = "12";
    twoWrong["entries"][2]["file"] = "a.wav";
    Json twiceThenWrong = json;
    twiceThenWrong["entries"][1]["file"] = "A.wav";
    twiceThenWrong["entries"][2]["tag_hex"] = "12";
    Json wrongAndTaken = json;
    wrongAndTaken["entries"][1]["file"] = "a.wav";
    wrongAndTaken["entries"][1]["tag_hex"] = "12";
    Json unknown = json;
    unknown["comment"] = {{"by", "hand"}, {"list", {1, 2, nullptr}}};
    unknown["entries"][0]["size"] = -1;
    unknown["entries"][0]["tag"] = "not the tag";
    std::string lastKeyWins = json.dump();
    lastKeyWins.insert(1, "\"version\":2,\"entries\":7,");
    const std::string notFormat = "not a manifest of format \"tamsiro-oda-folder\" version 1";
    const std::size_t kAll = std::numeric_limits<std::size_t>::max();
    const struct {
        const char* what;
        std::string text;
        std::string problem;  // empty: read as the original
        std::size_t readable = kAll;
    } cases[] = {
        {"as written", text, ""},
        {"upper-case hex", with("header_hex", upperHeader), ""},
        {"unknown fields, and the readable tag", unknown.dump(), ""},
        {"version 1.0", with("version", 1.0), ""},
        {"a key given twice keeps its last value", lastKeyWins, ""},
        {"a byte order mark", "\xEF\xBB\xBF" + text, ""},
        {"empty", "", "not valid JSON"},
        {"truncated", text.substr(0, text.size() / 2), "not valid JSON"},
        {"more after the object", text + "{}", "not valid JSON"},
        {"a list", "[" + text + "]", "not valid JSON"},
        {"bytes that are not UTF-8", with("comment", "x") + "\xFF", "not valid JSON"},
        {"no format", without("format"), notFormat},
        {"another format", with("format", "tamsiro-oda"), notFormat},
        {"version as text", with("version", "1"), notFormat},
        {"version 2", with("version", 2), notFormat},
        {"header short", with("header_hex", "4f444152"), "\"header_hex\" is not 64 bytes of hex"},
        {"header not hex", with("header_hex", std::string(128, 'g')), "\"header_hex\" is not 64 bytes of hex"},
        {"header a number", with("header_hex", 0), "\"header_hex\" is not 64 bytes of hex"},
        {"no entries", without("entries"), "\"entries\" is not a list"},
        {"entries an object", with("entries", Json::object()), "\"entries\" is not a list"},
        {"an entry that is a list", with("entries", {json["entries"][0], Json::array()}), "entry 1: not an object"},
        {"file a number", with("file", 7, 1), "entry 1: \"file\" is not a plain file name in the folder"},
        {"file missing", without("file", 1), "entry 1: \"file\" is not a plain file name in the folder"},
        {"file outside the folder", with("file", "../B.WAV", 1),
         "entry 1: \"file\" is not a plain file name in the folder"},
        {"file the manifest", with("file", "Manifest.JSON", 1),
         "entry 1: \"file\" is not a plain file name in the folder"},
        {"file a device", with("file", "aux.wav", 1), "entry 1: \"file\" is not a plain file name in the folder"},
        {"tag of 3 bytes", with("tag_hex", "574156", 1), "entry 1: \"tag_hex\" is not 4 bytes of hex"},
        {"tag null", with("tag_hex", nullptr, 1), "entry 1: \"tag_hex\" is not 4 bytes of hex"},
        {"name field of 129 bytes", with("name_field_hex", std::string(258, '4'), 1),
         "entry 1: \"name_field_hex\" is not at most 128 bytes of hex"},
        {"name field of odd length", with("name_field_hex", "414", 1),
         "entry 1: \"name_field_hex\" is not at most 128 bytes of hex"},
        {"opaque a list", with("opaque_hex", {0, 0, 0, 0}, 1), "entry 1: \"opaque_hex\" is not 4 bytes of hex"},
        {"a name twice, in another case", with("file", "c.MID", 1), "entry 2: \"C.MID\" is listed twice"},
        {"a wrong entry before a name twice", twoWrong.dump(), "entry 1: \"tag_hex\" is not 4 bytes of hex"},
        {"a name twice before a wrong entry", twiceThenWrong.dump(), "entry 1: \"A.wav\" is listed twice"},
        {"a wrong entry whose name is taken", wrongAndTaken.dump(), "entry 1: \"a.wav\" is listed twice"},
        {"more entries than an archive holds", with("entries", Json(std::vector<Json>(131073, Json::object()))),
         "\"entries\" lists more than the 131072 entries an archive holds"},
        {"nested 65 deep", "{\"x\":" + std::string(64, '[') + std::string(64, ']') + "}",
         "nests deeper than 64 levels"},
        {"a string of 64 KiB and one byte", with("comment", std::string(64 * 1024 + 1, 'x')),
         "holds a string or number longer than 64 KiB"},
        {"a number of 64 KiB and one digit", "{\"x\":" + std::string(64 * 1024 + 1, '1') + "}",
         "holds a string or number longer than 64 KiB"},
        {"a read that fails", text, "cannot be read", text.size() - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FolderManifest read;
        FailingSource source(c.text, c.readable);
        const ManifestOutcome outcome = ReadManifest(source, read);
        EXPECT_EQ(ManifestOutcomeText(outcome), c.problem);
        EXPECT_EQ(outcome.Read(), c.problem.empty());
        EXPECT_EQ(outcome.verdict == ManifestVerdict::Unreadable, c.problem == "cannot be read");
        if (c.problem.empty()) {
            EXPECT_TRUE(SameManifest(read, original));
        }
    }
}

TEST(EntryFileNamesTest, ANameRepeatedThroughAWholeTableIsNumberedInLinearTime) {
    std::vector<OdaEntry> table(static_cast<std::size_t>(kMaxOdaEntries));
    for (OdaEntry& entry : table) std::memcpy(entry.bytes.data() + kOdaNameField, "SND.WAV", 7);
    // Names a numbering would reach, taken first.
    std::memcpy(table[1].bytes.data() + kOdaNameField, "snd (3).wav", 11);
    std::memcpy(table[2].bytes.data() + kOdaNameField, "MANIFEST.JSON", 13);

    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> names = EntryFileNames(table);
    // Quadratic work takes about half an hour here; linear, about a second.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

    ASSERT_EQ(names.size(), table.size());
    EXPECT_EQ(names[0], "SND.WAV");
    EXPECT_EQ(names[1], "snd (3).wav");
    EXPECT_EQ(names[2], "MANIFEST (2).JSON");
    EXPECT_EQ(names[3], "SND (2).WAV");
    EXPECT_EQ(names[4], "SND (4).WAV");
    EXPECT_EQ(names.back(), "SND (" + std::to_string(kMaxOdaEntries - 1) + ").WAV");
    std::set<std::string> lower;
    for (const std::string& name : names) {
        EXPECT_TRUE(IsSafeFileName(name)) << name;
        lower.insert(AsciiLower(name));
    }
    EXPECT_EQ(lower.size(), names.size()) << "no two names alike, letter case aside";
}

}  // namespace
}  // namespace tamsiro
