#include "ui/qt/qt_user_interface.h"

#include "ui/qt/modal_runner.h"
#include "ui/qt/selection_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace tamsiro::qt {

QString FromHostText(const std::string& text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }

std::string HostFileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QtUserInterface::QtUserInterface(SelectionDialog& dialog, ModalRunner& runner) : dialog_(dialog), runner_(runner) {}

QtUserInterface::~QtUserInterface() {
    if (busyShown_) QApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kApplicationName), FromHostText(text), QMessageBox::Ok, &dialog_);
    // Texts are shown as written, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    runner_.RunMessageBox(box);
}

bool QtUserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kApplicationName), FromHostText(text),
                    QMessageBox::Yes | QMessageBox::No, &dialog_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return runner_.RunMessageBox(box) == QMessageBox::Yes;
}

void QtUserInterface::ShowBusyCursor(bool busy) {
    if (busy == busyShown_) return;
    busyShown_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::optional<std::string> QtUserInterface::PromptForMarker(const std::string& /*suggestedFolder*/) {
    QFileDialog chooser(&dialog_, QString::fromLatin1(kChooserTitle));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilter(QString::fromLatin1(kChooserFilter));
    chooser.setDefaultSuffix(QStringLiteral("ind"));
    chooser.selectFile(QString::fromLatin1(kChooserInitialFile));
    const std::optional<QString> chosen = runner_.RunFileDialog(chooser);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return HostFileName(*chosen);
}

std::string QtUserInterface::ControlText(int controlId) {
    const QAbstractButton* control = dialog_.Control(controlId);
    if (control == nullptr) return {};
    // Some desktops add keyboard accelerators to button texts; the label
    // the data files are named after has none.
    QString text = control->text();
    text.remove(QLatin1Char('&'));
    return text.toLocal8Bit().toStdString();
}

void QtUserInterface::DisableControl(int controlId) {
    if (QAbstractButton* control = dialog_.Control(controlId)) control->setEnabled(false);
}

bool QtUserInterface::IsChecked(int controlId) {
    const QAbstractButton* control = dialog_.Control(controlId);
    // A disabled choice never counts, even if it was checked before.
    return control != nullptr && control->isEnabled() && control->isChecked();
}

void QtUserInterface::EndDialog(DialogResult result) {
    ended_ = true;
    dialog_.done(result == DialogResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace tamsiro::qt
