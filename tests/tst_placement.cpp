// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where windows open: the main window at its place or centred, every other
// screen at its place relative to the main window wherever that stands, always
// on the desktop; dialogs in fixed-size frames with no maximize button, the main
// window growing around its post box; no owner, no modality.

#include "screens/names.h"
#include "screens/placement.h"
#include "support.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <map>

using namespace qirtaz;
using namespace qirtaz::screens;
using namespace qirtaz::testing;

namespace {

const Screen& main() {
    return allScreens().front();
}

QPoint sheetPlace(const Screen& screen) {
    return screen.client.toPixels().topLeft();
}

QPoint clientOrigin(Registry& registry, QStringView screen) {
    return windowOf(registry, screen)->client()->mapToGlobal(QPoint(0, 0));
}

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void keptOntoTheDesktop_data();
    void keptOntoTheDesktop();
    void theMainWindowAtItsPlaceOrCentred_data();
    void theMainWindowAtItsPlaceOrCentred();
    void dialogsFollowTheMainWindow_data();
    void dialogsFollowTheMainWindow();
    void aDialogNearTheEdgeStaysOnTheDesktop();
    void aShownDialogIsNotMovedWhenShownAgain();
    void framesOfferNoMaximizeAndOwnNothing();
    void theMainWindowGrowsAroundThePostBox_data();
    void theMainWindowGrowsAroundThePostBox();
};

void PlacementTest::keptOntoTheDesktop_data() {
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QRect>("outline");
    QTest::addColumn<QPoint>("expected");
    // A 100 x 50 client under a 20 pixel title bar with 1 pixel borders, on 800 x 600.
    const QRect outline(-1, -21, 102, 72);
    QTest::newRow("inside") << QPoint(300, 200) << outline << QPoint(300, 200);
    QTest::newRow("past the right edge") << QPoint(750, 200) << outline << QPoint(699, 200);
    QTest::newRow("past the bottom edge") << QPoint(300, 590) << outline << QPoint(300, 549);
    QTest::newRow("title bar above the top") << QPoint(300, 5) << outline << QPoint(300, 21);
    QTest::newRow("left of the desktop") << QPoint(-40, 200) << outline << QPoint(1, 200);
    QTest::newRow("past a corner") << QPoint(790, 595) << outline << QPoint(699, 549);
    QTest::newRow("larger than the desktop: title bar and left edge kept")
        << QPoint(300, 300) << QRect(-1, -21, 900, 700) << QPoint(1, 21);
}

void PlacementTest::keptOntoTheDesktop() {
    QFETCH(QPoint, origin);
    QFETCH(QRect, outline);
    QFETCH(QPoint, expected);
    const QRect desktop(0, 0, 800, 600);
    QCOMPARE(keptOnto(origin, outline, desktop), expected);
}

void PlacementTest::theMainWindowAtItsPlaceOrCentred_data() {
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("expected");
    // The main window: 501 x 388 client under an 18 pixel menu bar, 1 pixel
    // borders and a 20 pixel title bar: 503 x 428 in all, its client at 164, 130.
    QTest::newRow("large desktop: its place") << QRect(0, 0, 1280, 1024) << QPoint(164, 130);
    QTest::newRow("a panel at the top still leaves room")
        << QRect(0, 30, 1280, 994) << QPoint(164, 130);
    QTest::newRow("too narrow for the place: centred")
        << QRect(0, 0, 640, 600) << QPoint(1 + (640 - 503) / 2, 39 + (600 - 428) / 2);
    QTest::newRow("too low for the place: centred")
        << QRect(0, 0, 800, 480) << QPoint(1 + (800 - 503) / 2, 39 + (480 - 428) / 2);
    QTest::newRow("second desktop to the right, too small")
        << QRect(1280, 0, 600, 500) << QPoint(1280 + 1 + (600 - 503) / 2, 39 + (500 - 428) / 2);
}

void PlacementTest::theMainWindowAtItsPlaceOrCentred() {
    QFETCH(QRect, desktop);
    QFETCH(QPoint, expected);
    const QRect outline(-1, -39, 503, 428);
    const QPoint origin = mainWindowOrigin(main(), outline, desktop);
    QCOMPARE(origin, expected);
    QVERIFY(desktop.contains(outline.translated(origin)));
}

void PlacementTest::dialogsFollowTheMainWindow_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QPoint>("mainAt");
    for (const Screen& screen : allScreens().subspan(1)) {
        QTest::addRow("%s beside the main window at its place", screen.name)
            << QString::fromLatin1(screen.name) << sheetPlace(main());
        QTest::addRow("%s, the main window moved", screen.name)
            << QString::fromLatin1(screen.name) << QPoint(40, 60);
    }
}

// The program as the user has it: the main window moved, then a screen opened.
void PlacementTest::dialogsFollowTheMainWindow() {
    QFETCH(QString, screen);
    QFETCH(QPoint, mainAt);
    Program program;
    QVERIFY(exposed(program.registry, u"Form1"));
    auto* mainWindow = windowOf(program.registry, u"Form1");
    QCOMPARE(clientOrigin(program.registry, u"Form1"), sheetPlace(main()));
    mainWindow->move(mainWindow->pos() + mainAt - clientOrigin(program.registry, u"Form1"));
    QTRY_COMPARE(clientOrigin(program.registry, u"Form1"), mainAt);

    program.registry.instance(screen).show();
    QVERIFY(exposed(program.registry, screen));
    const Screen& entry = *findScreen(screen);
    QCOMPARE(clientOrigin(program.registry, screen),
             mainAt + sheetPlace(entry) - sheetPlace(main()));
}

