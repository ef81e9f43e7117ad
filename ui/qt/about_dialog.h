#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tamsiro::qt {

inline constexpr const char* kAboutCaption = "About Dravik";
inline constexpr const char* kAboutVersion = "Tamsiro V.02";
inline constexpr const char* kAboutCredits[] = {
    "Custom sound sets for AiboMind 3 sticks",
    "Made by the Tamsiro developers",
};

class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* IconLabel() const { return icon_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QLabel* icon_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tamsiro::qt
