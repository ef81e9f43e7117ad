#pragma once

#include "app/user_interface.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QProgressDialog;

namespace tamsiro::qt {

class ModalRunner;
class SelectionDialog;

// The core's view of the Qt front end: message boxes, the stick chooser and
// the progress window owned by the selection dialog, and the busy pointer.
class QtUserInterface : public UserInterface {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    QtUserInterface(SelectionDialog& dialog, ModalRunner& runner);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    void ShowBusyCursor(bool busy) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;
    std::optional<std::string> PromptForMarkerWithNote(const std::string& suggestedFolder,
                                                       const std::string& note) override;
    void EndDialog(DialogResult result) override;
    void ShowProgress(const ProgressReport& progress) override;
    void EndProgress() override;

    // True once the core has ended the dialog.
    bool DialogEnded() const { return ended_; }

    // The time a step has lasted is read from this clock (tests pass their own).
    void UseClock(Clock clock) { clock_ = std::move(clock); }
    // The progress window while it is open, else nullptr.
    QProgressDialog* ProgressWindow() const { return progress_.get(); }

private:
    SelectionDialog& dialog_;
    ModalRunner& runner_;
    bool busyShown_ = false;
    bool ended_ = false;
    Clock clock_ = &std::chrono::steady_clock::now;
    std::optional<std::chrono::steady_clock::time_point> stepStarted_;
    std::unique_ptr<QProgressDialog> progress_;
};

// Host text (file names, messages) to and from Qt strings; file names go
// through the encoding the host's file system uses.
QString FromHostText(const std::string& text);
std::string HostFileName(const QString& path);

}  // namespace tamsiro::qt