void PlacementTest::aDialogNearTheEdgeStaysOnTheDesktop() {
    Program program;
    QVERIFY(exposed(program.registry, u"Form1"));
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    auto* mainWindow = windowOf(program.registry, u"Form1");
    // The colour list lies 128 pixels right of the main window and is 312 wide:
    // with the main window half off the right edge, it would leave the desktop.
    mainWindow->move(desktop.right() - 400, desktop.top() + 100);

    program.registry.instance(u"Form9").show();
    QVERIFY(exposed(program.registry, u"Form9"));
    const QRect shown = windowOf(program.registry, u"Form9")->frameGeometry();
    QVERIFY2(desktop.contains(shown), qPrintable(QStringLiteral("at %1,%2 %3x%4")
                                                     .arg(shown.x())
                                                     .arg(shown.y())
                                                     .arg(shown.width())
                                                     .arg(shown.height())));
    QCOMPARE(shown.right(), desktop.right());
    // Its height above the main window's is kept.
    QCOMPARE(clientOrigin(program.registry, u"Form9").y() -
                 clientOrigin(program.registry, u"Form1").y(),
             sheetPlace(*findScreen(u"Form9")).y() - sheetPlace(main()).y());
}

// A dialog that is open stays where the user put it when it is shown again.
void PlacementTest::aShownDialogIsNotMovedWhenShownAgain() {
    Program program;
    QVERIFY(exposed(program.registry, u"Form1"));
    program.registry.instance(u"Form6").show();
    QVERIFY(exposed(program.registry, u"Form6"));
    auto* about = windowOf(program.registry, u"Form6");
    about->move(about->pos() + QPoint(30, 20));
    const QPoint movedTo = about->pos();
    windowOf(program.registry, u"Form1")->move(10, 10);
    program.registry.instance(u"Form6").show();
    QCOMPARE(about->pos(), movedTo);
}

void PlacementTest::framesOfferNoMaximizeAndOwnNothing() {
    Program program;
    for (const Screen& entry : allScreens()) {
        const QString name = QString::fromLatin1(entry.name);
        program.registry.instance(name).show();
        auto* window = windowOf(program.registry, name);
        // The main window alone grows, from the size it opens at.
        const bool grows = &entry == &main();
        QCOMPARE(bool(window->windowFlags() & Qt::WindowMaximizeButtonHint), grows);
        QVERIFY2(window->windowFlags() & Qt::CustomizeWindowHint, entry.name);
        QCOMPARE(window->minimumSize() == window->maximumSize(), !grows);
        QCOMPARE(window->minimumSize(), window->size());
        QCOMPARE(bool(window->windowFlags() & Qt::WindowMinimizeButtonHint), entry.minimizable);
        QVERIFY2(!window->parentWidget(), entry.name);
        QVERIFY2(!window->windowHandle()->transientParent(), entry.name);
        QCOMPARE(window->windowModality(), Qt::NonModal);
    }
}

void PlacementTest::theMainWindowGrowsAroundThePostBox_data() {
    QTest::addColumn<QSize>("grown"); // by how much the client area grows
    QTest::newRow("wider") << QSize(300, 0);
    QTest::newRow("taller") << QSize(0, 200);
    QTest::newRow("both") << QSize(517, 333);
    QTest::newRow("below its size: kept at it") << QSize(-100, -80);
}

// The post box takes all the room the window gains; the controls beside it
// keep their distance to the right edge, those below it to the bottom one;
// and back at its size, every control is where the catalogue puts it.
void PlacementTest::theMainWindowGrowsAroundThePostBox() {
    QFETCH(QSize, grown);
    Program program;
    QVERIFY(exposed(program.registry, u"Form1"));
    ScreenWindow* window = windowOf(program.registry, u"Form1");
    const QSize opened = window->size();
    const QRect box = findControl(main(), names::main::PostBox)->rect.toPixels();
    std::map<QString, QRect> built;
    for (QWidget* widget : window->client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        built[widget->objectName()] = widget->geometry();
    window->resize(opened + grown);
    const QSize gained = (window->size() - opened).expandedTo(QSize(0, 0));
    QCOMPARE(window->size(), opened + grown.expandedTo(QSize(0, 0)));
    QCOMPARE(window->client()->size(), main().client.toPixels().size() + gained);
    for (const Control& row : main().controls) {
        auto* widget = window->client()->findChild<QWidget*>(QString::fromLatin1(row.name));
        QVERIFY2(widget, row.name);
        const QRect at = built[widget->objectName()];
        QCOMPARE(at, row.rect.toPixels());
        const QRect expected =
            QStringView(QString::fromLatin1(row.name)) == QStringView(names::main::PostBox)
                ? at.adjusted(0, 0, gained.width(), gained.height())
                : at.translated(gained.width(), at.top() >= box.bottom() ? gained.height() : 0);
        QCOMPARE(widget->geometry(), expected);
    }
    window->resize(opened);
    for (QWidget* widget : window->client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QCOMPARE(widget->geometry(), built[widget->objectName()]);
}

QTEST_MAIN(PlacementTest)
#include "tst_placement.moc"
