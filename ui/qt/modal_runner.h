#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QDialog;
class QFileDialog;

namespace tamsiro::qt {

// Runs the modal windows the program opens: message boxes, the stick
// chooser and the About box. The windows are built and set up by their
// owners; this only decides who answers them. The program uses it as is,
// so a person answers; tests answer in a person's place.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;

    // The button that ended the box.
    virtual QMessageBox::StandardButton RunMessageBox(QMessageBox& box);
    // The chosen file, or nothing when the chooser was cancelled.
    virtual std::optional<QString> RunFileDialog(QFileDialog& dialog);
    virtual void RunAboutBox(QDialog& about);
};

}  // namespace tamsiro::qt
