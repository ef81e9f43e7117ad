#pragma once

// What the selection dialog shows beside its eighteen rows: the other sets
// of the program folder, the status line and the missing-file line. Plain
// functions without windows, so the host's unit tests reach them too.

#include "catalogue/sound_catalogue.h"
#include "install/save_command.h"
#include "install/stick_status.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro::win32 {

// A set the dialog offers, as one of its group's choices.
struct SetChoice {
    std::size_t categoryPlace = 0;
    std::string label;         // its file label, as the file names spell it
    std::string missingFile;   // empty when it can be installed
    bool partlyThere = false;  // some of its data files are in the folder

    bool operator==(const SetChoice&) const = default;
};

// A group as the extra rows and the missing-file line name it: "Main",
// "Talkative Voice", "Games".
std::string GroupName(std::size_t categoryPlace);

// An extra row's text: "Talkative Voice: Barnaby (1)".
std::string ExtraChoiceText(const SetChoice& choice);

// The extra group's rows: each group's sets in dialog order of the groups,
// in the order given (ExtraSets sorts them).
using ExtraSetsPerGroup = std::array<std::vector<FolderSet>, kCategoriesInDialogOrder.size()>;
std::vector<SetChoice> ExtraChoicesOf(const ExtraSetsPerGroup& sets);
// The same, from the program folder.
std::vector<SetChoice> ExtraChoices(const AppContext& context);

// One of the six rows, with the set its file label names.
SetChoice RowChoice(const AppContext& context, std::size_t categoryPlace, const std::string& label);

// "Missing: DATA_G3B_Solo.ODA (Games: Solo)".
std::string MissingFileLine(const SetChoice& greyed);
// What the missing-file line says while the pointer is on no greyed row:
// the greyed sets partly in the folder, whose rows would otherwise look
// greyed for no reason; empty when there are none. A set with no file at
// all is named when pointed at.
std::string MissingFilesLine(const std::vector<SetChoice>& greyed);

// "Memory stick: E:\".
std::string StickRootLine(const std::string& root);
// "Main: X · Voice: Y · Games: Z", the groups parted by `separator`.
std::string StickWordsLine(const DialogStatusWords& words, std::string_view separator);

// The selection with each checked extra row's set in place of its group's
// rows. The male voice goes with the sixth voice row only, never with a set
// of the folder's own.
SaveSelection WithExtraChoices(SaveSelection selection, const std::vector<SetChoice>& checked);

}  // namespace tamsiro::win32
