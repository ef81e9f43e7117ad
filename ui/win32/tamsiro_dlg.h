#pragma once

#include "app/app_context.h"
#include "catalogue/sound_catalogue.h"
#include "install/save_command.h"
#include "stick/stick.h"
#include "ui/win32/modal_dialog.h"
#include "ui/win32/win32_user_interface.h"

#include <optional>
#include <string>

namespace tamsiro::win32 {

// The selection dialog, the program's only main window. Its start runs
// the core's start sequence and disables the rows it found unavailable;
// Save hands the checked rows to the core's Save command.
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

    Win32UserInterface ui_;
    AppContext context_;
    // The stick the start sequence accepted.
    std::optional<Stick> stick_;
    HICON icon_;
    HICON smallIcon_;
};

}  // namespace tamsiro::win32
