// tamsiro-cli's oda commands, run as a program on generated archives.
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "tools/archive_fixtures.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace tamsiro {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Json = nlohmann::json;
using samples::ReadBytes;
using samples::SyntheticTone;
using samples::WriteBytes;
using test::CliRun;
using test::TempFolder;

Bytes SoundArchive(int count = 20) { return ArchiveBytes(samples::StickSoundEntries(count, 300)); }

Bytes EntryData(const Bytes& archive, std::size_t i) {
    const std::size_t offset = LoadLe32(archive.data() + EntryFieldPosition(i, kOdaDataOffsetField));
    return Bytes(archive.begin() + static_cast<std::ptrdiff_t>(offset),
                 archive.begin() + static_cast<std::ptrdiff_t>(
                                       offset + LoadLe32(archive.data() + EntryFieldPosition(i, kOdaSizeField))));
}

// Names that would leave the folder, name a device, hit the manifest or
// each other; a raw tag; a name with bytes after its terminator, one that
// fills its whole field; an empty entry.
Bytes OddArchive() {
    const std::vector<std::string> names = {"..",
                                            ".",
                                            "../ESCAPE.WAV",
                                            "/ROOT.WAV",
                                            "A\\B.WAV",
                                            "C:",
                                            "C:\\X.WAV",
                                            std::string("NUL\0BYTE", 8),
                                            "CON",
                                            "con.wav",
                                            "Lpt9.txt",
                                            "COM1 .x",
                                            "manifest.json",
                                            "MANIFEST.JSON",
                                            "DUP.WAV",
                                            "dup.wav",
                                            "DUP.WAV",
                                            "",
                                            "TRAIL. ",
                                            "100%~1.WAV",
                                            "\xE9t\xE9.wav",
                                            "JUNK",
                                            "FULL"};
    std::vector<ArchiveItem> items;
    for (std::size_t i = 0; i < names.size(); ++i) {
        items.push_back({i == 1 ? std::string("\x01\0\xFF!", 4) : "WAVE", names[i],
                         SyntheticTone(i == 2 ? 0 : 40 + i, static_cast<unsigned>(i))});
    }
    Bytes bytes = ArchiveBytes(items);
    std::copy_n("JUNK\0after the end", 18,
                bytes.begin() + static_cast<std::ptrdiff_t>(EntryFieldPosition(21, kOdaNameField)));
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(EntryFieldPosition(22, kOdaNameField)), kOdaNameSize, 'F');
    return bytes;
}

bool IsWindowsDeviceName(const std::string& fileName) {
    static const std::regex device("(con|prn|aux|nul|com[1-9]|lpt[1-9]) *(\\..*)?", std::regex::icase);
    return std::regex_match(fileName, device);
}

std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) names.insert(item.path().filename().string());
    return names;
}

class OdaCommandsTest : public ::testing::Test {
protected:
    CliRun Run(const std::vector<std::string>& args) { return test::RunCli(args, scratch_.Str()); }

    TempFolder folder_;   // archives and extracted folders
    TempFolder scratch_;  // the program's captured output
};

