#pragma once

#include <QDialog>

#include <functional>
#include <map>
#include <utility>

class QAbstractButton;
class QAction;
class QPushButton;

namespace tamsiro::qt {

class ModalRunner;

inline constexpr const char* kDialogCaption = "AiboMind 3 Customized Sounds";
inline constexpr const char* kVersionText = "Test Version .01";
inline constexpr const char* kAboutEntry = "&About Tamsiro...";
inline constexpr const char* kRestoreEntry = "Restore stock sounds...";
inline constexpr int kSaveId = 1003;
inline constexpr int kCancelId = 2;

// The program's one window: three groups of six sound sets, Save and
// Cancel. It presents; what Save does is handed in by its owner.
class SelectionDialog : public QDialog {
public:
    explicit SelectionDialog(ModalRunner& runner, QWidget* parent = nullptr);

    void SetSaveHandler(std::function<void()> handler) { onSave_ = std::move(handler); }
    void SetRestoreHandler(std::function<void()> handler) { onRestore_ = std::move(handler); }

    // The radio buttons by their catalogue identifiers, and Save (1003)
    // and Cancel (2); nullptr for any other identifier.
    QAbstractButton* Control(int controlId) const;
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }
    QAction* AboutAction() const { return about_; }
    QAction* RestoreAction() const { return restore_; }

    void ShowAbout();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ModalRunner& runner_;
    std::function<void()> onSave_;
    std::function<void()> onRestore_;
    std::map<int, QAbstractButton*> controls_;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QAction* about_ = nullptr;
    QAction* restore_ = nullptr;
};

}  // namespace tamsiro::qt
