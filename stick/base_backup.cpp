#include "stick/base_backup.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/file_system.h"
#include "host/replacement_file.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "stick/stick_writer.h"

namespace tamsiro {

BaseVerdict BaseArchiveState(const StickRecord& record) {
    if (!FileExists(record.basePath)) return BaseVerdict::Missing;
    return CheckArchiveFile(record.basePath).Sound() ? BaseVerdict::Sound : BaseVerdict::Damaged;
}

bool SetAsideDamagedBase(const StickRecord& record, Failure* failure) {
    const std::string damagedPath = record.basePath + std::string(program_files::kStockDamagedSuffix);
    (void)DeleteFileAt(damagedPath);
    return RenameFile(record.basePath, damagedPath, failure);
}

bool EnsureStickRecord(const AppContext& context, const StickRecord& record, Failure* failure) {
    return (record.written && !record.legacy) || WriteStickRecord(context, record, failure);
}

bool CopyBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record, Failure* failure) {
    ReplacementFile base(record.basePath, program_files::kStockPartialSuffix);
    const CopySteps steps =
        InFolderSteps(context, ProgressStep::BackingUpBase, ProgressStep::CheckingBackup, "DYNAUDIO.ODA");
    if (!CopyVerified(context.Ui(), stick.Path(stick_files::kSoundArchive), base.TemporaryPath(), steps, failure)) {
        return false;
    }
    if (base.Commit(ReplacementFile::Existing::Keep)) return true;
    return Failed(failure, base.LastFailure());
}

}  // namespace tamsiro
