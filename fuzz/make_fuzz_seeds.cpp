// Writes the seed corpus of each fuzz target into DIR/<target>/, made by the
// same generators as the tests' fixtures: well-formed inputs and a few bent
// ones for every target.
#include "archive/entry_file_names.h"
#include "archive/folder_manifest.h"
#include "archive/oda_archive.h"
#include "tools/archive_fixtures.h"
#include "tools/sample_workspace.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tamsiro;
using Bytes = std::vector<unsigned char>;

namespace {

std::string gRoot;
int gWritten = 0;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = fs::path(gRoot) / target;
    fs::create_directories(dir);
    if (samples::WriteBytes((dir / name).string(), bytes)) ++gWritten;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<ArchiveItem> Small(int count, std::size_t bytes, unsigned seed) {
    std::vector<ArchiveItem> items = samples::StickSoundEntries(count, bytes);
    for (ArchiveItem& item : items) item.data = samples::SyntheticTone(item.data.size() % 64 + 1, seed++);
    return items;
}

void ArchiveSeeds() {
    Seed("fuzz_archive_open", "empty", ArchiveBytes({}));
    Seed("fuzz_archive_open", "three", ArchiveBytes(Small(3, 10, 1)));
    Seed("fuzz_archive_open", "duplicates", ArchiveBytes({{"WAVE", "A", {1}}, {"MIDI", "A", {2}}, {"WAVE", "A", {3}}}));
    Bytes unterminated = ArchiveBytes({{"WAVE", "X", {1}}, {"WAVE", "Y", {2}}});
    for (std::size_t i = 0; i < 128; ++i) unterminated[EntryFieldPosition(0, kOdaNameField + i)] = 'N';
    Seed("fuzz_archive_open", "unterminated", unterminated);
    Bytes negative = ArchiveBytes(Small(2, 10, 3));
    PatchLe32(negative, kOdaCountOffset, 0xFFFFFFFFu);
    Seed("fuzz_archive_open", "negative-count", negative);

    Seed("fuzz_archive_folder", "three", ArchiveBytes(Small(3, 10, 1)));
    Seed("fuzz_archive_folder", "odd-names",
         ArchiveBytes({{"WAVE", "..", {1}},
                       {"WAVE", "CON.WAV", {2}},
                       {"WAVE", "manifest.json", {3}},
                       {"WAVE", "a/b\\c:", {}},
                       {"WAVE", "DUP", {4}},
                       {"WAVE", "dup", {5}}}));
    Bytes gapped = ArchiveBytes(Small(2, 10, 4));
    PatchLe32(gapped, EntryFieldPosition(0, kOdaDataOffsetField), static_cast<std::uint32_t>(gapped.size() - 1));
    PatchLe32(gapped, EntryFieldPosition(0, kOdaSizeField), 1);
    Seed("fuzz_archive_folder", "not-back-to-back", gapped);
}

// The manifest extract writes for an archive.
std::string ManifestFor(const Bytes& archiveBytes) {
    OdaArchive archive;
    if (!archive.OpenBytes(archiveBytes)) return {};
    return ManifestText({archive.Header(), archive.Table(), EntryFileNames(archive.Table())});
}

void ManifestSeeds() {
    const std::string three = ManifestFor(ArchiveBytes(Small(3, 10, 1)));
    Seed("fuzz_folder_manifest", "three", Text(three));
    Seed("fuzz_folder_manifest", "empty", Text(ManifestFor(ArchiveBytes({}))));
    Seed("fuzz_folder_manifest", "odd-names",
         Text(ManifestFor(ArchiveBytes({{"WAVE", "..", {1}},
                                        {std::string("\x01\0\xFF\"", 4), "CON.WAV", {2}},
                                        {"WAVE", "manifest.json", {3}},
                                        {"WAVE", "DUP", {4}},
                                        {"WAVE", "dup", {5}}}))));
    Seed("fuzz_folder_manifest", "truncated", Text(three.substr(0, three.size() / 2)));
    std::string twice = three;
    const std::size_t first = twice.find("\"file\": \"") + 9;
    const std::size_t second = twice.find("\"file\": \"", first) + 9;
    twice.replace(second, twice.find('"', second) - second, twice.substr(first, twice.find('"', first) - first));
    Seed("fuzz_folder_manifest", "listed-twice", Text(twice));
    std::string outside = three;
    outside.insert(first, "../");
    Seed("fuzz_folder_manifest", "outside", Text(outside));
    Seed("fuzz_folder_manifest", "deep", Text("{\"x\":" + std::string(70, '[') + std::string(70, ']') + "}"));
    Seed("fuzz_folder_manifest", "keys-twice",
         Text("{\"version\":2,\"entries\":{}," + three.substr(three.find('{') + 1)));
}

Bytes Pair(const Bytes& base, const Bytes& set) {
    Bytes out = {static_cast<unsigned char>(base.size() & 0xFF), static_cast<unsigned char>(base.size() >> 8)};
    out.insert(out.end(), base.begin(), base.end());
    out.insert(out.end(), set.begin(), set.end());
    return out;
}

void MergeSeeds() {
    const Bytes base = ArchiveBytes(Small(6, 10, 1));
    std::vector<ArchiveItem> setItems = samples::MainSetEntries(6, 2, 5, 10);
    for (ArchiveItem& item : setItems) item.data.resize(item.data.size() % 40 + 3);
    const Bytes set = ArchiveBytes(setItems);
    Seed("fuzz_main_install", "replace-some", Pair(base, set));
    Seed("fuzz_main_install", "replace-none", Pair(base, ArchiveBytes({})));
    Seed("fuzz_main_install", "zero-size",
         Pair(ArchiveBytes({{"WAVE", "A", {}}, {"WAVE", "B", {7}}}), ArchiveBytes({{"WAVE", "B", {}}})));
    Bytes pastEnd = base;
    PatchLe32(pastEnd, EntryFieldPosition(2, kOdaSizeField), 5000);
    Seed("fuzz_main_install", "past-end", Pair(pastEnd, set));
    Bytes gapped = ArchiveBytes({{"WAVE", "A", {1, 2, 3}}, {"WAVE", "B", {4, 5}}});
    PatchLe32(gapped, EntryFieldPosition(0, kOdaDataOffsetField), static_cast<std::uint32_t>(gapped.size() - 2));
    PatchLe32(gapped, EntryFieldPosition(0, kOdaSizeField), 2);
    Seed("fuzz_main_install", "out-of-order", Pair(gapped, ArchiveBytes({{"WAVE", "A", {9}}})));

    Seed("fuzz_oda_commands", "changed", Pair(base, set));
    Seed("fuzz_oda_commands", "not-back-to-back", Pair(gapped, ArchiveBytes({{"WAVE", "B", {4, 5}}})));
    // Every entry the same bytes: the overlap a bomb is made of.
    Bytes shared = ArchiveBytes(Small(4, 10, 1));
    for (std::size_t i = 1; i < 4; ++i) {
        PatchLe32(shared, EntryFieldPosition(i, kOdaDataOffsetField),
                  LoadLe32(shared.data() + EntryFieldPosition(0, kOdaDataOffsetField)));
        PatchLe32(shared, EntryFieldPosition(i, kOdaSizeField),
                  LoadLe32(shared.data() + EntryFieldPosition(0, kOdaSizeField)));
    }
    Seed("fuzz_oda_commands", "shared-data", Pair(shared, base));
}

void VersionSeeds() {
    using samples::VersionFields;
    const std::pair<const char*, VersionFields> seeds[] = {
        {"good", {}},
        {"no-comment", {.comment = ""}},
        {"generation-2", {.generation = 2}},
        {"no-language", {.languageBlock = false}},
        {"other-language", {.language = 1}},
        {"huge-comment", {.overrideCommentLength = true, .commentLength = 0x7FFFFFF0}},
        {"negative-comment", {.overrideCommentLength = true, .commentLength = -20}},
    };
    for (const auto& [name, fields] : seeds) Seed("fuzz_version_file", name, samples::VersionFileBytes(fields));
}

void TextSeeds() {
    const std::string voice = samples::kSampleVoiceList;
    for (const unsigned char flag : {0, 1}) {
        const std::string tag = flag ? "-removed" : "";
        Bytes crlf = {flag};
        const Bytes body = Text(samples::WithCrLf(voice));
        crlf.insert(crlf.end(), body.begin(), body.end());
        Seed("fuzz_voice_list", "crlf" + tag, crlf);
        Bytes lf = {flag};
        lf.insert(lf.end(), voice.begin(), voice.end());
        Seed("fuzz_voice_list", "lf" + tag, lf);
    }
    Seed("fuzz_voice_list", "two-sections", Text("\x01[VOICE]\r\nold\r\n[OTHER]\r\nx\r\n[VOICE] again\r\n1\r\n"));
    Seed("fuzz_voice_list", "long-header",
         Text(std::string(1, '\0') + "[VOICE]" + std::string(300, 'v') + "\r\nold\r\n[END]\r\n"));
    Seed("fuzz_voice_list", "ctrl-z", Text(std::string(1, '\0') + "[GENERAL]\r\n1\r\n[VOICE]\r\nold\x1A[VOICE]\r\n"));
    Seed("fuzz_voice_list", "no-final-lf", Text("\x01# list\r\n[VOICE]"));

    const std::string modes = samples::kSampleModeFlags;
    Seed("fuzz_mode_flags", "crlf", Text(samples::WithCrLf(modes)));
    Seed("fuzz_mode_flags", "lf", Text(modes));
    Seed("fuzz_mode_flags", "no-final-lf", Text("0 VOICE\r\n1 BASIC"));
    Seed("fuzz_mode_flags", "lone-cr", Text("1 USER\r\r\n1 BASIC \r\n\r0 VOICE\n"));
    Seed("fuzz_mode_flags", "long-line",
         Text(std::string(254, 'x') + "\r\n1 BASIC\r\n" + std::string(600, 'y') + "1 USER\n"));
    Seed("fuzz_mode_flags", "ctrl-z",
         Text("1 BASIC\r\n\x1A"
              "0 VOICE\r\n"));
}

}  // namespace

