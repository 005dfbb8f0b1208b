// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The about window: opened from the main window's menu, one window however often
// it is chosen, closed through its frame or with Esc, and touching nothing else.

#include "post/post.h"
#include "screens/pictures.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

constexpr char16_t About[] = u"Form6";

void chooseAbout(Registry& registry) {
    auto* item = windowOf(registry, u"Form1")->findChild<QAction*>(QStringLiteral("aaa"));
    QVERIFY(item);
    item->trigger();
}

int visibleAboutWindows() {
    const auto windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), [](QWidget* window) {
        return window->objectName() == About && window->isVisible();
    }));
}

// Everything the about window must leave as it found it.
struct Snapshot {
    QString post;
    Qt::Alignment alignment;
    bool boxUsable = false;
    bool mainShown = false;
    QList<ScreenState> others;

    static Snapshot of(Registry& registry) {
        Snapshot snapshot;
        PostBuffer post(registry);
        snapshot.post = postText(registry);
        snapshot.alignment = postBox(post).textAlignment();
        snapshot.boxUsable = postBox(post).isVisible() && postBox(post).isEnabled();
        snapshot.mainShown = registry.state(u"Form1") == ScreenState::Shown;
        for (const auto& screen : screens::allScreens())
            if (QLatin1StringView(screen.name) != About)
                snapshot.others << registry.state(QString::fromLatin1(screen.name));
        return snapshot;
    }
    bool operator==(const Snapshot&) const = default;
};

QImage aboutPictureAsShown() {
    return screens::picture(u"about")
        .toImage()
        .copy(0, 0, 268, 200)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void choosingItTwiceLeavesOneWindow();
    void clicksAndKeysInsideChangeNothing();
    void closingLeavesTheProgramAsItWas_data();
    void closingLeavesTheProgramAsItWas();
};

void AboutTest::choosingItTwiceLeavesOneWindow() {
    Program program;
    setPost(program.registry, QStringLiteral("نص [b]كما هو[/b]\nسطر ثان"));
    const Snapshot before = Snapshot::of(program.registry);

    chooseAbout(program.registry);
    QVERIFY(exposed(program.registry, About));
    QPointer<screens::ScreenWindow> first = windowOf(program.registry, About);
    chooseAbout(program.registry);
    QCoreApplication::processEvents();

    QCOMPARE(program.registry.state(About), ScreenState::Shown);
    QCOMPARE(windowOf(program.registry, About), first.data());
    QCOMPARE(visibleAboutWindows(), 1);
    QCOMPARE(first->client()->size(), QSize(268, 200));
    QVERIFY(first->children().contains(first->client()));
    QCOMPARE(first->client()->children().size(), 0);
    QCOMPARE(first->windowTitle(), QStringLiteral("حووول البرنامج"));
    QCOMPARE(first->client()->grab().toImage().convertToFormat(QImage::Format_ARGB32),
             aboutPictureAsShown());
    QVERIFY(Snapshot::of(program.registry) == before);
}

void AboutTest::clicksAndKeysInsideChangeNothing() {
    Program program;
    setPost(program.registry, QStringLiteral("قبل"));
    chooseAbout(program.registry);
    QVERIFY(exposed(program.registry, About));
    const Snapshot before = Snapshot::of(program.registry);

    for (const QPoint twips : {QPoint(0, 0), QPoint(2010, 1500), QPoint(4005, 2985)})
        clickAtTwips(program.registry, About, twips);
    auto* window = windowOf(program.registry, About);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(window, key);
    QCoreApplication::processEvents();

    QCOMPARE(program.registry.state(About), ScreenState::Shown);
    QVERIFY(Snapshot::of(program.registry) == before);
    QVERIFY(!program.finished);
}

void AboutTest::closingLeavesTheProgramAsItWas_data() {
    QTest::addColumn<bool>("withEscape");
    QTest::newRow("frame") << false;
    QTest::newRow("Esc") << true;
}

void AboutTest::closingLeavesTheProgramAsItWas() {
    Program program;
    setPost(program.registry, QStringLiteral("[color=red]أحمر[/color]"));
    static_cast<postbox::PostBox&>(PostBuffer(program.registry).box())
        .setTextAlignment(Qt::AlignRight);
    chooseAbout(program.registry);
    QVERIFY(exposed(program.registry, About));
    QPointer<screens::ScreenWindow> first = windowOf(program.registry, About);
    const Snapshot before = Snapshot::of(program.registry);

    QFETCH(bool, withEscape);
    if (withEscape)
        QTest::keyClick(first, Qt::Key_Escape);
    else
        first->close(); // through its frame
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(!program.registry.instance(About).isLoaded());
    QCOMPARE(visibleAboutWindows(), 0);
    QVERIFY(Snapshot::of(program.registry) == before);
    QVERIFY(!program.finished);

    // Opened again, it is built anew from its layout.
    chooseAbout(program.registry);
    QVERIFY(exposed(program.registry, About));
    auto* again = windowOf(program.registry, About);
    QCOMPARE(again->client()->size(), QSize(268, 200));
    QCOMPARE(again->client()->grab().toImage().convertToFormat(QImage::Format_ARGB32),
             aboutPictureAsShown());
    QCOMPARE(visibleAboutWindows(), 1);
    QVERIFY(Snapshot::of(program.registry) == before);
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
