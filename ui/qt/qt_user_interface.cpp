#include "ui/qt/qt_user_interface.h"

#include "ui/qt/modal_runner.h"
#include "ui/qt/selection_dialog.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>

namespace tamsiro::qt {

namespace {

// Steps shorter than this finish without a progress window flashing up.
constexpr auto kProgressDelay = std::chrono::milliseconds(500);
constexpr int kProgressBarSteps = 1000;

// The stick is half written while a step runs: the window cannot be
// cancelled, closed or escaped, only ended by the step itself.
class StepProgressDialog : public QProgressDialog {
public:
    explicit StepProgressDialog(QWidget* owner) : QProgressDialog(owner) {
        setWindowTitle(QStringLiteral(TAMSIRO_APPLICATION_NAME));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setModal(true);
        setCancelButton(nullptr);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
    }

    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

QString FromHostText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string HostFileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QtUserInterface::QtUserInterface(SelectionDialog& dialog, ModalRunner& runner) : dialog_(dialog), runner_(runner) {}

QtUserInterface::~QtUserInterface() {
    if (busyShown_) QApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowMessage(const std::string& text) {
    // A box never opens under a progress window, whatever the core forgot.
    EndProgress();
    ShowWarning(runner_, dialog_, FromHostText(text));
}

bool QtUserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    EndProgress();
    QMessageBox box(QMessageBox::Warning, QStringLiteral(TAMSIRO_APPLICATION_NAME), FromHostText(text),
                    QMessageBox::Yes | QMessageBox::No, &dialog_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    const bool yes = runner_.RunMessageBox(box) == QMessageBox::Yes;
    box.hide();
    // Long work often follows a Yes on this, the only thread: what lay
    // under the box is painted again first, not after that work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (dialog_.isVisible()) dialog_.repaint();
    return yes;
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

std::optional<std::string> QtUserInterface::PromptForMarker(const std::string& suggestedFolder) {
    EndProgress();
    QFileDialog chooser(&dialog_, QStringLiteral(TAMSIRO_CHOOSER_TITLE));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilter(QStringLiteral(TAMSIRO_CHOOSER_FILTER_NAME));
    chooser.setDefaultSuffix(QStringLiteral(TAMSIRO_CHOOSER_EXTENSION));
    // A stick found by itself: the user only has to press Open.
    if (!suggestedFolder.empty()) chooser.setDirectory(QFile::decodeName(suggestedFolder.c_str()));
    chooser.selectFile(QStringLiteral(TAMSIRO_CHOOSER_FILE));
    const std::optional<QString> chosen = runner_.RunFileDialog(chooser);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    return HostFileName(*chosen);
}

void QtUserInterface::EndDialog(DialogResult result) {
    EndProgress();
    ended_ = true;
    dialog_.done(result == DialogResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void QtUserInterface::ShowProgress(const ProgressReport& progress) {
    const auto now = clock_();
    if (!stepStarted_) stepStarted_ = now;
    if (!progress_) {
        if (now - *stepStarted_ < kProgressDelay) return;
        progress_ = std::make_unique<StepProgressDialog>(&dialog_);
        progress_->setRange(0, kProgressBarSteps);
    }
    progress_->setLabelText(FromHostText(progress.step));
    if (progress.total == 0) {
        progress_->setRange(0, 0);  // an unknown length: a moving bar
    } else {
        const double share = std::min(1.0, static_cast<double>(progress.done) / static_cast<double>(progress.total));
        progress_->setRange(0, kProgressBarSteps);
        progress_->setValue(static_cast<int>(share * kProgressBarSteps));
    }
    if (!progress_->isVisible()) progress_->show();
    // The core holds the only thread: let the window paint between reports,
    // leaving clicks and keys for when the step is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUserInterface::EndProgress() {
    stepStarted_.reset();
    progress_.reset();
}

}  // namespace tamsiro::qt
