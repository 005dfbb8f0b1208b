// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Screens come, go and come back as the registry promises, and the run ends
// when it should and not before.

#include "app/commands.h"
#include "app/wiring.h"
#include "post/post.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace qirtaz;
using namespace qirtaz::testing;

class RegistryTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheMainWindowAlone();
    void movesThroughItsStates();
    void unloadDestroysWindowAndControls();
    void showingAgainKeepsTypedText();
    void reopenedScreenShowsDesignValues();
    void severalDialogsChangeOnePost();
    void closingAScreenUnloadsItAlone();
    void lastScreenClosedEndsTheRun();
    void mainWindowClosedWhileADialogStaysOpen();
    void exitShowsItsMessageThenEnds();
    void anUncopiedPostIsNeverLostToOneKey();
    void errorInAHandlerIsReportedAndTheRunGoesOn();
    void unknownNamesAreRefused();
    void onlyWhatTakesAClickIsBound_data();
    void onlyWhatTakesAClickIsBound();
    void aScreenWhoseLoadFailsStaysUnloaded();
};

void RegistryTest::startsWithTheMainWindowAlone() {
    Program program;
    Registry& registry = program.registry;
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    for (const auto& screen : screens::allScreens().subspan(1))
        QCOMPARE(registry.state(QString::fromLatin1(screen.name)), ScreenState::Absent);

    auto* window = windowOf(registry, u"Form1");
    QCOMPARE(window->windowTitle(), QStringLiteral("Qirtaz "));
    QCOMPARE(window->client()->size(), QSize(501, 388));
    QVERIFY(window->menuBar());
    QCOMPARE(window->client()->geometry().top(), window->menuBar()->geometry().bottom() + 1);
    QCOMPARE(postText(registry), QString());
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
}

void RegistryTest::movesThroughItsStates() {
    Program program;
    Registry& registry = program.registry;

    ScreenInstance& dialog = registry.instance(u"Form2");
    QCOMPARE(registry.state(u"Form2"), ScreenState::Created);
    QVERIFY(!dialog.window());

    QCOMPARE(box(registry, u"Form2", u"Text1").text(), QStringLiteral("http://"));
    QCOMPARE(registry.state(u"Form2"), ScreenState::LoadedHidden);

    dialog.show();
    QCOMPARE(registry.state(u"Form2"), ScreenState::Shown);
    QVERIFY(QTest::qWaitForWindowActive(dialog.window()));

    dialog.show(); // already shown: only brought forward
    QCOMPARE(registry.state(u"Form2"), ScreenState::Shown);

    dialog.unload();
    QCOMPARE(registry.state(u"Form2"), ScreenState::Created);
    dialog.unload(); // unloading an unloaded screen changes nothing
    QCOMPARE(registry.state(u"Form2"), ScreenState::Created);

    dialog.show(); // straight from created to shown
    QCOMPARE(registry.state(u"Form2"), ScreenState::Shown);
    QCOMPARE(&registry.instance(u"Form2"), &dialog);
    QVERIFY(!program.finished);
}

void RegistryTest::unloadDestroysWindowAndControls() {
    Program program;
    Registry& registry = program.registry;
    registry.instance(u"Form3").show();
    QPointer<QWidget> window = windowOf(registry, u"Form3");
    QPointer<QLineEdit> phrase = &box(registry, u"Form3", u"Text1");

    registry.instance(u"Form3").unload();
    QVERIFY(!window->isVisible());
    flushDeletes();
    QVERIFY(window.isNull());
    QVERIFY(phrase.isNull());
}

void RegistryTest::showingAgainKeepsTypedText() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image1");
    QLineEdit& address = box(registry, u"Form2", u"Text1");
    QTest::keyClicks(&address, QStringLiteral("example.org/a.png"));
    QWidget* first = windowOf(registry, u"Form2");

    click(registry, u"Form1", u"Image1");
    QCOMPARE(windowOf(registry, u"Form2"), first);
    QCOMPARE(address.text(), QStringLiteral("http://example.org/a.png"));
    QVERIFY(QTest::qWaitForWindowActive(first));
}

void RegistryTest::reopenedScreenShowsDesignValues() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image6");
    box(registry, u"Form8", u"Text1").setText(QStringLiteral("x"));
    box(registry, u"Form8", u"Text2").setText(QStringLiteral("1"));
    box(registry, u"Form8", u"Text3").setText(QStringLiteral("2"));
    windowOf(registry, u"Form8")->close();
    QCOMPARE(registry.state(u"Form8"), ScreenState::Created);

    click(registry, u"Form1", u"Image6");
    QCOMPARE(box(registry, u"Form8", u"Text1").text(), QStringLiteral("http://"));
    QCOMPARE(box(registry, u"Form8", u"Text2").text(), QStringLiteral("350"));
    QCOMPARE(box(registry, u"Form8", u"Text3").text(), QStringLiteral("400"));
}

