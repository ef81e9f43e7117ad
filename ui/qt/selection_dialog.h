#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <map>
#include <utility>

class QAbstractButton;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tamsiro::qt {

class ModalRunner;

inline constexpr int kSaveId = 1003;
inline constexpr int kCancelId = 2;

// The program's one window: three groups of six sound sets, Save and
// Cancel. It presents; what Save does is handed in by its owner.
class SelectionDialog : public QDialog {
public:
    explicit SelectionDialog(ModalRunner& runner, QWidget* parent = nullptr);

    void SetSaveHandler(std::function<void()> handler) { onSave_ = std::move(handler); }
    // Where F1 looks for the usage text, in order.
    void SetHelpFiles(QStringList paths) { helpFiles_ = std::move(paths); }
    void SetRestoreHandler(std::function<void()> handler) { onRestore_ = std::move(handler); }

    // The radio buttons by their catalogue identifiers, and Save (1003)
    // and Cancel (2); nullptr for any other identifier.
    QAbstractButton* Control(int controlId) const;
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }
    QAction* AboutAction() const { return about_; }
    QScrollArea* GroupsArea() const { return groupsArea_; }
    QAction* RestoreAction() const { return restore_; }
    QPushButton* RestoreButton() const { return restoreButton_; }
    // The line under the groups that names the stick and what it holds.
    void SetStickStatus(const QString& text);
    QLabel* StickStatusLine() const { return stickStatus_; }

    void ShowAbout();
    // F1: the usage text in the desktop's viewer, or where to find it.
    void ShowHelp();

    // Fixes the dialog's size to its contents, or to what fits in
    // `available` (a screen's free area, title bar included), in which case
    // the groups scroll and the buttons stay in view.
    void FitTo(const QRect& available);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ModalRunner& runner_;
    std::function<void()> onSave_;
    QStringList helpFiles_;
    std::function<void()> onRestore_;
    std::map<int, QAbstractButton*> controls_;
    QScrollArea* groupsArea_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QLabel* stickStatus_ = nullptr;
    QAction* about_ = nullptr;
    QAction* restore_ = nullptr;
};

}  // namespace tamsiro::qt