void ProgramFolderSeeds() {
    Seed("fuzz_journal", "version-2",
         Text("TAMSIRO JOURNAL 2\nstick\t/media/me/STICK\nidentity\tfat:1234-ABCD\n"
              "file\tOPEN-R\\MW\\DATA\\P\\AD013001.ODA\t/p/DATA_BASEMIND3.FILES/AD013001.ODA\t1408\t00ff00ff00ff00ff\n"
              "file\tOPEN-R\\MW\\DATA\\P\\CUSVOICE.ODA\t\t0\t-\n"
              "aside\tOPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA\t48624\n"
              "scratch\t/p/TAMSIRO.UNDO/OPEN-R/MW/DATA/P/MCUS.CFG\n"));
    Seed("fuzz_journal", "version-1",
         Text("TAMSIRO JOURNAL 1\nstick\t/x\nfile\tOPEN-R\\A\t/p/A\naside\tOPEN-R\\B\t/x/B.PRV\t/x/B\n"));
    Seed("fuzz_journal", "cut-off", Text("TAMSIRO JOURNAL 2\nstick\t/x\nfile\tOPEN-R\\A\t/p/A\t12"));
    Seed("fuzz_journal", "unknown-record", Text("TAMSIRO JOURNAL 2\nstick\t/x\nlater\tsomething\n"));
    Seed("fuzz_stick_record", "first-stick",
         Text("{\"identity\": \"fat:1234-ABCD\", \"fingerprint\": \"36:c891f412562105d1\", "
              "\"base\": \"DATA_BASEMIND3.ODA\", \"stock\": true, \"archive_changed\": true}"));
    Seed("fuzz_stick_record", "not-stock",
         Text("{\"identity\": \"folder:/x\", \"base\": \"DATA_BASEMIND3.2/DATA_BASEMIND3.ODA\", \"stock\": false, "
              "\"held_set\": \"Tilda\", \"first_archive_lost\": true}"));
    Seed("fuzz_stick_record", "outside", Text("{\"identity\": \"x\", \"base\": \"../../etc/passwd\"}"));
    Seed("fuzz_stick_record", "wrong-types", Text("{\"identity\": \"x\", \"base\": 7, \"stock\": \"no\"}"));
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    gRoot = argv[1];
    ArchiveSeeds();
    ManifestSeeds();
    MergeSeeds();
    VersionSeeds();
    TextSeeds();
    ProgramFolderSeeds();
    std::printf("%d seeds written under %s\n", gWritten, gRoot.c_str());
    return gWritten > 0 ? 0 : 1;
}
