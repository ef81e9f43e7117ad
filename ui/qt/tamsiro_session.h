#pragma once

#include "app/app_context.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "ui/qt/qt_user_interface.h"
#include "ui/qt/selection_dialog.h"

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

    SelectionDialog& Dialog() { return dialog_; }
    QtUserInterface& Ui() { return ui_; }

private:
    // The rows checked now, as Save takes them.
    SaveSelection Selection() const;

    SelectionDialog dialog_;
    QtUserInterface ui_;
    AppContext context_;
    // The stick the start sequence accepted.
    std::optional<Stick> stick_;
};

// The folder where the data files live (see DefaultProgramFolder: the
// running executable's own, or ~/Tamsiro when the program is installed
// where the user cannot write). Empty when there is none.
std::string ProgramFolder();

}  // namespace tamsiro::qt
