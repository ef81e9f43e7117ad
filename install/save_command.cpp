#include "install/save_command.h"

#include "app/app_context.h"
#include "app/file_system.h"
#include "archive/main_install.h"
#include "stick/mode_flags.h"
#include "stick/stick_files.h"
#include "stick/voice_list.h"
#include "ui/sound_catalogue.h"

#include <string>

namespace tamsiro {

namespace {

struct StickCopy {
    const char* prefix;
    std::string_view destination;
    const char* failure;
};

constexpr StickCopy kGame1{"G3A", stick_files::kGame1, "Could not copy game#1 audio to memory stick"};
constexpr StickCopy kGame8{"G3B", stick_files::kGame8, "Could not copy game#8 audio to memory stick"};
constexpr StickCopy kVoice{"V3", stick_files::kCustomVoice, "Could not copy user voice audio to memory stick"};

// The old file goes first: small sticks have no room for both.
bool CopyToStick(AppContext& context, const Stick& stick, const std::string& label, const StickCopy& copy) {
    const std::string source = context.DataFilePath(DataFileName(copy.prefix, label));
    const std::string destination = stick.Path(copy.destination);
    if (!destination.empty()) (void)DeleteFileAt(destination);
    if (destination.empty() || !CopyWholeFile(source, destination, CopyMode::Overwrite)) {
        context.ShowMessage(copy.failure);
        return false;
    }
    return true;
}

bool InstallGames(AppContext& context, const Stick& stick, const std::string& label) {
    const BusyScope busy(context);
    return CopyToStick(context, stick, label, kGame1) && CopyToStick(context, stick, label, kGame8);
}

bool InstallVoice(AppContext& context, const Stick& stick, const std::string& label, bool offersMaleVoiceRemoval) {
    {
        const BusyScope busy(context);
        if (!CopyToStick(context, stick, label, kVoice)) return false;
    }

    bool maleVoiceRemoved = false;
    if (offersMaleVoiceRemoval &&
        context.Ask("Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)", DefaultButton::Yes)) {
        (void)DeleteFileAt(stick.Path(stick_files::kMaleVoice));
        maleVoiceRemoved = true;
    }

    // A configuration that could not be rewritten is a warning, not a failure:
    // the sounds are on the stick already.
    BusyScope busy(context);
    if (!RewriteVoiceList(context, stick, maleVoiceRemoved) || !RewriteModeFlags(context, stick)) {
        // The warning is the Save's own verdict, not part of the work: it is
        // shown with the normal pointer, unlike the rewrite's error before it.
        busy.End();
        context.ShowMessage("Warning: CFG files not updated fully");
    }
    return true;
}

std::optional<std::string> SelectedLabel(AppContext& context, const SoundCategory& category) {
    const int id = SelectionOf(context, category.firstId, category.LastId());
    if (id == 0) return std::nullopt;
    return ControlFileLabel(context, id);
}

}  // namespace

SaveSelection ReadDialogSelection(AppContext& context) {
    SaveSelection selection;
    selection.main = SelectedLabel(context, kMainCategory);
    selection.games = SelectedLabel(context, kGamesCategory);
    selection.voice = SelectedLabel(context, kVoiceCategory);
    // The question belongs to the sixth row, whatever its label says.
    selection.voiceOffersMaleVoiceRemoval = SelectionOf(context, kVoiceCategory.firstId, kVoiceCategory.LastId()) == kMiniVoiceId;
    return selection;
}

bool Save(AppContext& context, const Stick& stick, const SaveSelection& selection) {
    const int chosen = int{selection.main.has_value()} + int{selection.games.has_value()} + int{selection.voice.has_value()};
    if (chosen == 0) {
        context.ShowMessage("Please select something");
        return false;
    }
    if (chosen < 3 && !context.Ask("You didn't select all three parts\nShould I install fewer parts?", DefaultButton::No)) {
        return false;
    }

    if (selection.main &&
        !InstallMain(context, stick, context.DataFilePath(DataFileName(kMainCategory.prefix, *selection.main)))) {
        return false;
    }
    if (selection.games && !InstallGames(context, stick, *selection.games)) return false;
    if (selection.voice && !InstallVoice(context, stick, *selection.voice, selection.voiceOffersMaleVoiceRemoval)) return false;

    context.ShowMessage("New audio saved");
    return true;
}

void OnSave(AppContext& context) {
    const Stick* stick = context.ChosenStick();
    if (stick == nullptr) return;
    if (Save(context, *stick, ReadDialogSelection(context))) context.Ui().EndDialog(DialogResult::Ok);
}

}  // namespace tamsiro
