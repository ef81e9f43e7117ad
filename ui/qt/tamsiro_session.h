#pragma once

#include "app/app_context.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/qt/selection_dialog.h"

#include <array>
#include <optional>
#include <string>

namespace tamsiro::qt {

class ModalRunner;

// One run of the program: the selection dialog, the core's view of it and
// the context the core works in, for a given program folder.
class TamsiroSession {
public:
    TamsiroSession(std::string programFolder, ModalRunner& runner);
    TamsiroSession(const TamsiroSession&) = delete;
    TamsiroSession& operator=(const TamsiroSession&) = delete;

    // The start sequence (stick, base archive, availability). False when
    // it ended the dialog; the dialog must then not be shown.
    bool Start();

    // Start, then the dialog for the user, until it closes.
    void Run();

    // An installed program's folder (~/Tamsiro) is one the user has never
    // seen: while it holds no sound set, Start welcomes the user first and
    // says where the files go.
    void WelcomeWhileEmpty(bool welcome) { welcomeWhileEmpty_ = welcome; }

    SelectionDialog& Dialog() { return dialog_; }
    QtUserInterface& Ui() { return ui_; }

private:
    // The rows checked now, as Save takes them.
    SaveSelection Selection() const;

    // The welcome, until the folder holds a set or the user closes it; true
    // when the folder holds a set.
    bool Welcome();
    // The dialog's status line, from what the stick holds now; with
    // `checkRows` each group's checked row follows the stick too.
    void ReadStick(bool checkRows);

    ModalRunner& runner_;
    bool welcomeWhileEmpty_ = false;
    SelectionDialog dialog_;
    QtUserInterface ui_;
    AppContext context_;
    // The stick the start sequence accepted.
    std::optional<Stick> stick_;
    // The set each group holds on the stick as last read, in dialog order;
    // nothing for stock, none or anything else that is not a set.
    std::array<std::optional<std::string>, kCategoriesInDialogOrder.size()> setsOnStick_;
};

// The folder where the data files live (see DefaultProgramFolderFor: the
// running executable's own, or ~/Tamsiro for an installed program), made
// when missing. Empty when there is none or it can't be made.
std::string ProgramFolder();

// Whether `programFolder` is not the running executable's own folder, as
// for an installed program.
bool IsInstalledProgramFolder(const std::string& programFolder);

}  // namespace tamsiro::qt
