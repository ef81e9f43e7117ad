#include "tests/qt/scripted_runner.h"

#include "ui/qt/about_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

namespace tamsiro::test {

QStringList ScriptedRunner::Messages() const {
    QStringList out;
    for (const QString& line : transcript) {
        if (line != QLatin1String("prompt")) out << line;
    }
    return out;
}

QMessageBox::StandardButton ScriptedRunner::RunMessageBox(QMessageBox& box) {
    dialogVisibleAtBox.push_back(dialog != nullptr && dialog->isVisible());
    busyAtBox.push_back(QApplication::overrideCursor() != nullptr &&
                        QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    const QWidgetList windows = QApplication::topLevelWidgets();
    progressAtBox.push_back(std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && qobject_cast<const QProgressDialog*>(window) != nullptr;
    }));
    if (box.windowTitle() != QLatin1String("Tamsiro")) problems << QStringLiteral("caption ") + box.windowTitle();
    if (box.textFormat() != Qt::PlainText) problems << QStringLiteral("text may be read as markup: ") + box.text();
    if (!box.parentWidget()) problems << QStringLiteral("box without owner: ") + box.text();
    const auto buttons = box.standardButtons();
    if (buttons == (QMessageBox::Open | QMessageBox::Ok | QMessageBox::Cancel)) {
        transcript << QStringLiteral("welcome: ") + box.text();
        if (box.icon() != QMessageBox::Information) problems << QStringLiteral("welcome without information icon");
        if (box.button(QMessageBox::Open)->text() != QLatin1String("Open folder"))
            problems << QStringLiteral("no Open folder");
        if (box.escapeButton() != box.button(QMessageBox::Cancel)) problems << QStringLiteral("Escape is not Cancel");
        if (welcomeAnswers.empty()) return QMessageBox::Cancel;
        const auto answer = welcomeAnswers.front();
        welcomeAnswers.pop_front();
        return answer;
    }
    if (box.icon() != QMessageBox::Warning) problems << QStringLiteral("no warning icon: ") + box.text();

    if (buttons == QMessageBox::Ok) {
        transcript << QStringLiteral("message: ") + box.text();
        return QMessageBox::Ok;
    }
    if (buttons == (QMessageBox::Yes | QMessageBox::No)) {
        const QPushButton* defaultButton = box.defaultButton();
        QString kind = QStringLiteral("ask(?)");
        if (defaultButton == box.button(QMessageBox::Yes)) kind = QStringLiteral("ask(yes)");
        if (defaultButton == box.button(QMessageBox::No)) kind = QStringLiteral("ask(no)");
        transcript << kind + QStringLiteral(": ") + box.text();
        if (answers.empty()) return QMessageBox::No;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    problems << QStringLiteral("unexpected buttons for: ") + box.text();
    return QMessageBox::NoButton;
}

std::optional<QString> ScriptedRunner::RunFileDialog(QFileDialog& chooser) {
    transcript << QStringLiteral("prompt");
    chooserTitle = chooser.windowTitle();
    chooserFilters = chooser.nameFilters();
    chooserMode = chooser.fileMode();
    chooserFolder = chooser.directory().absolutePath();
    const auto* note = chooser.findChild<QLabel*>(QStringLiteral("chooserNote"));
    chooserNotes << (note != nullptr ? note->text() : QString());
    // The name the chooser offers before the user types anything.
    if (const auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        chooserInitialFile = name->text();
    if (markers.empty()) return std::nullopt;
    auto answer = markers.front();
    markers.pop_front();
    return answer;
}

void ScriptedRunner::RunAboutBox(QDialog& about) {
    aboutTexts << about.windowTitle();
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            aboutHadIcon = true;
        } else {
            aboutTexts << label->text();
        }
    }
    for (const QPushButton* button : about.findChildren<QPushButton*>()) {
        if (button->text() == QLatin1String("OK")) aboutOkIsDefault = button->isDefault();
    }
}

bool ScriptedRunner::OpenDocument(const QUrl& url) {
    openedDocuments << url;
    if (whenDocumentOpened) whenDocumentOpened();
    return desktopOpensDocuments;
}

}  // namespace tamsiro::test
