#pragma once

#include "app/user_interface.h"
#include "catalogue/sound_catalogue.h"

#include <optional>
#include <string>

namespace tamsiro {

class AppContext;
class Stick;

// What to install: the file label of each group's set ("Tilda" installs
// DATA_M3_Tilda.ODA and so on), or nothing for a group left out.
struct SaveSelection {
    std::optional<std::string> main;
    std::optional<std::string> games;
    std::optional<std::string> voice;
    // The 32 MB voice set offers to delete the stock male voice.
    bool voiceOffersMaleVoiceRemoval = false;
    // Answers to Save's two questions when the front end has them up front
    // (the command line's options); Save asks only where there is none.
    std::optional<GivenAnswer> installFewerParts;
    std::optional<GivenAnswer> removeMaleVoice;
};

// The row checked in each group of the dialog (0 to 5), if any.
struct CheckedRows {
    std::optional<int> main;
    std::optional<int> voice;
    std::optional<int> games;
};

// The selection of a dialog's checked rows, each standing for the set its
// file label names. The male-voice question comes with the sixth voice row,
// whatever its label.
SaveSelection SelectionOfRows(const CheckedRows& checked, const RowFileLabels& labels = CatalogueFileLabels());

// A selection by file labels, as the command line names them. The
// male-voice question comes with the sixth voice row's set only
// ("MiniTilda"), as in the dialog.
SaveSelection SelectionOfLabels(std::optional<std::string> main, std::optional<std::string> games,
                                std::optional<std::string> voice);

// The questions a Save may ask.
inline constexpr const char* kFewerPartsQuestion = "You didn't select all three parts\nShould I install fewer parts?";
inline constexpr const char* kMaleVoiceQuestion =
    "Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)";

// Installs the chosen Main, Games and Talkative Voice sets in that order
// and switches the stick's configuration to a voice, as one stick
// transaction: everything is planned and asked before the stick changes,
// and a failure puts the stick back as it was. Asks first when not all
// three groups are chosen. Only when every change is on the stick does it
// say "New audio saved" and return true.
[[nodiscard]] bool Save(AppContext& context, const Stick& stick, const SaveSelection& selection);

// The Save button: Save with the dialog's selection on the chosen stick;
// a complete run ends the dialog with the OK result, anything else leaves
// it open.
void OnSave(AppContext& context, const Stick& stick, const SaveSelection& selection);

}  // namespace tamsiro
