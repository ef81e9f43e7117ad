#pragma once

#include "app/user_interface.h"

#include <windows.h>

#include <string>

namespace tamsiro::win32 {

// The core's questions and the selection dialog's controls, answered with
// the Windows services: message boxes, the open-file dialog, the wait
// cursor and the dialog's own controls.
class Win32UserInterface : public UserInterface {
public:
    explicit Win32UserInterface(std::string applicationName);

    // The selection dialog, once its window exists; boxes and the chooser
    // are owned by it.
    void AttachDialog(HWND dialog) { dialog_ = dialog; }

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    void ShowBusyCursor(bool busy) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;
    std::string ControlText(int controlId) override;
    void DisableControl(int controlId) override;
    bool IsChecked(int controlId) override;
    void EndDialog(DialogResult result) override;

private:
    std::string applicationName_;
    HWND dialog_ = nullptr;
};

// Turns the bar notation of file-dialog filters ("Text (*.txt)|*.txt||")
// into the NUL-separated list the open-file dialog reads.
std::string FilterFromBarNotation(const std::string& barNotation);

}  // namespace tamsiro::win32