void RegistryTest::severalDialogsChangeOnePost() {
    Program program;
    Registry& registry = program.registry;
    for (const char16_t* opener : {u"Image1", u"Image2", u"Label11", u"Command1"})
        click(registry, u"Form1", opener);
    for (const char16_t* dialog : {u"Form2", u"Form4", u"Form18", u"Form17"})
        QCOMPARE(registry.state(dialog), ScreenState::Shown);

    box(registry, u"Form18", u"Text1").setText(QStringLiteral("q"));
    click(registry, u"Form18", u"Image1");
    click(registry, u"Form4", u"Image1");
    QCOMPARE(postText(registry), QStringLiteral("[QUOTE]q[/QUOTE][web]http://[/web]"));
    QCOMPARE(registry.state(u"Form2"), ScreenState::Shown);
    QCOMPARE(registry.state(u"Form17"), ScreenState::Shown);
}

void RegistryTest::closingAScreenUnloadsItAlone() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image3");
    click(registry, u"Form1", u"Image4");
    windowOf(registry, u"Form3")->close();
    QCOMPARE(registry.state(u"Form3"), ScreenState::Created);
    QCOMPARE(registry.state(u"Form19"), ScreenState::Shown);
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    QVERIFY(!program.finished);
}

void RegistryTest::lastScreenClosedEndsTheRun() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image5");
    windowOf(registry, u"Form1")->close();
    QVERIFY(!program.finished);
    windowOf(registry, u"Form20")->close();
    QVERIFY(program.finished);
    QVERIFY(!registry.anyLoaded());
}

void RegistryTest::mainWindowClosedWhileADialogStaysOpen() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer(registry).append(u"lost with the window");
    click(registry, u"Form1", u"Image2");
    MessageBoxes boxes;
    boxes.leave = true; // asked first: the post was never copied
    windowOf(registry, u"Form1")->close();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(registry.state(u"Form1"), ScreenState::Created);
    QVERIFY(!program.finished);

    // The web-page dialog does not bring the main window back itself, but a
    // changed post is never left out of sight.
    click(registry, u"Form4", u"Image1");
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    QCOMPARE(postText(registry), QStringLiteral("[web]http://[/web]"));
    QCOMPARE(registry.state(u"Form4"), ScreenState::Created);
    QVERIFY(!program.finished);
}

void RegistryTest::exitShowsItsMessageThenEnds() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image17");
    click(registry, u"Form1", u"Command1");
    QPointer<QWidget> main = windowOf(registry, u"Form1");

    MessageBoxes boxes;
    click(registry, u"Form1", u"Command4");
    QCOMPARE(boxes.seen, QStringList{exitMessage()});
    QVERIFY(exitMessage().startsWith(QStringLiteral("للأي اقتراح او استفسار .. المراسله على ")));
    QVERIFY(program.finished);
    QVERIFY(registry.hasEnded());
    QVERIFY(!registry.anyLoaded());
    QVERIFY(main.isNull() || !main->isVisible());

    // Nothing runs once the run is over.
    registry.instance(u"Form2").show();
    QCOMPARE(registry.state(u"Form2"), ScreenState::Created);
}

