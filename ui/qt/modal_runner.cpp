#include "ui/qt/modal_runner.h"

#include <QDialog>
#include <QFileDialog>
#include <QStringList>

namespace tamsiro::qt {

QMessageBox::StandardButton ModalRunner::RunMessageBox(QMessageBox& box) {
    box.exec();
    // exec() returns an opaque value when the box has custom buttons;
    // standardButton() of the clicked one is reliable either way.
    return box.standardButton(box.clickedButton());
}

std::optional<QString> ModalRunner::RunFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

void ModalRunner::RunAboutBox(QDialog& about) { about.exec(); }

}  // namespace tamsiro::qt
