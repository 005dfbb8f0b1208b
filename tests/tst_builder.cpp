// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The builder's own rules, on small screens made up to break them: what lies in
// front of what, which control a click reaches, and where Tab goes.

#include "screens/builder.h"
#include "screens/font_configuration.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <map>

using namespace qirtaz::screens;

namespace {

// Pixels, as the layout sheets' twips give them (fifteen to the pixel).
constexpr Twips px(int left, int top, int width, int height) {
    return {left * 15, top * 15, width * 15, height * 15};
}

// Rows run front to back. Front, Middle and Back overlap one another; the box,
// listed last, lies over Back all the same, as windowed controls lie over
// windowless ones.
constexpr Control overlapping[] = {
    {.name = "Front", .kind = Kind::Label, .text = "front", .rect = px(0, 0, 40, 40)},
    {.name = "Middle", .kind = Kind::Picture, .rect = px(20, 20, 40, 40)},
    {.name = "Back", .kind = Kind::Label, .rect = px(0, 0, 80, 80), .backColour = 0x00FF00},
    {.name = "Box", .kind = Kind::TextBox, .rect = px(60, 60, 20, 20), .tab = 0},
};

// Tab numbers out of the rows' order, with controls that never take the focus
// holding some of them.
constexpr Control tabbing[] = {
    {.name = "Second", .kind = Kind::TextBox, .rect = px(0, 0, 50, 20), .tab = 3},
    {.name = "Label", .kind = Kind::Label, .text = "x", .rect = px(0, 30, 50, 20), .tab = 0},
    {.name = "Fourth",
     .kind = Kind::OptionButton,
     .text = "o",
     .rect = px(0, 60, 50, 20),
     .tab = 9},
    {.name = "First",
     .kind = Kind::CommandButton,
     .text = "b",
     .rect = px(60, 0, 50, 20),
     .tab = 1},
    {.name = "Picture", .kind = Kind::Picture, .rect = px(60, 30, 20, 20)},
    {.name = "Third", .kind = Kind::TextBox, .rect = px(60, 60, 50, 20), .tab = 4},
};

constexpr Screen stacked{
    .name = "Stacked", .caption = "s", .client = px(0, 0, 100, 100), .controls = overlapping};
constexpr Screen tabbed{
    .name = "Tabbed", .caption = "t", .client = px(0, 0, 120, 90), .controls = tabbing};

} // namespace

class BuilderTest : public QObject {
    Q_OBJECT

private slots:
    void theFontConfigurationReadAheadIsWaitedFor();
    void firstListedLiesInFront_data();
    void firstListedLiesInFront();
    void tabFollowsTabNumbers();
};

// As the program starts: the configuration read in a thread of its own, which
// is waited for, not left running. First of the tests, while nothing has read
// the configuration yet and the reading takes its while.
void BuilderTest::theFontConfigurationReadAheadIsWaitedFor() {
    const auto reading = [] {
        QStringList names;
        for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs))
            if (QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
                comm.open(QIODevice::ReadOnly))
                names << QString::fromLatin1(comm.readAll().trimmed());
        return names.contains(u"fonts ahead");
    };
    readFontConfigurationAhead();
    awaitFontConfiguration();
    QVERIFY(!reading());
    awaitFontConfiguration(); // once waited for, at once
}

void BuilderTest::firstListedLiesInFront_data() {
    QTest::addColumn<QPoint>("spot");
    QTest::addColumn<QString>("control");
    QTest::newRow("all three") << QPoint(30, 30) << "Front";
    QTest::newRow("front and back") << QPoint(5, 5) << "Front";
    QTest::newRow("middle and back") << QPoint(50, 50) << "Middle";
    QTest::newRow("box over back") << QPoint(70, 70) << "Box";
    QTest::newRow("back alone") << QPoint(5, 70) << "Back";
}

void BuilderTest::firstListedLiesInFront() {
    QFETCH(QPoint, spot);
    QFETCH(QString, control);
    // Every picture and label takes clicks here, so that each could steal one.
    const auto window = buildWindow(stacked, [](QStringView) { return true; });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QWidget* hit = window->client()->childAt(spot);
    while (hit && hit->parentWidget() != window->client())
        hit = hit->parentWidget();
    QVERIFY(hit);
    QCOMPARE(hit->objectName(), control);

    std::map<QString, int> clicks;
    for (const char* name : {"Front", "Middle", "Back"}) {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
        QObject::connect(&Clicks::of(widget), &Clicks::clicked, widget,
                         [&clicks, name] { ++clicks[QString::fromLatin1(name)]; });
    }
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      window->client()->mapTo(window.get(), spot));
    for (const char* name : {"Front", "Middle", "Back"})
        QCOMPARE(clicks[QString::fromLatin1(name)], control == QLatin1StringView(name) ? 1 : 0);
}

void BuilderTest::tabFollowsTabNumbers() {
    const auto window = buildWindow(tabbed);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"First", "Second", "Third", "Fourth", "First"}));
    for (int i = 0; i < 4; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    }
    QCOMPARE(visited.mid(5), (QStringList{"Second", "First", "Fourth", "Third"}));
}

QTEST_MAIN(BuilderTest)
#include "tst_builder.moc"
