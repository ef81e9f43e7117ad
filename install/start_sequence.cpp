#include "install/start_sequence.h"

#include "app/app_context.h"
#include "install/stick_selection.h"
#include "stick/base_backup.h"
#include "stick/stick.h"

#include <utility>

namespace tamsiro {

std::optional<Stick> PrepareStick(AppContext& context) {
    std::optional<Stick> stick = SelectStick(context);
    if (!stick) return std::nullopt;
    if (!EnsureBaseArchive(context, *stick)) {
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
    if (rows.Count() == 0) {
        context.ShowMessage("No M3 Audio installed - please download some\nDATA_*.ODA files must be in same folder as program");
        context.Ui().EndDialog(DialogResult::Cancel);
        return std::nullopt;
    }
    return DialogStart{std::move(*stick), rows};
}

}  // namespace tamsiro