TEST_F(OdaCommandsTest, ExtractStaysInsideTheFolderAndPackGivesBackTheSameBytes) {
    const struct {
        const char* what;
        Bytes archive;
    } cases[] = {{"sound archive", SoundArchive(36)}, {"no entries", ArchiveBytes({})}, {"odd names", OddArchive()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path root = folder_.Path() / c.what;
        fs::create_directories(root);
        const std::string archive = (root / "A.ODA").string();
        const fs::path out = root / "out";
        ASSERT_TRUE(WriteBytes(archive, c.archive));

        const CliRun extract = Run({"oda", "extract", archive, "--to", out.string()});
        ASSERT_EQ(extract.exitCode, 0) << extract.err;
        EXPECT_EQ(extract.err, "") << "no progress bar without a terminal";
        EXPECT_EQ(NamesIn(root), (std::set<std::string>{"A.ODA", "out"})) << "nothing outside the folder";

        const std::size_t count = LoadLe32(c.archive.data() + kOdaCountOffset);
        const std::set<std::string> files = NamesIn(out);
        EXPECT_EQ(files.size(), count + 1);
        for (const std::string& name : files) {
            EXPECT_TRUE(fs::is_regular_file(out / name)) << name;
            EXPECT_EQ(name.find_first_of("\\:"), std::string::npos) << name;
            EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
            EXPECT_TRUE(name.back() != '.' && name.back() != ' ') << name;
        }
        const Json manifest = Json::parse(samples::ReadText((out / "manifest.json").string()));
        ASSERT_EQ(manifest.at("entries").size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string file = manifest["entries"][i].at("file");
            EXPECT_EQ(ReadBytes((out / file).string()), EntryData(c.archive, i)) << file;
        }

        const std::string packed = (root / "B.ODA").string();
        const CliRun pack = Run({"oda", "pack", out.string(), "--to", packed});
        ASSERT_EQ(pack.exitCode, 0) << pack.err;
        EXPECT_EQ(pack.out, "Packed " + std::to_string(count) + " entries" + pack.out.substr(pack.out.find(" (")));
        EXPECT_TRUE(ReadBytes(packed) == c.archive) << "pack(extract(A)) differs from A";
    }
}

TEST_F(OdaCommandsTest, AChangedEntryFilePacksWithItsNewSizeAndDiffShowsIt) {
    const Bytes original = SoundArchive(36);
    const std::string a = folder_ / "A.ODA";
    const std::string b = folder_ / "B.ODA";
    ASSERT_TRUE(WriteBytes(a, original));
    ASSERT_EQ(Run({"oda", "extract", a, "--to", folder_ / "out"}).exitCode, 0);
    const Bytes replacement = SyntheticTone(5000, 99);
    ASSERT_TRUE(WriteBytes(folder_ / "out/SND0003.WAV", replacement));
    ASSERT_EQ(Run({"oda", "pack", folder_ / "out", "--to", b}).exitCode, 0);

    const Bytes packed = ReadBytes(b);
    EXPECT_EQ(EntryData(packed, 3), replacement);
    EXPECT_EQ(packed.size(), original.size() - EntryData(original, 3).size() + replacement.size());
    for (std::size_t i : {0u, 4u, 35u}) EXPECT_EQ(EntryData(packed, i), EntryData(original, i)) << i;
    EXPECT_EQ(Run({"oda", "check", b}).exitCode, 0);

    const CliRun diff = Run({"oda", "diff", a, b});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "changed  WAVE  SND0003.WAV\n0 added, 0 removed, 1 changed, 35 unchanged\n");
    const CliRun same = Run({"oda", "diff", a, a});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "0 added, 0 removed, 0 changed, 36 unchanged\n");
}

TEST_F(OdaCommandsTest, DiffMatchesEntriesByTagAndNameWhateverTheirOrder) {
    ASSERT_TRUE(WriteArchive(folder_ / "A.ODA",
                             {{"WAVE", "X", {1}}, {"WAVE", "Y", {2}}, {"WAVE", "Z", {3}}, {"WAVE", "D", {4}}}));
    ASSERT_TRUE(WriteArchive(
        folder_ / "B.ODA",
        {{"WAVE", "D", {4}}, {"MIDI", "Z", {3}}, {"WAVE", "Y", {2, 2}}, {"WAVE", "X", {1}}, {"WAVE", "D", {4}}}));
    const CliRun diff = Run({"oda", "diff", folder_ / "A.ODA", folder_ / "B.ODA"});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out,
              "changed  WAVE  Y\n"
              "removed  WAVE  Z\n"
              "added    MIDI  Z\n"
              "added    WAVE  D\n"
              "2 added, 1 removed, 1 changed, 2 unchanged\n");
}

