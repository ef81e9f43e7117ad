#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QDialog;
class QFileDialog;
class QUrl;
class QWidget;

namespace tamsiro::qt {

// Runs the modal windows the program opens: message boxes, the stick
// chooser and the About box, and hands documents to the desktop. The
// windows are built and set up by their owners; this only decides who
// answers them. The program uses it as is, so a person answers; tests
// answer in a person's place.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;

    // The button that ended the box.
    virtual QMessageBox::StandardButton RunMessageBox(QMessageBox& box);
    // The chosen file, or nothing when the chooser was cancelled.
    virtual std::optional<QString> RunFileDialog(QFileDialog& dialog);
    virtual void RunAboutBox(QDialog& about);
    // Opens a document in the desktop's viewer; false when none took it.
    [[nodiscard]] virtual bool OpenDocument(const QUrl& url);
};

// The program's one kind of notice: the application name as caption, the
// warning icon, OK, and the text shown as written (never read as markup).
void ShowWarning(ModalRunner& runner, QWidget& owner, const QString& text);

}  // namespace tamsiro::qt
