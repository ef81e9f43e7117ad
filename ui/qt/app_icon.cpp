#include "ui/qt/app_icon.h"

#include <QColor>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>

namespace tamsiro::qt {

namespace {

// Drawn on a 32 x 32 grid and scaled; below 24 pixels the strokes are
// thicker and one wave is left out so the small icon does not blur.
void PaintIcon(QPainter& painter, int size) {
    const bool small = size < 24;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The stick: a rounded body with its gold contacts along the top.
    QLinearGradient body(0, 0, 0, 32);
    body.setColorAt(0.0, QColor(0x2b, 0x7f, 0xc4));
    body.setColorAt(1.0, QColor(0x12, 0x45, 0x7a));
    painter.setPen(QPen(QColor(0x0a, 0x2c, 0x50), small ? 1.6 : 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 5, 5);
    if (!small) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xf2, 0xc1, 0x3d));
        for (int i = 0; i < 5; ++i) painter.drawRect(QRectF(7 + i * 4, 3.5, 2, 3));
    }

    // The loudspeaker.
    QPainterPath speaker;
    speaker.moveTo(5, 13);
    speaker.lineTo(9, 13);
    speaker.lineTo(15, 8);
    speaker.lineTo(15, 26);
    speaker.lineTo(9, 21);
    speaker.lineTo(5, 21);
    speaker.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(speaker);

    // The waves.
    QPen wave(Qt::white, small ? 3.0 : 2.2, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(wave);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(11, 11, 10, 12), -50 * 16, 100 * 16);
    if (!small) painter.drawArc(QRectF(10, 6.5, 17, 21), -50 * 16, 100 * 16);
}

// Paints the icon afresh for every size asked for, instead of scaling one
// of a few stored images (blurred at 125 % or 150 %).
class PaintedIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int size = std::min(rect.width(), rect.height());
        painter->save();
        painter->translate(rect.x() + (rect.width() - size) / 2, rect.y() + (rect.height() - size) / 2);
        PaintIcon(*painter, size);
        painter->restore();
    }

    // `size` is in device pixels: QIcon has already applied the ratio.
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(ApplicationIconImage(std::min(size.width(), size.height())));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kIconSizes) sizes << QSize(size, size);
        return sizes;
    }

    QIconEngine* clone() const override { return new PaintedIconEngine; }
    QString key() const override { return QStringLiteral("tamsiro-painted"); }
};

}  // namespace

QImage ApplicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintIcon(painter, size);
    return image;
}

QIcon ApplicationIcon() { return QIcon(new PaintedIconEngine); }

}  // namespace tamsiro::qt
