#include "stick/interrupted_work.h"

#include "app/app_context.h"
#include "archive/archive_check.h"
#include "host/file_system.h"
#include "stick/config_rotation.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "stick/stick_transaction.h"
#include "stick/stick_writer.h"
#include "stick/stock_store.h"

#include <vector>

namespace tamsiro {

void TidyAfterInterruption(AppContext& context, const Stick& stick) {
    std::vector<std::string> targets;
    for (const std::string_view stickPath : stick_files::kSafelyWrittenFiles) {
        std::string target = stick.Path(stickPath);
        if (!target.empty()) targets.push_back(std::move(target));
    }
    FinishInterruptedWrites(targets);
    RepairInterruptedRotation(stick, stick_files::kVoiceListStem);
    RepairInterruptedRotation(stick, stick_files::kModeFlagsStem);
    // A change the journal says was under way is undone, from the bytes it kept.
    (void)RollBackInterruptedChange(context, stick);

    const StickRecord record = RecordOfStick(context, stick);
    const std::string partialBase = record.basePath + std::string(program_files::kStockPartialSuffix);
    if (FileExists(partialBase)) DiscardFile(partialBase);
    StockStore(record.folder).DiscardPartialCopies();
    DiscardPartialRecords(context);
    const std::string work = context.DataFilePath(program_files::kWorkArchive);
    if (FileExists(work) && CheckArchiveFile(work)) DiscardFile(work);
}

}  // namespace tamsiro
