// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures on a display of more pixels per inch. CTest runs this suite at
// scale factors 1, 1.5 and 2 (QT_SCALE_FACTOR): at 1 every picture shows its
// file pixel for pixel; above it every picture is its drawing at the display's
// own pixels, never the file blown up.

#include "screens/builder.h"
#include "screens/catalogue.h"
#include "screens/pictures.h"
#include "support.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace qirtaz::screens;
using namespace qirtaz::testing;

namespace {

qreal ratio() {
    return qApp->devicePixelRatio();
}

QImage argb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage fileImage(const Picture& picture) {
    return argb(qirtaz::screens::picture(QString::fromLatin1(picture.name)));
}

// The whole client area as the display shows it, in device pixels.
QImage shownClient(const Screen& screen) {
    const auto window = buildWindow(screen);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return {};
    return argb(window->client()->grab());
}

// Whether any part of the device pixel at `at` lies on a logical pixel of `region`.
bool touches(const QRegion& region, QPoint at, qreal scale) {
    const QPoint first(int(std::floor(at.x() / scale)), int(std::floor(at.y() / scale)));
    const QPoint last(int(std::ceil((at.x() + 1) / scale)) - 1,
                      int(std::ceil((at.y() + 1) / scale)) - 1);
    return region.intersects(QRect(first, last));
}

// Where `drawn` (device pixels) shows in `shown` from a logical origin: a
// fractional device position may be rounded either way. Returns the number of
// opaque pixels compared, or -1 with `mismatch` set.
int compareAt(const QImage& shown, const QImage& drawn, QPoint logicalOrigin, QSizeF logicalSize,
              const QRegion& hidden, QString& mismatch) {
    const qreal scale = ratio();
    const QPointF exact = QPointF(logicalOrigin) * scale;
    // Only device pixels the picture covers whole; a last column or row it
    // covers in part is cut at the control's edge.
    const int width = int(std::floor(logicalSize.width() * scale + 1e-6));
    const int height = int(std::floor(logicalSize.height() * scale + 1e-6));
    QString firstFault;
    for (const QPoint origin : {QPoint(int(std::floor(exact.x())), int(std::floor(exact.y()))),
                                QPoint(int(std::ceil(exact.x())), int(std::ceil(exact.y())))}) {
        int compared = 0;
        QString fault;
        for (int y = 0; y < height && fault.isEmpty(); ++y) {
            for (int x = 0; x < width; ++x) {
                const QPoint at = origin + QPoint(x, y);
                const QRgb own = drawn.pixel(x, y);
                if (qAlpha(own) != 255 || !shown.rect().contains(at) || touches(hidden, at, scale))
                    continue;
                ++compared;
                if (shown.pixel(at) != own) {
                    fault = QStringLiteral("at %1,%2 of the drawing: shown %3, drawn %4")
                                .arg(x)
                                .arg(y)
                                .arg(shown.pixel(at), 8, 16)
                                .arg(own, 8, 16);
                    break;
                }
            }
        }
        if (fault.isEmpty())
            return compared;
        if (firstFault.isEmpty())
            firstFault = fault;
    }
    mismatch = firstFault;
    return -1;
}

// Mean difference per colour channel where both images are opaque.
double meanDifference(const QImage& a, const QImage& b) {
    double total = 0;
    int counted = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAlpha(p) < 255 || qAlpha(q) < 250)
                continue;
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
            ++counted;
        }
    return counted ? total / (3 * counted) : 255;
}

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyPictureIsDrawnForTheDisplay_data();
    void everyPictureIsDrawnForTheDisplay();
    void pictureControlsShowTheirDrawing_data();
    void pictureControlsShowTheirDrawing();
    void backgroundsShowTheirDrawing_data();
    void backgroundsShowTheirDrawing();
    void theWindowIconIsSharpAtEverySize_data();
    void theWindowIconIsSharpAtEverySize();
    void blurredShapesAreBlurred();
    void pixelArtStaircasesBecomeDiagonals();
};

