#include "install/restore_command.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "install/messages.h"
#include "install/stick_change.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_lock.h"
#include "stick/stick_record.h"
#include "stick/stick_transaction.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace tamsiro {

namespace {

constexpr const char* kQuestion =
    "Put the stock sounds back on the memory stick?\n(your custom sounds will be removed from it)";
constexpr const char* kAlreadyStock = "The memory stick has its stock sounds already: nothing to restore";
// A record whose base held custom sounds cannot call them stock.
constexpr const char* kAlreadyAsFirstSeen = "The memory stick is as Tamsiro first found it already: nothing to restore";

// A file the restore leaves as it is, and why.
struct Unrestored {
    std::string name;
    std::string reason;
};

std::string FileNameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

PlannedFile WriteOf(std::string_view stickPath, const std::string& source, const std::string& current) {
    // A file that is gone comes back under the name it had.
    const std::string name = FileExists(current) ? NameOnDisk(current) : NameOnDisk(source);
    const std::string spelled = std::string(stickPath.substr(0, stickPath.rfind('\\') + 1)) + name;
    return {spelled, source, std::nullopt, ProgressStep::RestoringOnStick};
}

// The sound-set prefix whose data files a stick file is copied from.
const char* SoundSetPrefixOf(std::string_view stickPath) {
    if (stickPath == stick_files::kGame1) return kGamesCategory.prefix;
    if (stickPath == stick_files::kGame8) return kGamesCategory.secondPrefix;
    if (stickPath == stick_files::kCustomVoice) return kVoiceCategory.prefix;
    return nullptr;
}

// For a file with no stock record: signs that a Tamsiro that kept no stock
// copies changed it. Every stock stick has the male voice and the two
// configuration files; only the rotation makes a .BAK; a sound file equal
// to a sound set in the program folder was installed from it.
bool ChangedWithoutStockCopy(const AppContext& context, const Stick& stick, std::string_view stickPath) {
    const std::string current = stick.Path(stickPath);
    const bool there = FileExists(current);
    if (stickPath == stick_files::kMaleVoice) return !there;
    if (stickPath == stick_files::kVoiceList) return !there || FileExists(stick.Path(stick_files::kVoiceListBackup));
    if (stickPath == stick_files::kModeFlags) return !there || FileExists(stick.Path(stick_files::kModeFlagsBackup));
    const char* prefix = SoundSetPrefixOf(stickPath);
    if (prefix == nullptr || !there) return false;
    return std::any_of(kRowLabels.begin(), kRowLabels.end(), [&](const char* row) {
        return SameContent(current, context.DataFilePath(DataFileName(prefix, FileLabelOf(row))));
    });
}

// What it takes to bring back the stick files of one step.
PlannedStep StepFor(const AppContext& context, const Stick& stick, const StockStore& store,
                    std::initializer_list<std::string_view> stickPaths, std::vector<Unrestored>& unrestored) {
    PlannedStep step;
    for (const std::string_view stickPath : stickPaths) {
        const std::string current = stick.Path(stickPath);
        switch (store.RecordOf(stickPath)) {
        case StockEntry::Kept: {
            const std::string kept = store.KeptPath(stickPath);
            if (!SameContent(kept, current)) step.files.push_back(WriteOf(stickPath, kept, current));
            break;
        }
        case StockEntry::Absent:
            if (PresenceOf(stick, stickPath) != Presence::Absent)
                step.files.push_back({std::string(stickPath), {}, std::nullopt});
            break;
        case StockEntry::None:
            if (ChangedWithoutStockCopy(context, stick, stickPath)) {
                unrestored.push_back({FileNameOf(current), "no stock copy was kept"});
            }
            break;
        }
    }
    return step;
}

PlannedStep SoundArchiveStep(const StickRecord& record, const Stick& stick, std::vector<Unrestored>& unrestored) {
    PlannedStep step;
    const std::string& base = record.basePath;
    const std::string target = stick.Path(stick_files::kSoundArchive);
    if (record.baseLost) {
        // A base taken after the first one was lost holds custom sounds.
        unrestored.push_back({"DYNAUDIO.ODA", "its stock version was lost with DATA_BASEMIND3.ODA"});
    } else if (!FileExists(base)) {
        unrestored.push_back({"DYNAUDIO.ODA", "DATA_BASEMIND3.ODA is missing"});
    } else if (!CheckArchiveFile(base).Sound()) {
        unrestored.push_back({"DYNAUDIO.ODA", "DATA_BASEMIND3.ODA is damaged"});
    } else if (!SameContent(base, target)) {
        step.files.push_back(
            {std::string(stick_files::kSoundArchive), base, std::nullopt, ProgressStep::RestoringOnStick});
    }
    return step;
}

// Everything a restore changes, in an order that frees room before it is
// needed: the custom voice, the Games pair and the sound archive, then the
// male voice and the configuration files.
StickPlan PlanRestore(const AppContext& context, const Stick& stick, const StickRecord& record,
                      std::vector<Unrestored>& unrestored) {
    namespace files = stick_files;
    const StockStore store(record.folder);
    StickPlan steps;
    steps.push_back(StepFor(context, stick, store, {files::kCustomVoice}, unrestored));
    steps.push_back(StepFor(context, stick, store, {files::kGame1, files::kGame8}, unrestored));
    steps.push_back(SoundArchiveStep(record, stick, unrestored));
    steps.push_back(StepFor(context, stick, store, {files::kMaleVoice}, unrestored));
    for (const std::string_view config :
         {files::kVoiceList, files::kModeFlags, files::kVoiceListBackup, files::kModeFlagsBackup}) {
        steps.push_back(StepFor(context, stick, store, {config}, unrestored));
    }
    std::erase_if(steps, [](const PlannedStep& step) { return step.files.empty(); });
    return steps;
}

// The files of the plan that are not byte for byte what was kept.
void CheckRestored(const Stick& stick, const StickPlan& plan, std::vector<Unrestored>& unrestored) {
    for (const PlannedStep& step : plan) {
        for (const PlannedFile& file : step.files) {
            const bool asKept = file.Removes() ? PresenceOf(stick, file.stickPath) == Presence::Absent
                                               : SameContent(file.source, stick.Path(file.stickPath));
            if (!asKept) unrestored.push_back({std::string(StickFileName(file.stickPath)), "is not the stock file"});
        }
    }
}

std::string UnrestoredList(const std::vector<Unrestored>& unrestored) {
    std::string list = "These files could not be restored:";
    for (const Unrestored& file : unrestored) list += "\n" + file.name + " (" + file.reason + ")";
    return list;
}

// "Stock sounds restored" only of a stick that is its record's in full.
std::string ClosingMessage(const std::vector<Unrestored>& unrestored) {
    if (unrestored.empty()) return "Stock sounds restored";
    return "Stock sounds not fully restored\n" + UnrestoredList(unrestored);
}

}  // namespace

