#pragma once

#include "app/user_interface.h"

#include <windows.h>

#include <optional>
#include <string>

namespace tamsiro::win32 {

// The core's messages and questions, answered with the Windows services:
// message boxes, the open-file dialog, the wait cursor and a progress
// window over the selection dialog.
class Win32UserInterface : public UserInterface {
public:
    explicit Win32UserInterface(std::string applicationName);
    ~Win32UserInterface() override;
    Win32UserInterface(const Win32UserInterface&) = delete;
    Win32UserInterface& operator=(const Win32UserInterface&) = delete;

    // The selection dialog, once its window exists; boxes and the chooser
    // are owned by it.
    void AttachDialog(HWND dialog) { dialog_ = dialog; }

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    void ShowBusyCursor(bool busy) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;
    void EndDialog(DialogResult result) override;
    void ShowProgress(const ProgressReport& progress) override;
    void EndProgress() override;

    // Whether the core has ended the dialog; it may still be on screen.
    bool DialogEnded() const { return dialogEnded_; }
    // Whether the core has the busy pointer on, for the dialog's WM_SETCURSOR.
    bool Busy() const { return busy_; }
    // True while a progress report lets messages through: a command that
    // arrives then would start work in the middle of work, so the dialog
    // drops it.
    bool InsideStep() const { return pumping_; }

private:
    void OpenProgressWindow();
    void CloseProgressWindow();
    // Keeps the windows painted while a step runs; input for anything but
    // the progress window is dropped.
    void PumpMessages();

    std::string applicationName_;
    HWND dialog_ = nullptr;
    bool busy_ = false;
    bool dialogEnded_ = false;
    bool pumping_ = false;
    // When the running step sent its first report; the progress window
    // opens only for steps that last.
    std::optional<ULONGLONG> stepStarted_;
    ULONGLONG progressDelayMs_;
    HWND progressWindow_ = nullptr;
    std::string shownStep_;
};

// Answers WM_SETCURSOR in a dialog procedure with the wait pointer, so the
// arrow does not come back while the program is busy; the procedure then
// returns TRUE.
void AnswerSetCursorWithWait(HWND dialog);

// Turns the bar notation of file-dialog filters ("Text (*.txt)|*.txt||")
// into the NUL-separated list the open-file dialog reads.
std::string FilterFromBarNotation(const std::string& barNotation);

}  // namespace tamsiro::win32