TEST_F(OdaCommandsTest, CheckSaysWhatIsWrongAndWhereAndExtractRefuses) {
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::string message;  // empty: the archive is sound
    } cases[] = {
        {"sound", [](Bytes&) {}, ""},
        {"short", [](Bytes& b) { b.resize(10); }, "header: the file has 10 bytes, fewer than the 64 of the header"},
        {"magic", [](Bytes& b) { b[3] = 'X'; }, "header: the magic is \"ODAX\", not \"ODAR\""},
        {"count", [](Bytes& b) { PatchLe32(b, kOdaCountOffset, 0xFFFFFFFF); },
         "header: the entry count is negative (-1)"},
        {"table", [](Bytes& b) { PatchLe32(b, kOdaCountOffset, 1000); },
         "table: 1000 entries end at byte 144064, past the end of the file (file size " +
             std::to_string(SoundArchive().size()) + ")"},
        {"offset",
         [](Bytes& b) { PatchLe32(b, EntryFieldPosition(7, kOdaDataOffsetField), static_cast<std::uint32_t>(-5)); },
         "entry 7: the data offset is negative (-5)"},
        {"size", [](Bytes& b) { PatchLe32(b, EntryFieldPosition(17, kOdaSizeField), 0xFFFFFFFF); },
         "entry 17: data ends past the end of the file"},
        {"cut", [](Bytes& b) { b.pop_back(); }, "entry 19: data ends past the end of the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = SoundArchive();
        c.damage(bytes);
        const std::string path = folder_ / (std::string(c.what) + ".ODA");
        ASSERT_TRUE(WriteBytes(path, bytes));
        const CliRun check = Run({"oda", "check", path});
        const CliRun extract = Run({"oda", "extract", path, "--to", folder_ / c.what});
        if (c.message.empty()) {
            EXPECT_EQ(check.exitCode, 0);
            EXPECT_EQ(check.out, path + ": ok, 20 entries, 6.8 KiB of data\n");
            EXPECT_EQ(extract.exitCode, 0);
            continue;
        }
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_EQ(check.out, "");
        EXPECT_EQ(check.err.substr(0, path.size() + 2 + c.message.size()), path + ": " + c.message) << check.err;
        EXPECT_EQ(extract.exitCode, 1);
        EXPECT_EQ(extract.err, check.err);
        EXPECT_FALSE(fs::exists(folder_ / c.what)) << "a damaged archive leaves no folder";
    }
}

TEST_F(OdaCommandsTest, PackRefusesAManifestThatLeavesTheFolderOrLacksAFile) {
    ASSERT_TRUE(WriteBytes(folder_ / "A.ODA", SoundArchive()));
    ASSERT_TRUE(WriteBytes(folder_ / "SECRET", {1, 2, 3}));
    ASSERT_EQ(Run({"oda", "extract", folder_ / "A.ODA", "--to", folder_ / "out"}).exitCode, 0);
    const std::string manifestPath = folder_ / "out/manifest.json";
    const Json manifest = Json::parse(samples::ReadText(manifestPath));
    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"../SECRET", "manifest.json: entry 2: \"file\" is not a plain file name in the folder"},
        {"manifest.json", "manifest.json: entry 2: \"file\" is not a plain file name in the folder"},
        {"SND0001.WAV", "manifest.json: entry 2: \"SND0001.WAV\" is listed twice"},
        {"GONE.WAV", "entry 2: cannot open " + folder_ / "out/GONE.WAV" + " for reading: No such file or directory"},
    };
    for (const auto& c : cases) {
        Json changed = manifest;
        changed["entries"][2]["file"] = c.file;
        ASSERT_TRUE(samples::WriteText(manifestPath, changed.dump()));
        const CliRun pack = Run({"oda", "pack", folder_ / "out", "--to", folder_ / "B.ODA"});
        EXPECT_EQ(pack.exitCode, 1) << c.file;
        EXPECT_EQ(pack.err, folder_ / "out" + ": " + c.message + "\n");
        EXPECT_FALSE(fs::exists(folder_ / "B.ODA")) << c.file;
    }
}

