#include "install/start_sequence.h"
#include "install/progress_words.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "archive/archive_diff.h"
#include "host/file_system.h"
#include "install/messages.h"
#include "install/stick_selection.h"
#include "stick/base_backup.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"

#include <utility>

namespace tamsiro {

namespace {

// The archive about to become a stick's base must be what the stick came
// with: not when it holds a Main set merged into another stick's base, nor
// when the record shows an earlier Save (stock files kept, or a sound
// archive written) but its base is gone. The user decides; a base taken
// anyway is marked as not stock.
bool ConfirmBase(AppContext& context, const Stick& stick, StickRecord& record) {
    if (FileExists(record.basePath)) return true;
    const std::vector<std::string> labels = AvailableSets(context, kMainCategory);
    std::vector<std::string> sets;
    for (const std::string& label : labels)
        sets.push_back(context.DataFilePath(DataFileName(kMainCategory.prefix, label)));
    const std::string archive = stick.Path(stick_files::kSoundArchive);
    std::optional<std::string> held;
    for (const std::string& base : OtherBases(context, record)) {
        if (const auto found = FindMergedSet(base, sets, archive)) {
            held = labels[*found];
            break;
        }
    }
    // Tamsiro changed this stick before: its first archive went with the base.
    const bool firstArchiveLost = HoldsStockFiles(record) || record.archiveChanged;
    if (!held && !firstArchiveLost) return true;
    record.heldSet = held.value_or("unknown");
    if (!context.AskOwnQuestion("DYNAUDIO.ODA on this memory stick already holds custom sounds (Main set " +
                                    record.heldSet + ")\nUse it as the base anyway?",
                                DefaultButton::No, kAcceptCustomBaseOption)) {
        return false;
    }
    record.stock = false;
    record.baseLost = firstArchiveLost;
    // The record is rewritten with the mark.
    record.written = false;
    return true;
}

}  // namespace

bool EnsureBaseArchive(AppContext& context, const Stick& stick) {
    return EnsureBaseArchive(context, stick, RecordOfStick(context, stick));
}

bool EnsureBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record) {
    UseInstallWords(context);
    constexpr const char* kFailed = "Backup of DYNAUDIO.ODA failed";
    switch (BaseArchiveState(record)) {
    case BaseVerdict::Sound:
        if (EnsureStickRecord(context, record)) return true;
        context.ShowMessage(kFailed);
        return false;
    case BaseVerdict::Damaged:
        // A damaged base would poison every later Main install: the user
        // may move it aside and take a fresh backup, or stop.
        if (!context.Ask("DATA_BASEMIND3.ODA is damaged\nReplace it with a new backup from this memory stick?",
                         DefaultButton::No)) {
            return false;
        }
        if (!SetAsideDamagedBase(record)) {
            context.ShowMessage(kFailed);
            return false;
        }
        break;
    case BaseVerdict::Missing: break;
    }
    // A damaged archive never becomes the base.
    if (!CheckArchiveFile(stick.Path(stick_files::kSoundArchive)).Sound()) {
        context.ShowMessage("DYNAUDIO.ODA on the memory stick is damaged\nBackup not made");
        return false;
    }
    context.ShowMessage(
        "Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait");
    if (!EnsureStickRecord(context, record) || !CopyBaseArchive(context, stick, record)) {
        context.ShowMessage(kFailed);
        return false;
    }
    context.ShowMessage("Backup of DYNAUDIO.ODA complete");
    return true;
}

std::optional<Stick> PrepareStick(AppContext& context) {
    std::optional<Stick> stick = SelectStick(context);
    if (!stick) return std::nullopt;
    StickRecord record = RecordOfStick(context, *stick);
    if (!ConfirmBase(context, *stick, record) || !EnsureBaseArchive(context, *stick, record)) {
        context.ShowMessage("Can't continue without base archive");
        return std::nullopt;
    }
    return stick;
}

std::optional<DialogStart> RunStartSequence(AppContext& context, const RowFileLabels& labels) {
    std::optional<Stick> stick = PrepareStick(context);
    if (!stick) {
        context.Ui().EndDialog(DialogResult::Cancel);
        return std::nullopt;
    }
    const RowAvailability rows = AvailableRows(context, labels);
    // A set of a folder's own (a browser's copy, one packed by hand) counts
    // as much as one of the six rows.
    if (rows.Count() == 0 && !HoldsAnySoundSet(context)) {
        context.ShowMessage(
            "No M3 Audio installed - please download some\nDATA_*.ODA files must be in same folder as program");
        context.Ui().EndDialog(DialogResult::Cancel);
        return std::nullopt;
    }
    return DialogStart{std::move(*stick), rows};
}

}  // namespace tamsiro
