#include "stick/base_backup.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/file_system.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"

namespace tamsiro {

namespace {

// A damaged base would poison every later Main install: the user may move
// it aside and take a fresh backup, or stop.
bool SetAsideDamagedBase(AppContext& context, const std::string& basePath) {
    if (!context.Ask("DATA_BASEMIND3.ODA is damaged\nReplace it with a new backup from this memory stick?",
                     DefaultButton::No)) {
        return false;
    }
    const std::string damagedPath = basePath + std::string(program_files::kStockDamagedSuffix);
    (void)DeleteFileAt(damagedPath);
    if (!RenameFile(basePath, damagedPath)) {
        context.ShowMessage("Backup of DYNAUDIO.ODA failed");
        return false;
    }
    return true;
}

}  // namespace

bool EnsureBaseArchive(AppContext& context, const Stick& stick) {
    return EnsureBaseArchive(context, stick, RecordOfStick(context, stick));
}

bool EnsureBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record) {
    // The record before the base: a base without one would be taken by the
    // next stick whose archive fits it.
    auto writeRecord = [&] {
        if (record.written && !record.legacy) return true;
        if (WriteStickRecord(context, record)) return true;
        context.ShowMessage("Backup of DYNAUDIO.ODA failed");
        return false;
    };
    const std::string& basePath = record.basePath;
    if (FileExists(basePath)) {
        if (!CheckArchiveFile(basePath)) return writeRecord();
        if (!SetAsideDamagedBase(context, basePath)) return false;
    }

    // A damaged archive never becomes the base.
    const std::string source = stick.Path(stick_files::kSoundArchive);
    if (CheckArchiveFile(source)) {
        context.ShowMessage("DYNAUDIO.ODA on the memory stick is damaged\nBackup not made");
        return false;
    }

    context.ShowMessage(
        "Warning: backing up DYNAUDIO.ODA from memory stick\nWill take 30 seconds to a minute, please wait");
    if (!writeRecord()) return false;

    // Any file at the base path counts as a good backup on every later run,
    // so the copy lands under a temporary name, is read back and compared,
    // and only then renamed into place.
    const std::string partialPath = basePath + std::string(program_files::kStockPartialSuffix);
    bool copied = CopyVerified(context.Ui(), source, partialPath,
                               ProgramFolderCopySteps("Backing up DYNAUDIO.ODA into Tamsiro's folder",
                                                      "Checking the backup of DYNAUDIO.ODA in Tamsiro's folder"));
    if (copied && !RenameFile(partialPath, basePath)) copied = false;
    if (!copied) {
        DiscardFile(partialPath);
        context.ShowMessage("Backup of DYNAUDIO.ODA failed");
        return false;
    }
    (void)FlushFolder(context.ProgramFolder());
    context.ShowMessage("Backup of DYNAUDIO.ODA complete");
    return true;
}

}  // namespace tamsiro