TEST_F(OdaCommandsTest, PackNamesWhatIsWrongInTheManifest) {
    ASSERT_TRUE(WriteBytes(folder_ / "A.ODA", SoundArchive()));
    ASSERT_EQ(Run({"oda", "extract", folder_ / "A.ODA", "--to", folder_ / "out"}).exitCode, 0);
    const std::string manifestPath = folder_ / "out/manifest.json";
    const Json manifest = Json::parse(samples::ReadText(manifestPath));
    const auto with = [&](const char* key, Json value, int entry = -1) {
        Json changed = manifest;
        (entry < 0 ? changed : changed["entries"][entry])[key] = std::move(value);
        return changed.dump();
    };
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {manifest.dump() + "]", "not valid JSON"},
        {"[]", "not valid JSON"},
        {with("version", 2), "not a manifest of format \"tamsiro-oda-folder\" version 1"},
        {with("header_hex", "00"), "\"header_hex\" is not 64 bytes of hex"},
        {with("entries", Json::object()), "\"entries\" is not a list"},
        {with("entries", Json::array({manifest["entries"][0], 1})), "entry 1: not an object"},
        {with("tag_hex", "123", 1), "entry 1: \"tag_hex\" is not 4 bytes of hex"},
        {with("opaque_hex", nullptr, 1), "entry 1: \"opaque_hex\" is not 4 bytes of hex"},
        {with("extra", std::string(70000, 'x'), 1), "holds a string or number longer than 64 KiB"},
        {with("entries", Json(std::vector<Json>(131073, Json::object()))),
         "\"entries\" lists more than the 131072 entries an archive holds"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(samples::WriteText(manifestPath, c.text));
        const CliRun pack = Run({"oda", "pack", folder_ / "out", "--to", folder_ / "B.ODA"});
        EXPECT_EQ(pack.exitCode, 1) << c.message;
        EXPECT_EQ(pack.err, folder_ / "out" + ": manifest.json: " + c.message + "\n");
    }
}

