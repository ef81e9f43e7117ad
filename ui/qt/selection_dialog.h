#pragma once

#include "catalogue/sound_catalogue.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace tamsiro::qt {

class ModalRunner;

// The program's one window: three groups, each with "Keep what is on the
// stick", six sound sets and the folder's other sets, then Restore, Save
// and Cancel. It presents; what Save does is handed in by its owner.
class SelectionDialog : public QDialog {
public:
    explicit SelectionDialog(ModalRunner& runner, QWidget* parent = nullptr);

    void SetSaveHandler(std::function<void()> handler) { onSave_ = std::move(handler); }
    // Where F1 looks for the usage text, in order.
    void SetHelpFiles(QStringList paths) { helpFiles_ = std::move(paths); }
    void SetRestoreHandler(std::function<void()> handler) { onRestore_ = std::move(handler); }

    // The radio button of one of the six rows, by its category's place in
    // the dialog and its own (from 0); nullptr for a row there is not.
    QAbstractButton* Choice(std::size_t categoryPlace, int row) const;
    // The first row of a group, "Keep what is on the stick".
    QAbstractButton* KeepChoice(std::size_t categoryPlace) const;
    // The folder's other sets of a group, as rows after the six, in the
    // order given; one that lacks a file is greyed out and names it.
    void ShowOtherSets(std::size_t categoryPlace, const std::vector<FolderSet>& sets);
    QList<QAbstractButton*> OtherChoices(std::size_t categoryPlace) const;
    // Greys out a set's row; its tooltip names the file it still needs.
    void ShowMissingFile(QAbstractButton* choice, const QString& fileName);
    // The checked one of the six rows of a category, if any; a disabled
    // row never counts, even if it was checked before.
    std::optional<int> CheckedRow(std::size_t categoryPlace) const;
    // The file label of the set checked in a category; nothing while Keep
    // (or a disabled row) is checked.
    std::optional<std::string> CheckedSet(std::size_t categoryPlace) const;
    // Checks the row of the set `label` names (letter case aside), or Keep
    // when there is none.
    void CheckSet(std::size_t categoryPlace, const std::optional<std::string>& label);
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
    // A set's row and the file label it stands for.
    struct SetChoice {
        QAbstractButton* button;
        std::string label;
    };
    static constexpr std::size_t kGroups = kCategoriesInDialogOrder.size();
    std::array<std::array<QAbstractButton*, kRowsPerCategory>, kGroups> choices_{};
    std::array<QAbstractButton*, kGroups> keep_{};
    // Every set's row of a group: the six, then the folder's others.
    std::array<std::vector<SetChoice>, kGroups> sets_;
    std::array<QButtonGroup*, kGroups> buttonGroups_{};
    std::array<QVBoxLayout*, kGroups> rowLayouts_{};
    QScrollArea* groupsArea_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QLabel* stickStatus_ = nullptr;
    QAction* about_ = nullptr;
    QAction* restore_ = nullptr;
};

}  // namespace tamsiro::qt
