#include "install/dialog_selection.h"

#include "app/app_context.h"

namespace tamsiro {

namespace {

constexpr std::size_t kMaxControlText = 63;

}  // namespace

std::string ControlFileLabel(AppContext& context, int controlId) {
    std::string text = context.Ui().ControlText(controlId);
    if (text.size() > kMaxControlText) text.resize(kMaxControlText);
    // Only a blank cuts the label: "MiniTilda (fits in 32MB)" is "MiniTilda".
    return FileLabelOf(text);
}

std::string DataFileFor(AppContext& context, int controlId, std::string_view prefix) {
    return context.DataFilePath(DataFileName(prefix, ControlFileLabel(context, controlId)));
}

int SelectionOf(AppContext& context, int firstId, int lastId) {
    for (int id = firstId; id <= lastId; ++id) {
        if (context.Ui().IsChecked(id)) return id;
    }
    return 0;
}

int ScanAvailability(AppContext& context) {
    int available = 0;
    for (int row = 0; row < kRowsPerCategory; ++row) {
        for (const SoundCategory& category : {kMainCategory, kVoiceCategory, kGamesCategory}) {
            const int id = category.firstId + row;
            if (SetFilesPresent(context, category, ControlFileLabel(context, id))) {
                ++available;
            } else {
                context.Ui().DisableControl(id);
            }
        }
    }
    return available;
}

}  // namespace tamsiro
