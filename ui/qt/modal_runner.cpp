#include "ui/qt/modal_runner.h"

#include "ui/ui_texts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QStringList>
#include <QUrl>

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

bool ModalRunner::OpenDocument(const QUrl& url) { return QDesktopServices::openUrl(url); }

void ShowWarning(ModalRunner& runner, QWidget& owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral(TAMSIRO_APPLICATION_NAME), text, QMessageBox::Ok, &owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    runner.RunMessageBox(box);
}

}  // namespace tamsiro::qt
