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

std::string CheckOf(const Stick& stick) {
    if (!IsFolder(stick.Root()) || !FileExists(stick.Path(stick_files::kMarker))) return "no-marker";
    switch (CheckVersionFile(stick.Path(stick_files::kVersion))) {
    case VersionVerdict::AiboMind3English: return "ok";
    case VersionVerdict::NotAiboMind: return "not-aibomind";
    case VersionVerdict::NotGeneration3: return "not-aibomind3";
    case VersionVerdict::BadLanguageBlock: return "bad-language";
    case VersionVerdict::NotEnglish: return "not-english";
    }
    return "not-aibomind";
}

std::string SetFile(const AppContext& context, const char* prefix, const std::string& label) {
    return context.DataFilePath(DataFileName(prefix, label));
}

std::string ArchiveOf(const AppContext& context, const Stick& stick, const StickRecord& record,
                      const StickStatus& status) {
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    const std::string& base = record.basePath;
    if (!FileExists(archive)) return "missing";
    if (!CheckArchiveFile(archive).Sound()) return "damaged";
    if (status.base != "ok") return "unknown";
    if (SameContent(base, archive)) {
        // Stock only as the record says: a base that held custom sounds
        // when it was taken is what it held.
        if (record.stock && !record.baseLost) return "stock";
        return record.heldSet.empty() || record.heldSet == "unknown" ? "modified" : "main:" + record.heldSet;
    }
    std::vector<std::string> setPaths;
    for (const std::string& label : status.mainSets) setPaths.push_back(SetFile(context, kMainCategory.prefix, label));
    if (const auto merged = FindMergedSet(base, setPaths, archive)) return "main:" + status.mainSets[*merged];
    return "modified";
}

std::string VoiceOf(const AppContext& context, const Stick& stick, const StickStatus& status) {
    const std::string voice = stick.Path(stick_files::kCustomVoice);
    if (!FileExists(voice)) return "none";
    for (const std::string& label : status.voiceSets) {
        if (SameContent(voice, SetFile(context, kVoiceCategory.prefix, label))) return label;
    }
    return "unknown";
}

// Whether a stick file is as the stock stick had it, by the stock files kept.
bool AsKept(const StockStore& store, const Stick& stick, std::string_view stickPath) {
    switch (store.RecordOf(stickPath)) {
    case StockRecord::Kept: return SameContent(store.KeptPath(stickPath), stick.Path(stickPath));
    case StockRecord::Absent: return !FileExists(stick.Path(stickPath));
    case StockRecord::None: return false;
    }
    return false;
}

std::string GamesOf(const AppContext& context, const StockStore& store, const Stick& stick, const StickStatus& status) {
    const std::string game1 = stick.Path(stick_files::kGame1);
    const std::string game8 = stick.Path(stick_files::kGame8);
    for (const std::string& label : status.gamesSets) {
        if (SameContent(game1, SetFile(context, kGamesCategory.prefix, label)) &&
            SameContent(game8, SetFile(context, kGamesCategory.secondPrefix, label))) {
            return label;
        }
    }
    if (AsKept(store, stick, stick_files::kGame1) && AsKept(store, stick, stick_files::kGame8)) return "stock";
    if (!FileExists(game1) || !FileExists(game8)) return "missing";
    return "unknown";
}

}  // namespace

StickStatus ReadStickStatus(const AppContext& context, const Stick& stick) {
    StickStatus status;
    // The program folder first: the stick's files are judged against it.
    const StickRecord record = RecordOfStick(context, stick);
    const std::string& base = record.basePath;
    status.base = !FileExists(base) ? "missing" : !CheckArchiveFile(base).Sound() ? "damaged" : "ok";
    status.record = record.written && !record.stock              ? "not-stock:" + record.heldSet
                    : RecordShowsChanges(context, stick, record) ? "stock"
                                                                 : "none";
    const StockStore store(record.folder);
    for (const std::string_view stickPath : stick_files::kStockFiles) {
        if (store.RecordOf(stickPath) == StockRecord::Kept) status.stockFiles.emplace_back(stickPath);
    }
    status.mainSets = AvailableSets(context, kMainCategory);
    status.voiceSets = AvailableSets(context, kVoiceCategory);
    status.gamesSets = AvailableSets(context, kGamesCategory);

    if (const auto hazard = IsFolder(stick.Root()) ? FindStickHazard(stick) : std::nullopt) {
        status.check = hazard->kind == StickHazard::Kind::Link ? "link" : "special-file";
        status.hazard = hazard->path;
        status.archive = status.voice = status.games = "unknown";
        return status;
    }
    status.check = CheckOf(stick);
    status.archive = ArchiveOf(context, stick, record, status);
    status.voice = VoiceOf(context, stick, status);
    status.games = GamesOf(context, store, stick, status);
    status.maleVoice = FileExists(stick.Path(stick_files::kMaleVoice));
    if (const auto space = SpaceOf(stick.Root())) status.freeBytes = space->freeBytes;
    return status;
}

}  // namespace tamsiro
