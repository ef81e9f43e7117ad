#pragma once

#include "ui/qt/modal_runner.h"

#include <QFileDialog>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

class QWidget;

namespace tamsiro::test {

// Answers the program's modal windows in a person's place and writes down
// what each one showed, in order:
//   "prompt"               the stick chooser
//   "message: <text>"      a box with OK only
//   "ask(yes): <text>"     a Yes/No box whose default is Yes (ask(no) for No)
//   "welcome: <text>"      the first start's welcome (Open folder, OK, Cancel)
// Anything about a box that a person would see wrong (icon, caption,
// buttons) goes to `problems` instead.
class ScriptedRunner : public qt::ModalRunner {
public:
    std::deque<std::optional<QString>> markers;       // chooser answers; empty = cancel
    std::deque<QMessageBox::StandardButton> answers;  // Yes/No answers; empty = No
    // The welcome's answers (Open for "Open folder", OK, Cancel); empty =
    // Cancel, as closing it.
    std::deque<QMessageBox::StandardButton> welcomeAnswers;
    // Called when a document or folder is handed to the desktop.
    std::function<void()> whenDocumentOpened;

    QStringList transcript;
    QStringList problems;
    // For each box: whether the selection dialog was on screen and the busy
    // pointer was up while it was shown.
    std::vector<bool> dialogVisibleAtBox;
    std::vector<bool> busyAtBox;
    // For each box: whether a progress window was still open.
    std::vector<bool> progressAtBox;
    // The chooser as it was set up.
    QString chooserTitle;
    QStringList chooserFilters;
    QFileDialog::FileMode chooserMode = QFileDialog::AnyFile;
    QString chooserInitialFile;
    QString chooserFolder;
    // The note each chooser showed above its files, empty for none.
    QStringList chooserNotes;
    // The About box's texts, caption first.
    QStringList aboutTexts;
    bool aboutHadIcon = false;
    bool aboutOkIsDefault = false;
    // Documents handed to the desktop, and whether it takes them.
    QList<QUrl> openedDocuments;
    bool desktopOpensDocuments = true;

    // The selection dialog, to tell whether boxes came before it was shown.
    QWidget* dialog = nullptr;

    QStringList Messages() const;

    QMessageBox::StandardButton RunMessageBox(QMessageBox& box) override;
    std::optional<QString> RunFileDialog(QFileDialog& chooser) override;
    void RunAboutBox(QDialog& about) override;
    bool OpenDocument(const QUrl& url) override;
};

}  // namespace tamsiro::test
