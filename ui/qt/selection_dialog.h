#pragma once

#include "catalogue/sound_catalogue.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

class QAbstractButton;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tamsiro::qt {

class ModalRunner;

// The program's one window: three groups of six sound sets, Save and
// Cancel. It presents; what Save does is handed in by its owner.
class SelectionDialog : public QDialog {
public:
    explicit SelectionDialog(ModalRunner& runner, QWidget* parent = nullptr);

    void SetSaveHandler(std::function<void()> handler) { onSave_ = std::move(handler); }
    // Where F1 looks for the usage text, in order.
    void SetHelpFiles(QStringList paths) { helpFiles_ = std::move(paths); }
    void SetRestoreHandler(std::function<void()> handler) { onRestore_ = std::move(handler); }

    // The radio button of a row, by its category's place in the dialog and
    // its own (from 0); nullptr for a row there is not.
    QAbstractButton* Choice(std::size_t categoryPlace, int row) const;
    // Disables the rows that cannot be chosen.
    void ShowAvailability(const RowAvailability& rows);
    // The checked row of a category, if any; a disabled row never counts,
    // even if it was checked before.
    std::optional<int> CheckedRow(std::size_t categoryPlace) const;
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
    std::array<std::array<QAbstractButton*, kRowsPerCategory>, kCategoriesInDialogOrder.size()> choices_{};
    QScrollArea* groupsArea_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QLabel* stickStatus_ = nullptr;
    QAction* about_ = nullptr;
    QAction* restore_ = nullptr;
};

}  // namespace tamsiro::qt
