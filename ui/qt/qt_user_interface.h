#pragma once

#include "app/user_interface.h"

#include <QString>

namespace tamsiro::qt {

class ModalRunner;
class SelectionDialog;

inline constexpr const char* kApplicationName = "Tamsiro";
inline constexpr const char* kChooserTitle = "Open MEMSTICK.IND file at root of OpenR directory";
inline constexpr const char* kChooserFilter = "Memory Stick Files (*.ind)";
inline constexpr const char* kChooserInitialFile = "memstick.ind";

// The core's view of the Qt front end: message boxes and the stick chooser
// owned by the selection dialog, the busy pointer, and the dialog's
// controls addressed by their identifiers.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface(SelectionDialog& dialog, ModalRunner& runner);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    void ShowMessage(const std::string& text) override;
    bool Ask(const std::string& text, DefaultButton defaultButton) override;
    void ShowBusyCursor(bool busy) override;
    std::optional<std::string> PromptForMarker(const std::string& suggestedFolder) override;
    std::string ControlText(int controlId) override;
    void DisableControl(int controlId) override;
    bool IsChecked(int controlId) override;
    void EndDialog(DialogResult result) override;

    // True once the core has ended the dialog.
    bool DialogEnded() const { return ended_; }

private:
    SelectionDialog& dialog_;
    ModalRunner& runner_;
    bool busyShown_ = false;
    bool ended_ = false;
};

// Host text (file names, messages) to and from Qt strings; file names go
// through the encoding the host's file system uses.
QString FromHostText(const std::string& text);
std::string HostFileName(const QString& path);

}  // namespace tamsiro::qt