bool RecordShowsChanges(const AppContext& context, const Stick& stick, const StickRecord& record) {
    if (!record.written) return false;
    // A record whose archive Tamsiro changed shows it whether or not its
    // base is still there.
    if (HoldsStockFiles(record) || record.archiveChanged) return true;
    // A Save of Main alone keeps nothing but the base.
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    if (FileExists(record.basePath) && !archive.empty() && !SameContent(record.basePath, archive)) return true;
    // An earlier Tamsiro changed files without keeping them: Restore names them.
    return std::any_of(stick_files::kStockFiles.begin(), stick_files::kStockFiles.end(),
                       [&](std::string_view path) { return ChangedWithoutStockCopy(context, stick, path); });
}

std::string BaseAsFirstSeen(const StickRecord& record) {
    return "DYNAUDIO.ODA is put back as this memory stick first had it, with the custom sounds of Main set " +
           record.heldSet + ", not the stock sounds";
}

RestoreVerdict RestoreStockSounds(AppContext& context, const Stick& stick) {
    UseInstallWords(context);
    const StickRecord record = RecordOfStick(context, stick);
    // Asking to put back what was never kept, or what is there already,
    // would only alarm.
    if (record.stock && !RecordShowsChanges(context, stick, record)) {
        context.ShowMessage(kNoStockRecord);
        return RestoreVerdict::NoRecord;
    }
    {
        const BusyScope busy(context);
        std::vector<Unrestored> unrestored;
        if (PlanRestore(context, stick, record, unrestored).empty()) {
            if (unrestored.empty()) {
                context.ShowMessage(record.stock ? kAlreadyStock : kAlreadyAsFirstSeen);
                return RestoreVerdict::AlreadyStock;
            }
            // Nothing can be put back: asking leave to remove the custom
            // sounds would promise what does not happen.
            context.ShowMessage("Stock sounds not restored\n" + UnrestoredList(unrestored) + "\nNothing was changed");
            return RestoreVerdict::NotRestored;
        }
    }
    if (!record.stock && !record.baseLost) context.ShowMessage(BaseAsFirstSeen(record));
    if (!context.Ask(kQuestion, DefaultButton::No)) return RestoreVerdict::NotRestored;
    StickLock lock;
    if (!OpenStickForChange(context, stick, lock)) return RestoreVerdict::NotRestored;
    // Only the stick's own record is put back: never another stick's files.
    if (!RecordShowsChanges(context, stick, record)) {
        context.ShowMessage(kNoStockRecord);
        return RestoreVerdict::NoRecord;
    }

    std::vector<Unrestored> unrestored;
    StickPlan plan;
    {
        const BusyScope busy(context);
        plan = PlanRestore(context, stick, record, unrestored);
    }
    const Room room = JudgeRoom(stick, plan);
    if (!room.fits) {
        context.ShowMessage(NotEnoughSpaceMessage(room.missingBytes));
        return RestoreVerdict::NotRestored;
    }
    // One bar for the whole Restore: each file written, read back, and read
    // back once more at the end.
    std::optional<WholeProgress> whole;
    whole.emplace(context.Ui(),
                  std::vector<ProgressStage>{ProgressStage::Keeping, ProgressStage::Writing, ProgressStage::Checking},
                  3 * WrittenBytesOf(plan), StepOf);
    const std::optional<CarryOutcome> carried = KeepAndCarry(context, stick, plan, room);
    whole.reset();
    if (!carried) return RestoreVerdict::NotRestored;
    const CarryOutcome& result = *carried;
    if (StoppedByTheStick(result.verdict)) {
        ReportUndone(context, stick, result.verdict, false);
        return RestoreVerdict::NotRestored;
    }
    if (result.verdict != CarryVerdict::Done) {
        std::string message = "Stock sounds not restored";
        for (const FileOutcome& file : result.files) {
            if (file.verdict == ChangeVerdict::Done || file.verdict == ChangeVerdict::NotDone) continue;
            message.append("\n").append(StickFileName(file.stickPath));
            message.append(file.verdict == ChangeVerdict::RemoveFailed ? " could not be removed"
                                                                       : " could not be written");
            const std::string why = WhyLine(file.failure, stick, StickFileName(file.stickPath));
            if (!why.empty()) message.append(": ").append(why);
        }
        context.ShowMessage(message);
        ReportUndone(context, stick, result.verdict, result.undoneFiles > 0);
        return RestoreVerdict::NotRestored;
    }
    // Said only of a stick that is, file for file, what was kept.
    CheckRestored(stick, plan, unrestored);
    if (unrestored.empty()) {
        // The stick is its record's again. A mark that stays only means
        // one question more should the base be lost.
        StickRecord now = RecordOfStick(context, stick);
        (void)MarkArchiveChanged(context, now, false);
    }
    context.ShowMessage(ClosingMessage(unrestored) + LeftOnStickText(result.leftOnStick));
    if (unrestored.empty()) context.Ui().ShowClosingNote(WrittenSummaryOf(plan));
    return unrestored.empty() ? RestoreVerdict::Restored : RestoreVerdict::NotRestored;
}

bool RepairSoundArchive(AppContext& context, const Stick& stick) {
    UseInstallWords(context);
    const std::string base = RecordOfStick(context, stick).basePath;
    StickPlan plan(1);
    plan[0].files.push_back(
        {std::string(stick_files::kSoundArchive), base, std::nullopt, ProgressStep::RestoringOnStick});
    Room room = JudgeRoom(stick, plan);
    if (!room.fits && !MakeRoomForRepair(context, stick, room.missingBytes)) return false;
    if (!room.fits) room = JudgeRoom(stick, plan);
    if (!room.fits) {
        context.ShowMessage(NotEnoughSpaceMessage(room.missingBytes));
        return false;
    }
    const std::optional<CarryOutcome> carried = KeepAndCarry(context, stick, std::move(plan), room);
    if (!carried) return false;
    const CarryOutcome& result = *carried;
    if (result.verdict == CarryVerdict::Done) return true;
    if (!StoppedByTheStick(result.verdict)) context.ShowMessage("Could not restore DYNAUDIO.ODA on memory stick");
    ReportUndone(context, stick, result.verdict, false);
    return false;
}

}  // namespace tamsiro
