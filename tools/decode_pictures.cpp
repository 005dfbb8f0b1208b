// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes the screens' pictures at build time, so that the program starts with
// their pixels and decodes no JPEG or GIF while its first window is painted:
//   decode_pictures folder picture.jpg ...   -> folder/picture.pixels ...
// Each holds the file's largest image (an icon's larger one) as Qt's reader
// gives it, in the format Qt keeps a pixmap of it in on an ordinary display:
// its format, its palette and its lines (screens/pictures.cpp reads them back
// where they lie, with no copy; the tests compare every one with its file).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstdio>

namespace {

// What Qt's raster pixmap makes of an image on a display of 24 or 32 bits:
// opaque pixels as RGB32, any that show through premultiplied.
QImage asPixmapKeepsIt(const QImage& image) {
    if (image.depth() == 1)
        return image;
    bool opaque = true;
    if (image.hasAlphaChannel()) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; opaque && y < argb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            opaque = std::all_of(line, line + argb.width(),
                                 [](QRgb pixel) { return qAlpha(pixel) == 255; });
        }
    }
    return image.convertToFormat(opaque ? QImage::Format_RGB32
                                        : QImage::Format_ARGB32_Premultiplied);
}

} // namespace

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
        largest = asPixmapKeepsIt(largest);
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
