#include "install/stick_status.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "install/restore_command.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_hazard.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"
#include "stick/version_file.h"

namespace tamsiro {

namespace {

using Kind = GroupStatus::Kind;

GroupStatus Group(Kind kind, std::string label = {}) { return {kind, std::move(label)}; }

StickCheck CheckOf(const Stick& stick) {
    if (!IsFolder(stick.Root()) || !FileExists(stick.Path(stick_files::kMarker))) return StickCheck::NoMarker;
    switch (CheckVersionFile(stick.Path(stick_files::kVersion))) {
    case VersionVerdict::AiboMind3English: return StickCheck::Ok;
    case VersionVerdict::NotAiboMind: return StickCheck::NotAiboMind;
    case VersionVerdict::NotGeneration3: return StickCheck::NotAiboMind3;
    case VersionVerdict::BadLanguageBlock: return StickCheck::BadLanguage;
    case VersionVerdict::NotEnglish: return StickCheck::NotEnglish;
    }
    return StickCheck::NotAiboMind;
}

std::string SetFile(const AppContext& context, const char* prefix, const std::string& label) {
    return context.DataFilePath(DataFileName(prefix, label));
}

GroupStatus ArchiveOf(const AppContext& context, const Stick& stick, const StickRecord& record,
                      const StickStatus& status) {
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    const std::string& base = record.basePath;
    if (!FileExists(archive)) return Group(Kind::Missing);
    if (!CheckArchiveFile(archive).Sound()) return Group(Kind::Damaged);
    if (status.base != BaseStatus::Ok) return Group(Kind::Unknown);
    if (SameContent(base, archive)) {
        // Stock only as the record says: a base that held custom sounds
        // when it was taken is what it held.
        if (record.stock && !record.baseLost) return Group(Kind::Stock);
        return record.heldSet.empty() || record.heldSet == "unknown" ? Group(Kind::Modified)
                                                                     : Group(Kind::Set, record.heldSet);
    }
    std::vector<std::string> setPaths;
    for (const std::string& label : status.mainSets) setPaths.push_back(SetFile(context, kMainCategory.prefix, label));
    if (const auto merged = FindMergedSet(base, setPaths, archive)) return Group(Kind::Set, status.mainSets[*merged]);
    return Group(Kind::Modified);
}

// Whether a stick file is as the stock stick had it, by the stock files kept.
bool AsKept(const StockStore& store, const Stick& stick, std::string_view stickPath) {
    switch (store.RecordOf(stickPath)) {
    case StockEntry::Kept: return SameContent(store.KeptPath(stickPath), stick.Path(stickPath));
    case StockEntry::Absent: return !FileExists(stick.Path(stickPath));
    case StockEntry::None: return false;
    }
    return false;
}

GroupStatus VoiceOf(const AppContext& context, const StockStore& store, const Stick& stick, const StickStatus& status) {
    const std::string voice = stick.Path(stick_files::kCustomVoice);
    for (const std::string& label : status.voiceSets) {
        if (SameContent(voice, SetFile(context, kVoiceCategory.prefix, label))) return Group(Kind::Set, label);
    }
    // No voice of its own, or the one the stick came with: its stock voice.
    if (!FileExists(voice) || AsKept(store, stick, stick_files::kCustomVoice)) return Group(Kind::Stock);
    // One that no record knows of is no one's to name.
    return store.RecordOf(stick_files::kCustomVoice) == StockEntry::None ? Group(Kind::Unknown) : Group(Kind::Modified);
}

GroupStatus GamesOf(const AppContext& context, const StockStore& store, const Stick& stick, const StickStatus& status) {
    const std::string game1 = stick.Path(stick_files::kGame1);
    const std::string game8 = stick.Path(stick_files::kGame8);
    const bool there1 = FileExists(game1);
    const bool there8 = FileExists(game8);
    // A stick that has no Games files has none, before a Save and after a
    // Restore alike.
    if (!there1 && !there8) return Group(Kind::None);
    if (!there1 || !there8) return Group(Kind::Missing);
    for (const std::string& label : status.gamesSets) {
        if (SameContent(game1, SetFile(context, kGamesCategory.prefix, label)) &&
            SameContent(game8, SetFile(context, kGamesCategory.secondPrefix, label))) {
            return Group(Kind::Set, label);
        }
    }
    if (AsKept(store, stick, stick_files::kGame1) && AsKept(store, stick, stick_files::kGame8)) {
        return Group(Kind::Stock);
    }
    // Files that no record knows of are no one's to name.
    const bool recorded = store.RecordOf(stick_files::kGame1) != StockEntry::None &&
                          store.RecordOf(stick_files::kGame8) != StockEntry::None;
    return recorded ? Group(Kind::Modified) : Group(Kind::Unknown);
}

}  // namespace

StickStatus ReadStickStatus(const AppContext& context, const Stick& stick) {
    StickStatus status;
    // The program folder first: the stick's files are judged against it.
    const StickRecord record = RecordOfStick(context, stick);
    const std::string& base = record.basePath;
    status.base = !FileExists(base)                 ? BaseStatus::Missing
                  : !CheckArchiveFile(base).Sound() ? BaseStatus::Damaged
                                                    : BaseStatus::Ok;
    if (record.written && !record.stock) {
        status.record = {RecordStatus::Kind::NotStock, record.heldSet};
    } else if (RecordShowsChanges(context, stick, record)) {
        status.record = {RecordStatus::Kind::Stock, {}};
    }
    const StockStore store(record.folder);
    for (const std::string_view stickPath : stick_files::kStockFiles) {
        if (store.RecordOf(stickPath) == StockEntry::Kept) status.stockFiles.emplace_back(stickPath);
    }
    status.mainSets = AvailableSets(context, kMainCategory);
    status.voiceSets = AvailableSets(context, kVoiceCategory);
    status.gamesSets = AvailableSets(context, kGamesCategory);

    if (const auto hazard = IsFolder(stick.Root()) ? FindStickHazard(stick) : std::nullopt) {
        status.check = hazard->kind == StickHazard::Kind::Link ? StickCheck::Link : StickCheck::SpecialFile;
        status.hazard = hazard->path;
        return status;
    }
    status.check = CheckOf(stick);
    status.archive = ArchiveOf(context, stick, record, status);
    status.voice = VoiceOf(context, store, stick, status);
    status.games = GamesOf(context, store, stick, status);
    status.maleVoice = FileExists(stick.Path(stick_files::kMaleVoice));
    if (const auto space = SpaceOf(stick.Root())) status.freeBytes = space->freeBytes;
    return status;
}

std::string StatusWord(StickCheck check) {
    switch (check) {
    case StickCheck::Ok: return "ok";
    case StickCheck::NoMarker: return "no-marker";
    case StickCheck::NotAiboMind: return "not-aibomind";
    case StickCheck::NotAiboMind3: return "not-aibomind3";
    case StickCheck::BadLanguage: return "bad-language";
    case StickCheck::NotEnglish: return "not-english";
    case StickCheck::Link: return "link";
    case StickCheck::SpecialFile: return "special-file";
    }
    return "not-aibomind";
}

std::string StatusWord(const GroupStatus& group) {
    switch (group.kind) {
    case Kind::Stock: return "stock";
    case Kind::None: return "none";
    case Kind::Set: return group.label;
    case Kind::Modified: return "modified";
    case Kind::Damaged: return "damaged";
    case Kind::Missing: return "missing";
    case Kind::Unknown: return "unknown";
    }
    return "unknown";
}

std::string StatusWord(BaseStatus base) {
    switch (base) {
    case BaseStatus::Ok: return "ok";
    case BaseStatus::Missing: return "missing";
    case BaseStatus::Damaged: return "damaged";
    }
    return "missing";
}

std::string StatusWord(const RecordStatus& record) {
    switch (record.kind) {
    case RecordStatus::Kind::Stock: return "stock";
    case RecordStatus::Kind::NotStock: return "not-stock:" + record.heldSet;
    case RecordStatus::Kind::None: return "none";
    }
    return "none";
}

DialogStatusWords DialogWordsOf(const StickStatus& status) {
    return {StatusWord(status.archive), StatusWord(status.voice), StatusWord(status.games)};
}

}  // namespace tamsiro
