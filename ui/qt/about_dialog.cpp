#include "ui/qt/about_dialog.h"

#include "ui/qt/app_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamsiro::qt {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kAboutCaption));
    setWindowIcon(ApplicationIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("aboutIcon"));
    // 32 logical pixels; the pixmap follows the screen's pixel ratio.
    icon_->setPixmap(ApplicationIcon().pixmap(32, 32, QIcon::Normal));
    icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(icon_, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QString::fromLatin1(kAboutVersion), this));
    for (const char* credit : kAboutCredits) texts->addWidget(new QLabel(QString::fromLatin1(credit), this));
    texts->addStretch();
    layout->addLayout(texts, 1);
    layout->addSpacing(12);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addStretch();
    layout->addLayout(buttons);
}

}  // namespace tamsiro::qt