TEST_F(OdaCommandsTest, ListPrintsOneLinePerEntryOrJson) {
    ASSERT_TRUE(WriteArchive(folder_ / "A.ODA",
                             {{"WAVE", "ONE.WAV", Bytes(3, 1)}, {std::string("W\x01\\E", 4), "T\x7FO", Bytes(50)}}));
    const CliRun text = Run({"oda", "list", folder_ / "A.ODA"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out,
              "    0  WAVE      ONE.WAV          3         352\n"
              "    1  W\\x01\\\\E  T\\x7fO          50         355\n");
    const CliRun json = Run({"oda", "list", "--json", folder_ / "A.ODA"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(Json::parse(json.out), Json::parse(R"([
        {"index": 0, "tag": "WAVE", "name": "ONE.WAV", "size": 3, "offset": 352},
        {"index": 1, "tag": "W\\x01\\\\E", "name": "T\\x7fO", "size": 50, "offset": 355}])"));
}

TEST_F(OdaCommandsTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> usages = {
        {},
        {"--nope"},
        {"oda"},
        {"oda", "frobnicate"},
        {"oda", "list"},
        {"oda", "list", "A", "B"},
        {"oda", "check", "--json", "A"},
        {"oda", "extract", "A"},
        {"oda", "pack", "D"},
        {"oda", "diff", "A"},
    };
    for (const auto& args : usages) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(run.err, "") << ::testing::PrintToString(args);
    }
    const CliRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tamsiro-cli " TAMSIRO_VERSION "\n");
    const CliRun help = Run({"oda", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("extract"), std::string::npos);
}

TEST_F(OdaCommandsTest, SlipsNameWhatIsMissingOrWrongAndWhere) {
    const std::string a = folder_ / "A.ODA";
    ASSERT_TRUE(WriteBytes(a, SoundArchive()));
    ASSERT_TRUE(WriteArchive(folder_ / "ONE.ODA", {{"WAVE", "ONE.WAV", Bytes(3, 1)}}));
    const std::string extra = folder_ / "extra";
    const std::string clean = folder_ / "clean";
    ASSERT_EQ(Run({"oda", "extract", a, "--to", extra}).exitCode, 0);
    ASSERT_EQ(Run({"oda", "extract", a, "--to", clean}).exitCode, 0);
    // Files put beside the extracted ones; on a host that tells case, a
    // name differing from an entry's only in case is another file too.
    for (const char* name : {"NOTES.TXT", "snd0001.wav"}) ASSERT_TRUE(WriteBytes(folder_ / "extra/" + name, {1}));
    fs::create_directories(folder_.Path() / "empty");
    const std::string none = folder_ / "NONE.ODA";
    const std::string help = "Run with --help for more information.\n";
    const std::string packed = "Packed 20 entries (6.8 KiB) into ";
    const struct {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string err;
        std::string out;         // empty: nothing
        std::string notWritten;  // empty: nothing to look for
    } cases[] = {
        {"extract without --to",
         {"oda", "extract", a},
         2,
         "oda extract: --to is missing: name the folder to extract into\n" + help,
         "",
         ""},
        {"extract alone",
         {"oda", "extract"},
         2,
         "oda extract: FILE is missing: name the archive to extract\n"
         "oda extract: --to is missing: name the folder to extract into\n" +
             help,
         "",
         ""},
        {"pack without --to",
         {"oda", "pack", clean},
         2,
         "oda pack: --to is missing: name the archive to write\n" + help,
         "",
         ""},
        {"diff of one archive",
         {"oda", "diff", a},
         2,
         "oda diff: B is missing: name the second archive\n" + help,
         "",
         ""},
        {"list alone", {"oda", "list"}, 2, "oda list: FILE is missing: name the archive to list\n" + help, "", ""},
        {"check of a missing file",
         {"oda", "check", none},
         1,
         none + ": cannot open the file for reading: No such file or directory\n",
         "",
         ""},
        {"list of a folder",
         {"oda", "list", clean},
         1,
         clean + ": cannot open the file for reading: Is a directory\n",
         "",
         ""},
        {"diff with a missing file",
         {"oda", "diff", a, none},
         1,
         none + ": cannot open the file for reading: No such file or directory\n",
         "",
         ""},
        {"extract of a missing file",
         {"oda", "extract", none, "--to", folder_ / "x"},
         1,
         none + ": cannot open the file for reading: No such file or directory\n",
         "",
         folder_ / "x"},
        {"extract below a file",
         {"oda", "extract", a, "--to", a + "/x"},
         1,
         a + ": cannot create the folder " + a + "/x: Not a directory\n",
         "",
         ""},
        {"pack of a folder without a manifest",
         {"oda", "pack", folder_ / "empty", "--to", folder_ / "E.ODA"},
         1,
         folder_ / "empty" + ": cannot open " + folder_ / "empty/manifest.json" +
             " for reading: No such file or directory\n",
         "",
         folder_ / "E.ODA"},
        {"pack of a folder with more files",
         {"oda", "pack", extra, "--to", folder_ / "P.ODA"},
         0,
         extra + "/NOTES.TXT: not named in manifest.json, left out of the archive\n" + extra +
             "/snd0001.wav: not named in manifest.json, left out of the archive\n",
         packed + folder_ / "P.ODA" + "\n",
         ""},
        {"strict pack of a folder with more files",
         {"oda", "pack", extra, "--to", folder_ / "S.ODA", "--strict"},
         1,
         extra + "/NOTES.TXT: not named in manifest.json\n" + extra + "/snd0001.wav: not named in manifest.json\n" +
             extra + ": holds 2 files manifest.json does not name; with --strict nothing is packed\n",
         "",
         folder_ / "S.ODA"},
        {"strict pack of a clean folder",
         {"oda", "pack", clean, "--to", folder_ / "C.ODA", "--strict"},
         0,
         "",
         packed + folder_ / "C.ODA" + "\n",
         ""},
        {"list --json prints an object a line",
         {"oda", "list", "--json", folder_ / "ONE.ODA"},
         0,
         "",
         "[\n  {\"index\":0,\"tag\":\"WAVE\",\"name\":\"ONE.WAV\",\"size\":3,\"offset\":208}\n]\n",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, c.out);
        if (!c.notWritten.empty()) {
            EXPECT_FALSE(fs::exists(c.notWritten));
            EXPECT_FALSE(fs::exists(c.notWritten + ".part"));
        }
    }
    EXPECT_EQ(ReadBytes(folder_ / "P.ODA"), ReadBytes(a)) << "the files left out change nothing";
    EXPECT_NE(Run({"oda", "pack", "--help"}).out.find("--strict"), std::string::npos);
}

// An archive of `count` entries, each claiming `size` bytes at the table's
// end, over a sparse file that is as long as the claims need: it costs
// nothing on disk whatever it claims.
std::string SparseArchive(const fs::path& path, std::int32_t count, std::uint32_t size, std::size_t entriesWritten) {
    std::vector<ArchiveItem> items(entriesWritten, ArchiveItem{"WAVE", "", {}});
    for (std::size_t i = 0; i < items.size(); ++i) items[i].name = "E" + std::to_string(i);
    Bytes bytes = ArchiveBytes(items);
    const std::uint64_t tableEnd = 64 + 144 * static_cast<std::uint64_t>(count);
    for (std::size_t i = 0; i < entriesWritten; ++i) {
        PatchLe32(bytes, EntryFieldPosition(i, kOdaDataOffsetField), static_cast<std::uint32_t>(tableEnd));
        PatchLe32(bytes, EntryFieldPosition(i, kOdaSizeField), size);
    }
    PatchLe32(bytes, kOdaCountOffset, static_cast<std::uint32_t>(count));
    EXPECT_TRUE(WriteBytes(path.string(), bytes));
    fs::resize_file(path, tableEnd + size);
    return path.string();
}

TEST_F(OdaCommandsTest, HostileArchivesEndWithAMessageOrAWarningAndWriteNothing) {
    const std::string huge = SparseArchive(folder_.Path() / "HUGE.ODA", 0x7FFFFFFF, 0, 1);
    const std::string bomb = SparseArchive(folder_.Path() / "BOMB.ODA", 4000, 0xFFFFFFFFu, 4000);
    const std::string sound = folder_ / "SOUND.ODA";
    ASSERT_TRUE(WriteBytes(sound, SoundArchive()));
    const std::string out = folder_ / "out";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string said;  // on stdout for the warning, on stderr otherwise
    } cases[] = {
        {{"oda", "list", huge}, 1, huge + ": table: 2147483647 entries, more than the 131072 Tamsiro handles\n"},
        {{"oda", "list", "--json", huge}, 1, huge + ": table: 2147483647 entries, more than the 131072"},
        {{"oda", "check", huge}, 1, huge + ": table: 2147483647 entries, more than the 131072"},
        {{"oda", "diff", sound, huge}, 1, huge + ": table: 2147483647 entries, more than the 131072"},
        {{"oda", "extract", huge, "--to", out}, 1, huge + ": table: 2147483647 entries, more than the 131072"},
        {{"oda", "check", bomb},
         3,
         bomb + ": warning, 4000 entries, 15.6 TiB of data; 4000 entries share data with another entry\n"},
        {{"oda", "extract", bomb, "--to", out}, 1, bomb + ": not enough room in " + out + ": extracting needs "},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << run.err;
        const std::string& said = c.exitCode == 3 ? run.out : run.err;
        EXPECT_EQ(said.substr(0, c.said.size()), c.said) << ::testing::PrintToString(c.args);
        EXPECT_FALSE(fs::exists(out)) << "nothing written before the refusal";
    }
    // --help documents the warning's exit status.
    EXPECT_TRUE(Run({"oda", "check", "--help"}).out.find("exit 3") != std::string::npos);
}

}  // namespace
}  // namespace tamsiro
