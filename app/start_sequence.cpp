#include "app/start_sequence.h"

#include "app/app_context.h"
#include "stick/base_backup.h"
#include "stick/stick_selection.h"
#include "ui/sound_catalogue.h"

namespace tamsiro {

bool RunStartSequence(AppContext& context) {
    std::optional<Stick> stick = SelectStick(context);
    if (!stick) {
        context.Ui().EndDialog(DialogResult::Cancel);
        return false;
    }
    context.UseStick(std::move(*stick));
    if (!EnsureBaseArchive(context, *context.ChosenStick())) {
        context.ShowMessage("Can't continue without base archive");
        context.Ui().EndDialog(DialogResult::Cancel);
        return false;
    }
    if (ScanAvailability(context) == 0) {
        context.ShowMessage("No M3 Audio installed - please download some\nDATA_*.ODA files must be in same folder as program");
        context.Ui().EndDialog(DialogResult::Cancel);
        return false;
    }
    return true;
}

}  // namespace tamsiro
