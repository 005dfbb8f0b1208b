// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures: each file is what its format promises, decodes at its size, sits
// where the layout puts it, and lets the background show through where it is clear.

#include "screens/builder.h"
#include "screens/catalogue.h"
#include "screens/controls.h"
#include "screens/pictures.h"
#include "support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QResource>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <optional>

using namespace qirtaz::screens;
using namespace qirtaz::testing;

namespace {

QByteArray bytesOf(const Picture& picture) {
    QFile file(resourcePath(picture));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 le16(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}
quint32 le32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}
quint16 be16(const QByteArray& data, qsizetype at) {
    return qFromBigEndian<quint16>(data.constData() + at);
}
quint8 byteAt(const QByteArray& data, qsizetype at) {
    return quint8(data.at(at));
}

// What the checks below read out of a file; an empty reason means it is sound.
struct Findings {
    QString fault;
    QSize size;
    int colours = 0;
};

Findings fault(const QString& why) {
    return {why, {}, 0};
}

// GIF89a, a global palette, exactly one image, a graphic control extension with a
// transparent entry, and no looping extension: one still frame.
Findings readGif(const QByteArray& data) {
    if (!data.startsWith("GIF89a") || data.size() < 13)
        return fault(QStringLiteral("not GIF89a"));
    const quint8 flags = byteAt(data, 10);
    if (!(flags & 0x80))
        return fault(QStringLiteral("no global palette"));
    Findings found{{}, QSize(le16(data, 6), le16(data, 8)), 2 << (flags & 7)};
    qsizetype at = 13 + 3 * found.colours;
    int images = 0;
    bool transparent = false;
    while (at < data.size()) {
        const quint8 block = byteAt(data, at);
        if (block == 0x3B)
            break;
        auto skipSubBlocks = [&] {
            while (at < data.size() && byteAt(data, at) != 0)
                at += byteAt(data, at) + 1;
            ++at;
        };
        if (block == 0x21) {
            const quint8 label = byteAt(data, at + 1);
            if (label == 0xF9)
                transparent = transparent || (byteAt(data, at + 3) & 1);
            if (label == 0xFF)
                return fault(QStringLiteral("an application extension (animation)"));
            at += 2;
            skipSubBlocks();
        } else if (block == 0x2C) {
            ++images;
            const quint8 imageFlags = byteAt(data, at + 9);
            at += 10 + ((imageFlags & 0x80) ? 3 * (2 << (imageFlags & 7)) : 0) + 1;
            skipSubBlocks();
        } else {
            return fault(QStringLiteral("unknown block %1").arg(block));
        }
    }
    if (at >= data.size())
        return fault(QStringLiteral("no trailer"));
    if (images != 1)
        return fault(QStringLiteral("%1 frames").arg(images));
    if (!transparent)
        return fault(QStringLiteral("no transparent palette entry"));
    return found;
}

// Baseline JFIF, 8 bits a sample, three components, an aspect ratio but no resolution.
Findings readJpeg(const QByteArray& data) {
    if (!data.startsWith("\xFF\xD8"))
        return fault(QStringLiteral("not JPEG"));
    std::optional<Findings> frame;
    bool jfif = false;
    qsizetype at = 2;
    while (at + 4 <= data.size() && byteAt(data, at) == 0xFF) {
        const quint8 marker = byteAt(data, at + 1);
        const quint16 length = be16(data, at + 2);
        if (marker == 0xE0 && data.mid(at + 4, 5) == QByteArray("JFIF", 5)) {
            jfif = true;
            if (byteAt(data, at + 11) != 0)
                return fault(QStringLiteral("a stored resolution"));
        }
        if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return fault(QStringLiteral("not baseline (marker %1)").arg(marker, 0, 16));
        if (marker == 0xC0) {
            if (byteAt(data, at + 4) != 8)
                return fault(QStringLiteral("not 8 bits a sample"));
            if (byteAt(data, at + 9) != 3)
                return fault(QStringLiteral("not three components"));
            frame = Findings{{}, QSize(be16(data, at + 7), be16(data, at + 5)), 0};
        }
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    if (!jfif)
        return fault(QStringLiteral("no JFIF header"));
    if (!frame)
        return fault(QStringLiteral("no baseline frame"));
    return *frame;
}

// Two images, 32 x 32 and then 16 x 16, each 16 colours with a mask.
Findings readIcon(const QByteArray& data) {
    if (data.size() < 6 + 2 * 16 || le16(data, 0) != 0 || le16(data, 2) != 1)
        return fault(QStringLiteral("not an icon"));
    if (le16(data, 4) != 2)
        return fault(QStringLiteral("%1 images").arg(le16(data, 4)));
    for (int i = 0; i < 2; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = i == 0 ? 32 : 16;
        if (byteAt(data, entry) != side || byteAt(data, entry + 1) != side)
            return fault(QStringLiteral("image %1 is not %2 x %2").arg(i).arg(side));
        const quint32 offset = le32(data, entry + 12);
        const quint32 length = le32(data, entry + 8);
        if (offset + length > quint32(data.size()))
            return fault(QStringLiteral("image %1 runs past the end").arg(i));
        // The bitmap's height counts the colour rows and the mask rows.
        if (le32(data, offset) != 40 || int(le32(data, offset + 4)) != side ||
            int(le32(data, offset + 8)) != 2 * side)
            return fault(QStringLiteral("image %1 has no colour bits and mask").arg(i));
        if (le16(data, offset + 14) != 4)
            return fault(QStringLiteral("image %1 is not 16 colours").arg(i));
        const int colourRow = (side * 4 + 31) / 32 * 4;
        const int maskRow = (side + 31) / 32 * 4;
        if (length != 40 + 16 * 4 + quint32(side * (colourRow + maskRow)))
            return fault(QStringLiteral("image %1 is not 16 colours and a mask").arg(i));
    }
    return {{}, QSize(32, 32), 16};
}

QImage decoded(QStringView name) {
    return picture(name).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT
private slots:
    void aBackgroundIsCopiedWithoutHelperThreads();
    void everyPictureIsItsFileDecoded();
    void everyFileIsItsFormat_data();
    void everyFileIsItsFormat();
    void theFolderHoldsExactlyThePictures();
    void everyPictureTheScreensNameExistsAtItsSize();
    void picturesShowTheBackgroundThroughTheirClearPixels_data();
    void picturesShowTheBackgroundThroughTheirClearPixels();
    void backgroundsAreDrawnUnscaledAndCut_data();
    void backgroundsAreDrawnUnscaledAndCut();
    void everyScreenCarriesTheWindowIcon();
    void anUnknownPictureIsRefused();
};

// Cut into many rectangles by the controls over it, a client area draws its
// background one rectangle at a time, its lines copied: under a clip of many,
// Qt blends a tall picture in helper threads it starts for the purpose. First
// of the tests, before any paint has started those helpers.
void PicturesTest::aBackgroundIsCopiedWithoutHelperThreads() {
    const auto window = buildWindow(allScreens().front());
    QImage shown(window->client()->size(), QImage::Format_RGB32);
    QRegion cut;
    for (int x = 0; x < shown.width(); x += 40)
        cut += QRect(x, 0, 20, shown.height());
    const auto threads = [] { return QDir(QStringLiteral("/proc/self/task")).count(); };
    const auto before = threads();
    window->client()->render(&shown, {}, cut, QWidget::DrawWindowBackground);
    QCOMPARE(threads(), before);
}

// What the program holds of each picture is its file's pixels, as Qt's reader
// decodes them.
void PicturesTest::everyPictureIsItsFileDecoded() {
    for (const Picture& entry : allPictures()) {
        QImageReader reader(resourcePath(entry));
        QImage own = reader.read();
        while (own.size() != entry.size && reader.jumpToNextImage())
            own = reader.read();
        QCOMPARE(decoded(QString::fromLatin1(entry.name)),
                 own.convertToFormat(QImage::Format_ARGB32));
        // ... which the pixmap reads where the program holds them, copying none.
        const QResource held(QStringLiteral(":/pixels/") + QLatin1StringView(entry.name) +
                             QStringLiteral(".pixels"));
        const uchar* bits = picture(QString::fromLatin1(entry.name)).toImage().constBits();
        QVERIFY2(bits > held.data() && bits < held.data() + held.size(), entry.name);
    }
}

void PicturesTest::everyFileIsItsFormat_data() {
    QTest::addColumn<QString>("name");
    for (const Picture& picture : allPictures())
        QTest::newRow(picture.name) << QString::fromLatin1(picture.name);
}

void PicturesTest::everyFileIsItsFormat() {
    QFETCH(QString, name);
    const Picture& entry = *findPicture(name);
    const QByteArray data = bytesOf(entry);
    QVERIFY2(!data.isEmpty(), "not among the program's resources");

    Findings found;
    switch (entry.format) {
    case PictureFormat::Gif:
        found = readGif(data);
        break;
    case PictureFormat::Jpeg:
        found = readJpeg(data);
        break;
    case PictureFormat::Icon:
        found = readIcon(data);
        break;
    }
    QVERIFY2(found.fault.isEmpty(), qPrintable(found.fault));
    QCOMPARE(found.size, entry.size);
    QCOMPARE(found.colours, entry.colours);

    // And what the screens are given is exactly that size, never scaled.
    QCOMPARE(picture(name).size(), entry.size);
}

// The folder the build embeds from, and the program's own resources, hold the
// pictures and nothing else.
void PicturesTest::theFolderHoldsExactlyThePictures() {
    QStringList expected;
    for (const Picture& picture : allPictures())
        expected << QFileInfo(resourcePath(picture)).fileName();
    expected.sort();
    QCOMPARE(expected.size(), 24);

    const QStringList pictureFiles = {QStringLiteral("*.gif"),  QStringLiteral("*.jpg"),
                                      QStringLiteral("*.jpeg"), QStringLiteral("*.ico"),
                                      QStringLiteral("*.png"),  QStringLiteral("*.bmp")};
    QCOMPARE(QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/" QIRTAZ_PICTURES_DIR))
                 .entryList(pictureFiles, QDir::Files, QDir::Name),
             expected);
    QCOMPARE(QDir(QStringLiteral(":/pictures")).entryList(QDir::Files, QDir::Name), expected);
}

// Every picture the layouts name exists, and every picture control is exactly its
// picture's size, plus two pixels a side where it has a sunken border.
void PicturesTest::everyPictureTheScreensNameExistsAtItsSize() {
    int uses = 0;
    QSet<QString> used;
    for (const Screen& screen : allScreens()) {
        ++uses; // the window icon
        used << QStringLiteral("window");
        if (*screen.background) {
            QVERIFY2(findPicture(QString::fromLatin1(screen.background)), screen.background);
            used << QString::fromLatin1(screen.background);
            ++uses;
        }
        for (const Control& row : screen.controls) {
            if (!*row.picture)
                continue;
            const Picture* picture = findPicture(QString::fromLatin1(row.picture));
            QVERIFY2(picture, row.picture);
            const int border = (row.look & Sunken) ? 2 : 0;
            QCOMPARE(row.rect.toPixels().size(), picture->size + QSize(2 * border, 2 * border));
            used << QString::fromLatin1(row.picture);
            ++uses;
        }
    }
    QCOMPARE(uses, 85);
    QCOMPARE(used.size(), 24);
}

void PicturesTest::picturesShowTheBackgroundThroughTheirClearPixels_data() {
    addPictureControlRows();
}

// What the window shows over each picture control: the picture's own pixels where
// it is opaque, the screen's background picture where it is clear. A grey box
// around a face, or a picture drawn scaled or off its place, fails here.
void PicturesTest::picturesShowTheBackgroundThroughTheirClearPixels() {
    QFETCH(QString, screen);
    QFETCH(QString, control);
    const Screen& entry = *findScreen(screen);
    const Control& row = *findControl(entry, control);
    const auto window = buildWindow(entry);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage shown = window->client()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage art = decoded(QString::fromLatin1(row.picture));
    const QImage background = decoded(QString::fromLatin1(entry.background));
    const QPoint origin = pictureOrigin(row);
    const QRect client(QPoint(), entry.client.toPixels().size());
    // What lies in front of the picture hides it: what it hides is its own.
    const QRegion hidden = inFrontOf(entry, row);

    int clear = 0;
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            const QPoint at = origin + QPoint(x, y);
            if (!client.contains(at) || hidden.contains(at))
                continue; // cut off at the client edge, or behind another control
            const QRgb own = art.pixel(x, y);
            const QRgb expected = qAlpha(own) == 255 ? own : background.pixel(at);
            if (qAlpha(own) == 0)
                ++clear;
            QVERIFY2(qAlpha(own) == 0 || qAlpha(own) == 255, "a half-clear pixel");
            if (shown.pixel(at) != expected)
                QFAIL(qPrintable(QStringLiteral("at %1,%2 of the picture: shown %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(shown.pixel(at), 8, 16)
                                     .arg(expected, 8, 16)));
        }
    }
    // Faces, toolbar pictures and the bin are shapes, not boxes.
    const Picture& picture = *findPicture(QString::fromLatin1(row.picture));
    if (picture.format != PictureFormat::Jpeg)
        QVERIFY2(clear > 0, "no clear pixel: the picture is a box");
}

void PicturesTest::backgroundsAreDrawnUnscaledAndCut_data() {
    QTest::addColumn<QString>("screen");
    for (const Screen& screen : allScreens())
        QTest::newRow(screen.name) << QString::fromLatin1(screen.name);
}

// Where no control lies, the client area shows the background picture pixel for
// pixel from its top-left corner; the part beyond the client edge is simply cut.
void PicturesTest::backgroundsAreDrawnUnscaledAndCut() {
    QFETCH(QString, screen);
    const Screen& entry = *findScreen(screen);
    const auto window = buildWindow(entry);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage shown = window->client()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage background = decoded(QString::fromLatin1(entry.background));
    const QSize client = entry.client.toPixels().size();
    QCOMPARE(shown.size(), client);
    QVERIFY(background.width() >= client.width() && background.height() >= client.height());

    QRegion uncovered(QRect(QPoint(), client));
    for (const Control& row : entry.controls)
        uncovered -= row.rect.toPixels();
    int compared = 0;
    for (const QRect& part : uncovered)
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x, ++compared)
                if (shown.pixel(x, y) != background.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
    QVERIFY(compared > 0);
}

void PicturesTest::everyScreenCarriesTheWindowIcon() {
    const QImage large = decoded(u"window");
    QHash<int, qint64> made; // each size, decoded or drawn once whichever window asks
    for (const Screen& screen : allScreens()) {
        const auto window = buildWindow(screen);
        const QIcon icon = window->windowIcon();
        QVERIFY2(icon.availableSizes().contains(QSize(32, 32)), screen.name);
        QVERIFY2(icon.availableSizes().contains(QSize(16, 16)), screen.name);
        QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
                 large);
        for (const QSize& size : icon.availableSizes()) {
            const qint64 key = icon.pixmap(size).cacheKey();
            QCOMPARE(made.value(size.width(), key), key);
            made.insert(size.width(), key);
        }
    }
    QCOMPARE(made.size(), 5);
}

void PicturesTest::anUnknownPictureIsRefused() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, picture(u"Qirtaz"));
    QVERIFY(!findPicture(u"window.ico"));
}

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
