// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes the screens' pictures at build time, so that the program starts with
// their pixels and decodes no JPEG or GIF while its first window is painted:
//   decode_pictures folder picture.jpg ...   -> folder/picture.pixels ...
// Each holds the file's largest image (an icon's larger one) exactly as Qt's
// reader gives it: its format, its palette and its lines (screens/pictures.cpp
// reads them back; the tests compare every one with its file).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fputs("usage: decode_pictures folder picture...\n", stderr);
        return 2;
    }
    const QDir folder(args.front());
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    for (const QString& path : args.mid(1)) {
        QImageReader reader(path);
        QImage largest;
        do {
            const QImage image = reader.read();
            if (image.isNull())
                break;
            if (image.width() * image.height() > largest.width() * largest.height())
                largest = image;
        } while (reader.jumpToNextImage());
        if (largest.isNull()) {
            std::fprintf(stderr, "%s does not decode: %s\n", qPrintable(path),
                         qPrintable(reader.errorString()));
            return 1;
        }
        QFile out(folder.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".pixels")));
        const QList<QRgb> palette = largest.colorTable();
        const qint32 head[] = {largest.width(), largest.height(), qint32(largest.format()),
                               qint32(largest.bytesPerLine()), qint32(palette.size())};
        if (!out.open(QIODevice::WriteOnly) || out.write("QZPX", 4) != 4 ||
            out.write(reinterpret_cast<const char*>(head), sizeof head) != qint64(sizeof head) ||
            out.write(reinterpret_cast<const char*>(palette.constData()),
                      palette.size() * qint64(sizeof(QRgb))) !=
                palette.size() * qint64(sizeof(QRgb)) ||
            out.write(reinterpret_cast<const char*>(largest.constBits()), largest.sizeInBytes()) !=
                largest.sizeInBytes()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    return 0;
}
