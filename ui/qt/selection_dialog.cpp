#include "ui/qt/selection_dialog.h"

#include "ui/qt/about_dialog.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/modal_runner.h"
#include "ui/sound_catalogue.h"

#include <QAction>
#include <QButtonGroup>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <algorithm>

namespace tamsiro::qt {

namespace {

// Windows dialog units: a quarter of the average character width, an
// eighth of the line height.
int DialogUnitsX(const QFontMetrics& metrics, int units) { return (units * metrics.averageCharWidth() + 2) / 4; }
int DialogUnitsY(const QFontMetrics& metrics, int units) { return (units * metrics.height() + 4) / 8; }

}  // namespace

SelectionDialog::SelectionDialog(ModalRunner& runner, QWidget* parent) : QDialog(parent), runner_(runner) {
    setWindowTitle(QString::fromLatin1(kDialogCaption));
    setWindowIcon(ApplicationIcon());
    // A fixed frame like a dialog box: no help button, no resizing.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* version = new QLabel(QString::fromLatin1(kVersionText), this);
    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(version);
    layout->addLayout(top);

    // The groups keep the width and row pitch of the Windows dialog, in
    // units of this font, with the same free strip on their right.
    const QFontMetrics metrics = fontMetrics();
    auto* middle = new QHBoxLayout;
    auto* column = new QVBoxLayout;
    middle->addLayout(column);
    auto* strip = new QSpacerItem(DialogUnitsX(metrics, 38), 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    middle->addSpacerItem(strip);
    layout->addLayout(middle);

    for (const SoundCategory& category : kCategoriesInDialogOrder) {
        auto* box = new QGroupBox(QString::fromLatin1(category.caption), this);
        box->setMinimumWidth(DialogUnitsX(metrics, 152));
        auto* rows = new QVBoxLayout(box);
        // Each group is exclusive on its own; an exclusive group may still
        // start with nothing checked.
        auto* group = new QButtonGroup(box);
        group->setExclusive(true);
        for (int row = 0; row < kRowsPerCategory; ++row) {
            const int id = category.firstId + row;
            auto* button = new QRadioButton(QString::fromLatin1(kRowLabels[static_cast<std::size_t>(row)]), box);
            button->setObjectName(QStringLiteral("choice%1").arg(id));
            group->addButton(button, id);
            rows->addWidget(button);
            controls_[id] = button;
        }
        const int rowHeight = controls_[category.firstId]->sizeHint().height();
        rows->setSpacing(std::max(0, DialogUnitsY(metrics, 12) - rowHeight));
        column->addWidget(box);
    }

    // Wide enough for the caption beside a title bar's icon and buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    const int captionWidth = QFontMetrics(captionFont).horizontalAdvance(windowTitle()) + DialogUnitsX(metrics, 64);
    const int shortfall = captionWidth - layout->sizeHint().width();
    if (shortfall > 0) {
        strip->changeSize(strip->sizeHint().width() + shortfall, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        middle->invalidate();
    }

    save_ = new QPushButton(QStringLiteral("Save"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    // Neither button is the default: Enter presses the focused button only
    // (see keyPressEvent), as a dialog box without a default button does.
    for (QPushButton* button : {save_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    controls_[kSaveId] = save_;
    controls_[kCancelId] = cancel_;
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(save_);
    bottom->addWidget(cancel_);
    layout->addLayout(bottom);

    connect(save_, &QPushButton::clicked, this, [this] {
        if (onSave_) onSave_();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Where Windows puts the About entry on the system menu, Qt users look
    // in the window's context menu.
    about_ = new QAction(QString::fromLatin1(kAboutEntry), this);
    about_->setMenuRole(QAction::AboutRole);
    connect(about_, &QAction::triggered, this, &SelectionDialog::ShowAbout);
    addAction(about_);
    restore_ = new QAction(QString::fromLatin1(kRestoreEntry), this);
    connect(restore_, &QAction::triggered, this, [this] {
        if (onRestore_) onRestore_();
    });
    addAction(restore_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    save_->setFocus();
}

QAbstractButton* SelectionDialog::Control(int controlId) const {
    const auto found = controls_.find(controlId);
    return found == controls_.end() ? nullptr : found->second;
}

void SelectionDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        // Enter on a choice does nothing: closing without installing is
        // left to Cancel, Escape and the close box.
        return;
    }
    QDialog::keyPressEvent(event);
}

void SelectionDialog::ShowAbout() {
    AboutDialog about(this);
    runner_.RunAboutBox(about);
}

}  // namespace tamsiro::qt
