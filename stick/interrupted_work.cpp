#include "stick/interrupted_work.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/file_system.h"
#include "stick/config_rotation.h"
#include "stick/journal.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_health.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"

#include <vector>

namespace tamsiro {

namespace {

std::string ConfigPath(const Stick& stick, std::string_view stem, std::string_view extension) {
    std::string name(stem);
    name += extension;
    return stick.Path(name);
}

// What a change no journal here knows of left on the stick.
std::vector<std::string> LeftoversOn(const Stick& stick) {
    std::vector<std::string> found;
    for (const std::string_view stickPath : stick_files::kSafelyWrittenFiles) {
        const std::string target = stick.Path(stickPath);
        if (target.empty()) continue;
        for (const std::string& path : {BesidePath(target), ReadyPath(target), AsidePath(target)}) {
            if (auto there = FileThere(path)) found.push_back(std::move(*there));
        }
    }
    for (const std::string_view stem : {stick_files::kVoiceListStem, stick_files::kModeFlagsStem}) {
        if (auto there = FileThere(ConfigPath(stick, stem, ".TMP"))) found.push_back(std::move(*there));
    }
    return found;
}

bool RotationCaughtHalfway(const Stick& stick) {
    for (const std::string_view stem : {stick_files::kVoiceListStem, stick_files::kModeFlagsStem}) {
        if (!FileThere(ConfigPath(stick, stem, ".CFG")) && FileThere(ConfigPath(stick, stem, ".BAK"))) return true;
    }
    return false;
}

// With no journal left, a file still set aside is what a change that was
// over did not get to remove: its new file has taken its name, or it was
// the male voice, which a Save removes. Any other was set aside by a
// change that no journal here knows of (one from another program folder,
// cut short): it goes back under its name.
void PutAsideFilesInOrder(const Stick& stick) {
    for (const std::string_view stickPath : stick_files::kSafelyWrittenFiles) {
        const std::string target = stick.Path(stickPath);
        const auto aside = FileThere(target.empty() ? std::string() : AsidePath(target));
        if (!aside) continue;
        if (FileExists(target) || stickPath == stick_files::kMaleVoice) {
            (void)DeleteFileAt(*aside);
        } else {
            (void)RenameFile(*aside, target);
        }
    }
}

// The same tidy-up, never making a damaged stick worse: every leftover is
// read whole before anything changes, and the stick is checked after.
RollbackOutcome TidyLeftovers(const Stick& stick) {
    RollbackOutcome outcome;
    const std::vector<std::string> leftovers = LeftoversOn(stick);
    if (leftovers.empty() && !RotationCaughtHalfway(stick)) return outcome;
    switch (ConditionOf(stick)) {
    case StickCondition::Writable: break;
    case StickCondition::ReadOnly: outcome.verdict = RollbackVerdict::ReadOnly; return outcome;
    case StickCondition::Gone: outcome.verdict = RollbackVerdict::Gone; return outcome;
    }
    if (ClustersDisagree(stick)) {
        outcome.verdict = RollbackVerdict::Damaged;
        return outcome;
    }
    for (const std::string& path : leftovers) {
        if (ReadsWholeOnDevice(path) == ReadBackVerdict::Same) continue;
        outcome.verdict = ConditionOf(stick) == StickCondition::Gone ? RollbackVerdict::Gone : RollbackVerdict::Damaged;
        return outcome;
    }
    std::vector<std::string> targets;
    for (const std::string_view stickPath : stick_files::kSafelyWrittenFiles) {
        std::string target = stick.Path(stickPath);
        if (!target.empty()) targets.push_back(std::move(target));
    }
    FinishInterruptedWrites(targets);
    RepairInterruptedRotation(stick, stick_files::kVoiceListStem);
    RepairInterruptedRotation(stick, stick_files::kModeFlagsStem);
    PutAsideFilesInOrder(stick);
    outcome.filesChanged = leftovers.size();
    switch (ConditionOf(stick)) {
    case StickCondition::Writable: break;
    case StickCondition::ReadOnly: outcome.verdict = RollbackVerdict::Damaged; return outcome;
    case StickCondition::Gone: outcome.verdict = RollbackVerdict::Gone; return outcome;
    }
    for (const std::string& path : LeftoversOn(stick)) outcome.failedFiles.push_back(path);
    if (RotationCaughtHalfway(stick))
        outcome.failedFiles.push_back(ConfigPath(stick, stick_files::kModeFlagsStem, ".CFG"));
    if (!outcome.failedFiles.empty()) outcome.verdict = RollbackVerdict::Failed;
    return outcome;
}

void TidyProgramFolder(AppContext& context, const Stick& stick) {
    const StickRecord record = RecordOfStick(context, stick);
    const std::string partialBase = record.basePath + std::string(program_files::kStockPartialSuffix);
    if (FileExists(partialBase)) DiscardFile(partialBase);
    StockStore(record.folder).DiscardPartialCopies();
    DiscardPartialRecords(context);
    const std::string work = context.DataFilePath(program_files::kWorkArchive);
    if (FileExists(work) && !CheckArchiveFile(work).Sound()) DiscardFile(work);
}

}  // namespace

TidyOutcome TidyAfterInterruption(AppContext& context, const Stick& stick, const RollbackOptions& options) {
    TidyOutcome outcome;
    DiscardPartialJournal(context);
    const JournalOnDisk onDisk = LoadJournal(context);
    if (onDisk.presence == JournalPresence::Unreadable) {
        outcome.journalUnreadable = true;
        return outcome;
    }
    if (onDisk.presence == JournalPresence::Readable) {
        if (JournalNamesStick(onDisk.journal, stick.Root(), StickIdentity(stick))) {
            // A change to this stick was cut short: it is undone, once the
            // file system is whole enough that undoing it cannot make it worse.
            if (ClustersDisagree(stick)) {
                outcome.stick.verdict = RollbackVerdict::Damaged;
                return outcome;
            }
            outcome.stick = PutBack(context, stick, onDisk.journal.entries, options);
            if (outcome.stick.verdict != RollbackVerdict::Done) return outcome;
            std::vector<std::string> leftOnStick;
            if (!CloseJournal(context, stick, onDisk.journal, leftOnStick)) {
                outcome.stick.verdict = RollbackVerdict::Failed;
                return outcome;
            }
            outcome.repaired = true;
        } else {
            outcome.otherStickPending = true;
        }
    }
    const RollbackOutcome leftovers = TidyLeftovers(stick);
    if (leftovers.verdict != RollbackVerdict::Done) {
        outcome.stick = leftovers;
        return outcome;
    }
    outcome.repaired = outcome.repaired || leftovers.filesChanged > 0;
    TidyProgramFolder(context, stick);
    return outcome;
}

}  // namespace tamsiro
