// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon for the desktop's icon theme, one PNG per size:
//   theme_icons folder 16 32 48 128      -> folder/16.png ...
// Each is what the program's own windows carry at that size: the window icon's
// two images at 16 and 32 pixels, its drawing at every other size. Run by the
// build, offscreen; the scalable icon is the drawing itself.

#include "screens/pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fputs("usage: theme_icons folder size...\n", stderr);
        return 2;
    }
    QDir folder(args.front());
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QIcon icon = qirtaz::screens::windowIcon();
    for (const QString& size : args.mid(1)) {
        const int side = size.toInt();
        const QPixmap pixmap = icon.pixmap(QSize(side, side), 1.0);
        const QString path = folder.filePath(size + QStringLiteral(".png"));
        if (side <= 0 || pixmap.size() != QSize(side, side) || !pixmap.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
