#include "stick/stick_record.h"

#include "app/app_context.h"
#include "archive/oda_archive.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/replacement_file.h"
#include "host/text_bytes.h"
#include "host/volume_identity.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace tamsiro {

namespace {

constexpr std::string_view kRecordFile = "STICK.JSON";
constexpr std::string_view kOtherRecordPrefix = "DATA_BASEMIND3.";
// Later sticks' records are numbered from 2, the first stick being 1.
constexpr int kFirstOtherRecord = 2;
// Far more sticks than anyone owns; it bounds the search for a free number.
constexpr int kLastOtherRecord = 999;

std::string RecordFolderName(int number) {
    return number < kFirstOtherRecord ? std::string(program_files::kStockFolder)
                                      : std::string(kOtherRecordPrefix) + std::to_string(number);
}

// The base is named relative to the program folder, so a moved program
// folder keeps its records.
std::string RelativeToProgram(const AppContext& context, const std::string& path) {
    const std::string& folder = context.ProgramFolder();
    if (path.rfind(folder, 0) != 0) return path;
    std::string relative = path.substr(folder.size());
    while (!relative.empty() && (relative.front() == '/' || relative.front() == '\\')) relative.erase(0, 1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return relative;
}

std::string FromProgram(const AppContext& context, std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', kPathSeparator);
    return JoinPath(context.ProgramFolder(), relative);
}

// Far more than any record holds; a larger file is not one.
constexpr std::uint64_t kLargestRecord = 1u << 20;

// A field of the wrong type reads as missing: a hand-edited record must not
// throw.
std::string StringField(const nlohmann::json& json, const char* key, std::string fallback = {}) {
    const auto field = json.find(key);
    return field != json.end() && field->is_string() ? field->get<std::string>() : fallback;
}

std::optional<StickRecord> ReadRecord(const AppContext& context, const std::string& folder) {
    const std::optional<std::string> text = ReadWholeFile(JoinPath(folder, kRecordFile), kLargestRecord);
    std::optional<StickRecordText> fields = text ? ParseStickRecord(*text) : std::nullopt;
    if (!fields) return std::nullopt;
    StickRecord record;
    record.folder = folder;
    record.identity = std::move(fields->identity);
    record.fingerprint = std::move(fields->fingerprint);
    record.basePath = !fields->base.empty() ? FromProgram(context, fields->base)
                      : folder == context.DataFilePath(program_files::kStockFolder)
                          ? context.DataFilePath(program_files::kBaseArchive)
                          : JoinPath(folder, program_files::kBaseArchive);
    record.stock = fields->stock;
    record.heldSet = std::move(fields->heldSet);
    record.archiveChanged = fields->archiveChanged;
    record.baseLost = fields->baseLost;
    record.written = true;
    return record;
}

// Every record written, the first stick's first.
std::vector<StickRecord> WrittenRecords(const AppContext& context) {
    std::vector<StickRecord> records;
    if (auto first = ReadRecord(context, context.DataFilePath(program_files::kStockFolder)))
        records.push_back(std::move(*first));
    for (int number = kFirstOtherRecord; number <= kLastOtherRecord; ++number) {
        const std::string folder = context.DataFilePath(RecordFolderName(number));
        if (!IsFolder(folder)) break;
        if (auto record = ReadRecord(context, folder)) records.push_back(std::move(*record));
    }
    return records;
}

int FreeRecordNumber(const AppContext& context) {
    int number = kFirstOtherRecord;
    while (number < kLastOtherRecord && IsFolder(context.DataFilePath(RecordFolderName(number)))) ++number;
    return number;
}

}  // namespace

std::optional<StickRecordText> ParseStickRecord(std::string_view text) {
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    StickRecordText fields;
    fields.identity = StringField(json, "identity");
    if (fields.identity.empty()) return std::nullopt;
    fields.fingerprint = StringField(json, "fingerprint");
    // A base names a file inside the program folder, nothing else.
    const std::string base = StringField(json, "base");
    const bool inside = !base.empty() && base.find("..") == std::string::npos && base.find(':') == std::string::npos &&
                        base.front() != '/' && base.front() != '\\';
    if (inside) fields.base = base;
    const auto stock = json.find("stock");
    fields.stock = stock == json.end() || !stock->is_boolean() || stock->get<bool>();
    fields.heldSet = StringField(json, "held_set");
    const auto changed = json.find("archive_changed");
    fields.archiveChanged = changed != json.end() && changed->is_boolean() && changed->get<bool>();
    const auto lost = json.find("first_archive_lost");
    fields.baseLost = lost != json.end() && lost->is_boolean() && lost->get<bool>();
    return fields;
}

std::string StickIdentity(const Stick& stick) {
    if (const auto serial = FatVolumeSerialOf(stick.Root())) return "fat:" + *serial;
    // The chooser hands the root with a separator at its end, the command
    // line without: the same folder either way.
    std::string root = stick.Root();
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    return "folder:" + root;
}

std::string ArchiveFingerprint(const std::string& archivePath) {
    OdaArchive archive;
    if (archivePath.empty() || !archive.Open(archivePath)) return {};
    std::vector<std::string> keys;
    for (const OdaEntry& entry : archive.Table()) {
        keys.push_back(std::string(reinterpret_cast<const char*>(entry.Tag()), 4) + std::string(entry.Name()));
    }
    // Order aside: a merge may lay the entries out differently.
    std::sort(keys.begin(), keys.end());
    Fnv1a hash;
    for (const std::string& key : keys) {
        hash.Add(key);
        hash.AddByte(0xFF);
    }
    return std::to_string(keys.size()) + ":" + Hex64(hash.Value());
}

StickRecord RecordOfStick(const AppContext& context, const Stick& stick) {
    const std::string identity = StickIdentity(stick);
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    const std::vector<StickRecord> records = WrittenRecords(context);
    for (const StickRecord& record : records) {
        // A folder's path may be reused by another copy: its fingerprint
        // must match too, when both are known.
        const bool folder = identity.rfind("folder:", 0) == 0;
        if (record.identity != identity) continue;
        if (folder && !record.fingerprint.empty()) {
            const std::string now = ArchiveFingerprint(archive);
            if (!now.empty() && now != record.fingerprint) continue;
        }
        return record;
    }

    const std::string firstFolder = context.DataFilePath(program_files::kStockFolder);
    const std::string firstBase = context.DataFilePath(program_files::kBaseArchive);
    const bool firstWritten =
        std::any_of(records.begin(), records.end(), [&](const StickRecord& r) { return r.folder == firstFolder; });
    const std::string fingerprint = ArchiveFingerprint(archive);

    StickRecord record;
    record.identity = identity;
    record.fingerprint = fingerprint;
    if (!firstWritten) {
        record.folder = firstFolder;
        record.basePath = firstBase;
        // A record from before identities belongs to the first stick whose
        // archive it fits; one whose base is gone or unreadable cannot
        // tell, and is taken.
        const bool legacy = FileExists(firstBase) || IsFolder(firstFolder);
        if (!legacy) return record;
        // An archive that cannot be read (missing, damaged) cannot tell either.
        const std::string baseFingerprint = FileExists(firstBase) ? ArchiveFingerprint(firstBase) : std::string();
        if (baseFingerprint.empty() || fingerprint.empty() || baseFingerprint == fingerprint) {
            record.written = true;
            record.legacy = true;
            return record;
        }
    }
    record.folder = context.DataFilePath(RecordFolderName(FreeRecordNumber(context)));
    // A stick with the same stock archive as a kept base shares it.
    std::vector<std::string> bases = OtherBases(context, record);
    if (!firstWritten && FileExists(firstBase)) bases.insert(bases.begin(), firstBase);
    for (const std::string& base : bases) {
        if (ArchiveFingerprint(base) == fingerprint && SameContent(base, archive)) {
            record.basePath = base;
            return record;
        }
    }
    record.basePath = JoinPath(record.folder, program_files::kBaseArchive);
    return record;
}

bool WriteStickRecord(const AppContext& context, const StickRecord& record, Failure* failure) {
    nlohmann::ordered_json json = {{"identity", record.identity},
                                   {"fingerprint", record.fingerprint},
                                   {"base", RelativeToProgram(context, record.basePath)},
                                   {"stock", record.stock}};
    if (!record.heldSet.empty()) json["held_set"] = record.heldSet;
    if (record.archiveChanged) json["archive_changed"] = true;
    if (record.baseLost) json["first_archive_lost"] = true;
    const std::string text = json.dump(2) + "\n";
    return MakeFolders(record.folder, failure) && WriteReplacement(JoinPath(record.folder, kRecordFile), text, failure);
}

bool MarkArchiveChanged(const AppContext& context, StickRecord& record, bool changed, Failure* failure) {
    if (record.archiveChanged == changed) return true;
    StickRecord marked = record;
    marked.archiveChanged = changed;
    if (!WriteStickRecord(context, marked, failure)) return false;
    marked.written = true;
    marked.legacy = false;
    record = std::move(marked);
    return true;
}

void DiscardPartialRecords(const AppContext& context) {
    for (int number = 1; number <= kLastOtherRecord; ++number) {
        const std::string folder = context.DataFilePath(RecordFolderName(number));
        if (number >= kFirstOtherRecord && !IsFolder(folder)) break;
        DiscardFile(JoinPath(folder, std::string(kRecordFile) + ".partial"));
    }
}

bool HoldsStockFiles(const StickRecord& record) {
    const StockStore store(record.folder);
    return std::any_of(stick_files::kStockFiles.begin(), stick_files::kStockFiles.end(),
                       [&](std::string_view path) { return store.RecordOf(path) != StockEntry::None; });
}

std::vector<std::string> OtherBases(const AppContext& context, const StickRecord& record) {
    std::vector<std::string> bases;
    for (const StickRecord& other : WrittenRecords(context)) {
        if (other.folder == record.folder || other.basePath == record.basePath || !FileExists(other.basePath)) continue;
        if (std::find(bases.begin(), bases.end(), other.basePath) == bases.end()) bases.push_back(other.basePath);
    }
    return bases;
}

}  // namespace tamsiro
