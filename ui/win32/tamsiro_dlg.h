#pragma once

#include "app/app_context.h"
#include "catalogue/sound_catalogue.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "ui/win32/modal_dialog.h"
#include "ui/win32/set_choices.h"
#include "ui/win32/win32_user_interface.h"

#include <optional>
#include <string>
#include <vector>

namespace tamsiro::win32 {

// The selection dialog, the program's only main window. Its start runs
// the core's start sequence and disables the rows it found unavailable,
// and offers the folder's other sets in a group of their own; Save hands
// the checked rows to the core's Save command. Under the groups it says
// what the stick holds and what a greyed set lacks.
class CTamsiroDlg : public CModalDialog {
public:
    CTamsiroDlg(std::string applicationName, std::string programFolder);

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void AddSystemMenuEntries();
    // The file label each row's text stands for.
    RowFileLabels ShownFileLabels() const;
    // The rows checked now, as Save takes them.
    SaveSelection Selection() const;
    // F1: README.txt beside the program, or a note where help is.
    void ShowHelp();
    void PaintMinimized();

    // The folder's other sets, in a box below the three groups.
    void ShowOtherSets();
    // The checked rows of that box, as choices.
    std::vector<SetChoice> CheckedOtherSets() const;
    // A row of a group and the other sets of its group exclude each other.
    void OnChoiceClicked(int id);
    // Restore stock sounds, from the button or the system menu.
    void Restore();
    // The status line, read from the stick now.
    void ShowStickStatus();
    // The file a greyed row lacks, while the pointer is on it.
    void ShowMissingFileAt(POINT point);
    // Places what lies below the groups and fits the dialog's height to it.
    void LayOut();

    Win32UserInterface ui_;
    AppContext context_;
    // The stick the start sequence accepted.
    std::optional<Stick> stick_;
    HICON icon_;
    HICON smallIcon_;
    // Row i of the other sets is control IDC_OTHER_SET_1 + i.
    std::vector<SetChoice> otherSets_;
    struct GreyedRow {
        int id;
        SetChoice choice;
    };
    std::vector<GreyedRow> greyed_;
    // What the missing-file line says while the pointer is on no greyed row.
    std::string missingFiles_;
    int pointedRow_ = 0;
};

}  // namespace tamsiro::win32