void ScalingTest::initTestCase() {
    const QByteArray asked = qgetenv("QT_SCALE_FACTOR");
    if (!asked.isEmpty())
        QCOMPARE(ratio(), asked.toDouble());
    qInfo("device pixel ratio %g", ratio());
}

void ScalingTest::everyPictureIsDrawnForTheDisplay_data() {
    QTest::addColumn<QString>("name");
    for (const Picture& picture : allPictures())
        QTest::newRow(picture.name) << QString::fromLatin1(picture.name);
}

// The picture a display of this ratio is given: the file at 1; above it a picture
// of the display's own pixel size that is the drawing, not the file blown up,
// and that looks like the file when brought back down to its size.
void ScalingTest::everyPictureIsDrawnForTheDisplay() {
    QFETCH(QString, name);
    const Picture& entry = *findPicture(name);
    const QPixmap given = picture(name, ratio());
    QCOMPARE(given.devicePixelRatio(), ratio());
    const QSize pixels(int(std::ceil(entry.size.width() * ratio() - 1e-6)),
                       int(std::ceil(entry.size.height() * ratio() - 1e-6)));
    QCOMPARE(given.size(), pixels);

    const QImage file = fileImage(entry);
    const QImage drawn = argb(given);
    if (ratio() == 1) {
        QCOMPARE(drawn, file);
        return;
    }
    QImage expected =
        renderDrawing(drawingPath(entry), ratio(), entry.format == PictureFormat::Jpeg)
            .convertToFormat(QImage::Format_ARGB32);
    expected.setDevicePixelRatio(ratio());
    QCOMPARE(drawn, expected);

    // Not the file blown up: where the file's pixels would turn into blocks of
    // one colour, the drawing at this size has its own finer edges.
    const QImage blownUp = file.scaled(pixels, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int same = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            same += drawn.pixel(x, y) == blownUp.pixel(x, y);
    const int all = pixels.width() * pixels.height();
    QVERIFY2(same < all, "the file blown up");
    // The JPEG pictures are smooth drawings (lettering, gradients, curves) and
    // share little with their blown-up files; the others are pixel art, whose
    // flat areas and straight edges stay as they are, their staircases not.
    if (entry.format == PictureFormat::Jpeg)
        QVERIFY2(
            same < all / 2,
            qPrintable(QStringLiteral("%1 of %2 pixels as the file blown up").arg(same).arg(all)));

    const QImage broughtDown =
        drawn.copy(QRect(QPoint(), QSizeF(QSizeF(entry.size) * ratio()).toSize()))
            .scaled(entry.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double difference = meanDifference(file, broughtDown);
    QVERIFY2(difference < 24,
             qPrintable(QStringLiteral("differs from the file by %1 a channel").arg(difference)));
}

void ScalingTest::pictureControlsShowTheirDrawing_data() {
    addPictureControlRows();
}

// Over each picture control the window shows the picture for its ratio, at the
// control's place, where nothing lies in front of it.
void ScalingTest::pictureControlsShowTheirDrawing() {
    QFETCH(QString, screen);
    QFETCH(QString, control);
    const Screen& entry = *findScreen(screen);
    const Control& row = *findControl(entry, control);
    const QImage shown = shownClient(entry);
    QCOMPARE(shown.size(), (QSizeF(entry.client.toPixels().size()) * ratio()).toSize());

    const Picture& picture = *findPicture(QString::fromLatin1(row.picture));
    QString mismatch;
    const int compared =
        compareAt(shown, argb(qirtaz::screens::picture(QString::fromLatin1(row.picture), ratio())),
                  pictureOrigin(row), picture.size, inFrontOf(entry, row), mismatch);
    QVERIFY2(compared >= 0, qPrintable(mismatch));
    QVERIFY(compared > 0);
}

void ScalingTest::backgroundsShowTheirDrawing_data() {
    QTest::addColumn<QString>("screen");
    for (const Screen& screen : allScreens())
        QTest::newRow(screen.name) << QString::fromLatin1(screen.name);
}

// Where no control lies, the client area is the background's drawing for the
// ratio from its top-left corner, cut at the client edge.
void ScalingTest::backgroundsShowTheirDrawing() {
    QFETCH(QString, screen);
    const Screen& entry = *findScreen(screen);
    const QImage shown = shownClient(entry);
    QRegion controls;
    for (const Control& row : entry.controls)
        controls += row.rect.toPixels();
    const QString background = QString::fromLatin1(entry.background);
    QString mismatch;
    const int compared = compareAt(shown, argb(picture(background, ratio())), QPoint(),
                                   findPicture(background)->size, controls, mismatch);
    QVERIFY2(compared >= 0, qPrintable(mismatch));
    QVERIFY(compared > 1000);
}

void ScalingTest::theWindowIconIsSharpAtEverySize_data() {
    QTest::addColumn<int>("side");
    for (int side : {16, 24, 32, 48, 64})
        QTest::addRow("%d", side) << side;
}

// A frame or task bar asks for the icon at its own size: the file's images where
// the display wants exactly 16 or 32 pixels, the drawings at every other size.
void ScalingTest::theWindowIconIsSharpAtEverySize() {
    QFETCH(int, side);
    const QPixmap pixmap = windowIcon().pixmap(QSize(side, side), ratio());
    const int pixels = qRound(side * ratio());
    QCOMPARE(pixmap.size(), QSize(pixels, pixels));
    QCOMPARE(pixmap.devicePixelRatio(), ratio());

    const Picture& entry = *findPicture(u"window");
    QImage shown = argb(pixmap);
    shown.setDevicePixelRatio(1);
    if (pixels == 32) {
        QCOMPARE(shown, fileImage(entry));
    } else if (pixels == 16) {
        QCOMPARE(shown.pixel(1, 1), qRgb(0xc0, 0xc0, 0xc0)); // the tile's face
    } else {
        const bool small = pixels <= 24;
        const QImage expected =
            renderDrawing(drawingPath(entry, small), pixels / (small ? 16.0 : 32.0))
                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shown, expected);
    }
}

// The glow around the main window's disc fades over many pixels; drawn without
// its blur it would end in a hard edge.
void ScalingTest::blurredShapesAreBlurred() {
    const QImage drawn = renderDrawing(drawingPath(*findPicture(u"main-background")), 2)
                             .convertToFormat(QImage::Format_ARGB32);
    // Along the row through the disc's centre (y 224), from its halo outwards.
    const int y = 224 * 2;
    int largestStep = 0;
    for (int x = 2 * (250 + 118 + 4); x < 2 * (250 + 150 + 30); ++x)
        largestStep =
            qMax(largestStep, std::abs(qGray(drawn.pixel(x, y)) - qGray(drawn.pixel(x + 1, y))));
    QVERIFY2(largestStep <= 3, qPrintable(QStringLiteral("a step of %1").arg(largestStep)));
}

// Three black pixels in an L round a white one: at twice the size the white
// pixel's inner corner takes the black of the staircase, as a diagonal would;
// its other three quarters, and the black pixels, stay as they are.
void ScalingTest::pixelArtStaircasesBecomeDiagonals() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("l.svg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="2" viewBox="0 0 2 2"
                   shape-rendering="crispEdges">
                <rect width="2" height="2" fill="#ffffff"/>
                <path fill="#000000" d="M0 0h2v1h-2z M0 1h1v1h-1z"/>
              </svg>)");
    file.close();
    const QImage drawn = renderDrawing(path, 2).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(drawn.size(), QSize(4, 4));
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    QCOMPARE(drawn.pixel(2, 2), black);
    QCOMPARE(drawn.pixel(3, 2), white);
    QCOMPARE(drawn.pixel(2, 3), white);
    QCOMPARE(drawn.pixel(3, 3), white);
    for (const QPoint& p : {QPoint(0, 0), QPoint(3, 1), QPoint(1, 3), QPoint(0, 3)})
        QCOMPARE(drawn.pixel(p), black);
    // At its own size it is its pixels.
    QCOMPARE(renderDrawing(path, 1).convertToFormat(QImage::Format_RGB32).pixel(1, 1), white);
}

QTEST_MAIN(ScalingTest)
#include "tst_scaling.moc"
