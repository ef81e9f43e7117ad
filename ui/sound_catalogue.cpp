#include "ui/sound_catalogue.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "stick/stick_files.h"

#include <algorithm>

namespace tamsiro {

namespace {
constexpr std::size_t kMaxControlText = 63;
}

std::string FileLabelOf(std::string_view rowText) { return std::string(rowText.substr(0, rowText.find(' '))); }

std::string DataFileName(std::string_view prefix, std::string_view label) {
    std::string fileName(program_files::kDataFilePrefix);
    fileName.append(prefix).append("_").append(label).append(program_files::kDataFileExtension);
    return fileName;
}

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
    auto offer = [&](int id, bool present) {
        if (present) {
            ++available;
        } else {
            context.Ui().DisableControl(id);
        }
    };
    for (int row = 0; row < kRowsPerCategory; ++row) {
        const int mainId = kMainFirstId + row;
        offer(mainId, FileExists(DataFileFor(context, mainId, kMainCategory.prefix)));

        const int voiceId = kVoiceFirstId + row;
        offer(voiceId, FileExists(DataFileFor(context, voiceId, kVoiceCategory.prefix)));

        const int gamesId = kGamesFirstId + row;
        const std::string first = DataFileFor(context, gamesId, kGamesCategory.prefix);
        const std::string second = DataFileFor(context, gamesId, kGamesCategory.secondPrefix);
        offer(gamesId, FileExists(first) && FileExists(second));
    }
    return available;
}

}  // namespace tamsiro