// The program keeps nothing: an uncopied post is asked about before the exit
// command or the main window's close box throws it away.
void RegistryTest::anUncopiedPostIsNeverLostToOneKey() {
    Program program;
    Registry& registry = program.registry;
    QVERIFY(exposed(registry, u"Form1"));
    PostBuffer post(registry);
    post.append(u"مرحبا [b]بكم[/b]");
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    auto* main = windowOf(registry, u"Form1");

    // The first answer: the focus is on staying, and Esc stays. The box is
    // looked at once it has the focus, which a busy machine may give late.
    QString focused;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, &registry, [&focused, &answer] {
        QWidget* box = QApplication::activeModalWidget();
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (!box || !button || button->window() != box)
            return;
        focused = button->text();
        answer.stop();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    answer.start();
    QTest::keyClick(main, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(focused, QStringLiteral("البقاء"));
    {
        MessageBoxes boxes;
        main->close(); // through the frame: asked too
        click(registry, u"Form1", u"Command4");
        QCOMPARE(boxes.seen.size(), 2);
        QVERIFY(boxes.seen[0].contains(QStringLiteral("هل تريد الخروج وفقدان الموضوع؟")));
        QCOMPARE(boxes.seen[1], boxes.seen[0]);
    }
    QVERIFY(!program.finished);
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    QCOMPARE(post.text(), QStringLiteral("مرحبا [b]بكم[/b]"));

    // Once copied, the exit says only goodbye.
    click(registry, u"Form1", u"Command5");
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    MessageBoxes boxes;
    QTest::keyClick(main, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(boxes.seen, QStringList{exitMessage()});
    QVERIFY(program.finished);
}

void RegistryTest::errorInAHandlerIsReportedAndTheRunGoesOn() {
    Registry registry;
    bool finished = false;
    QObject::connect(&registry, &Registry::finished, &registry, [&] { finished = true; });
    bindAll(registry);
    registry.bind(u"Form1", u"Image13", [] { throw std::runtime_error("out of paper"); });
    start(registry);
    PostBuffer(registry).append(u"keep me");

    MessageBoxes boxes;
    click(registry, u"Form1", u"Image13");
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen.front().contains(QStringLiteral("out of paper")));
    // The handler bound before it still ran; nothing was lost.
    QCOMPARE(postText(registry), QStringLiteral("keep me:("));
    QVERIFY(!finished);
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);

    click(registry, u"Form1", u"Image14");
    QCOMPARE(postText(registry), QStringLiteral("keep me:(:p"));
}

void RegistryTest::unknownNamesAreRefused() {
    Registry registry;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, registry.instance(u"Form7"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, registry.bind(u"Form2", u"Image3", [] {}));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, registry.instance(u"Form2").control(u"Text9"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             registry.instance(u"Form2").control<QLineEdit>(u"Label1"));
    // Asked by a wrong name, a state would read as a screen not opened yet.
    QTest::ignoreMessage(QtWarningMsg, "state of Form7, which is no screen");
    QCOMPARE(registry.state(u"Form7"), ScreenState::Absent);
}

void RegistryTest::onlyWhatTakesAClickIsBound_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("accepted");
    // clang-format off
    QTest::newRow("picture")       << "Form2"  << "Image1"   << true;
    QTest::newRow("label")         << "Form9"  << "Label1"   << true;
    QTest::newRow("button")        << "Form17" << "Command3" << true;
    QTest::newRow("option")        << "Form20" << "Option1"  << true;
    QTest::newRow("menu item")     << "Form1"  << "aaa"      << true;
    QTest::newRow("input box")     << "Form2"  << "Text1"    << false;
    QTest::newRow("post box")      << "Form1"  << "Text1"    << false;
    QTest::newRow("no such")       << "Form4"  << "Image3"   << false;
    // clang-format on
}

void RegistryTest::onlyWhatTakesAClickIsBound() {
    QFETCH(QString, screen);
    QFETCH(QString, control);
    QFETCH(bool, accepted);
    Registry registry;
    int clicks = 0;
    try {
        registry.bind(screen, control, [&clicks] { ++clicks; });
        QVERIFY(accepted);
    } catch (const std::invalid_argument&) {
        QVERIFY(!accepted);
        QVERIFY(!registry.boundControls(screen).contains(control));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 registry.bindKey(screen, QKeySequence(Qt::Key_F2), control));
        return;
    }
    // What was accepted takes its click, and its key.
    registry.bindKey(screen, QKeySequence(Qt::Key_F2), control);
    QVERIFY(screens::click(&registry.instance(screen).control(control)));
    QCOMPARE(clicks, 1);
    QVERIFY(screens::setShortcut(&registry.instance(screen).control(control), Qt::Key_F3));
}

void RegistryTest::aScreenWhoseLoadFailsStaysUnloaded() {
    Registry registry;
    bindAll(registry);
    bool fail = true;
    registry.setLoadStep(u"Form4", [&fail](ScreenInstance&) {
        if (fail)
            throw std::runtime_error("no paper");
    });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, registry.instance(u"Form4").show());
    QCOMPARE(registry.state(u"Form4"), ScreenState::Created);
    QVERIFY(!registry.instance(u"Form4").window());
    QVERIFY(!registry.anyLoaded());
    // No half-built window stays about, visible or taking clicks.
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY(window->objectName() != u"Form4" || !window->isVisible() || !window->isEnabled());

    fail = false;
    registry.instance(u"Form4").show();
    QCOMPARE(registry.state(u"Form4"), ScreenState::Shown);
    QCOMPARE(box(registry, u"Form4", u"Text1").text(), QStringLiteral("http://"));

    // The same for a command that cannot be bound: Enter in a box that no OK follows.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             registry.bindEnter(u"Form2", u"Text1", u"Label1"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             registry.bindEnter(u"Form2", u"Image1", u"Image1"));
}

QTEST_MAIN(RegistryTest)
#include "tst_registry.moc"
