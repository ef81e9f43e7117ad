// Renders the application icon as the PNGs of a desktop icon theme:
//   tamsiro_icon_pngs <theme folder> <icon name>
// writes <theme folder>/<N>x<N>/apps/<icon name>.png for every offered size.
// The Linux package installs them under share/icons/hicolor.

#include "ui/qt/app_icon.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <theme folder> <icon name>\n", argv[0]);
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (int size : tamsiro::qt::kIconSizes) {
        const QString folder = theme.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = QDir(folder).filePath(QString::fromLocal8Bit(argv[2]) + QStringLiteral(".png"));
        if (!QDir().mkpath(folder) || !tamsiro::qt::ApplicationIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
