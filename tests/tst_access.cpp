// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every command for every user: what assistive technology sees of each control
// of each screen, pressing a control through it or through its key does what a
// click does, Esc and Enter in the dialogs, and Qt's own words in Arabic.

#include "app/commands.h"
#include "app/wiring.h"
#include "post/post.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <memory>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// The interface of a control as assistive technology reaches it; a menu item
// through its menu, as a screen reader walks there.
QAccessibleInterface* accessibleOf(Registry& registry, const QString& screen,
                                   const QString& control) {
    QObject* object = &registry.instance(screen).control(control);
    if (auto* action = qobject_cast<QAction*>(object)) {
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(action->parent());
        for (int i = 0; menu && i < menu->childCount(); ++i)
            if (menu->child(i)->text(QAccessible::Name) == action->text())
                return menu->child(i);
        return nullptr;
    }
    return QAccessible::queryAccessibleInterface(object);
}

// The key of a control's press action; a menu item gives its key as its accelerator.
QString keyOf(QAccessibleInterface* control) {
    QAccessibleActionInterface* actions = control->actionInterface();
    if (!actions)
        return {};
    const QStringList keys =
        actions->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    if (keys.isEmpty() && control->role() == QAccessible::MenuItem)
        return control->text(QAccessible::Accelerator);
    return keys.isEmpty() ? QString() : keys.front();
}

// Everything a command can change.
struct Outcome {
    QString post;
    QList<ScreenState> states;
    Qt::Alignment alignment;
    QString clipboard;
    QStringList messages;
    bool finished = false;
    // Which window is in front: what a command that only brings one forward does.
    // Not compared, as a press may leave the focus where a click would not.
    QString active;

    bool operator==(const Outcome& other) const {
        return post == other.post && states == other.states && alignment == other.alignment &&
               clipboard == other.clipboard && messages == other.messages &&
               finished == other.finished;
    }
};

QString activeWindow() {
    return QApplication::activeWindow() ? QApplication::activeWindow()->objectName() : QString();
}

QString describe(const Outcome& outcome) {
    QStringList states;
    for (ScreenState state : outcome.states)
        states << QString::number(int(state));
    return QStringLiteral("post %1, states %2, clipboard %3, messages %4, finished %5")
        .arg(outcome.post, states.join(u','), outcome.clipboard,
             QString::number(outcome.messages.size()), QString::number(outcome.finished));
}

enum class Way { Click, Press, Key, Menu };

// The item of the main window's insert menu that shows the control's key, as a
// screen reader finds it there; nullptr for none.
QAccessibleInterface* menuItemOf(Registry& registry, const QString& control) {
    auto* menu = registry.instance(u"Form1").window()->findChild<QMenu*>(QStringLiteral("insert"));
    const QKeySequence key = screens::shortcut(&registry.instance(u"Form1").control(control));
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; menu && !key.isEmpty() && i < items->childCount(); ++i)
        if (items->child(i)->text(QAccessible::Accelerator) == key.toString())
            return items->child(i);
    return nullptr;
}

// Opens the screen over a post "abc", does the command one way, and says what came of it.
Outcome perform(const QString& screen, const QString& control, Way way) {
    Outcome outcome;
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("clipboard before"));
    registry.instance(screen).show();
    auto* window = windowOf(registry, screen);
    if (!QTest::qWaitForWindowActive(window))
        return outcome;

    MessageBoxes boxes;
    boxes.leave = true; // the exit asks first, as the post was never copied
    QObject* object = &registry.instance(screen).control(control);
    switch (way) {
    case Way::Click:
        if (auto* action = qobject_cast<QAction*>(object)) {
            action->trigger();
        } else {
            auto* widget = static_cast<QWidget*>(object);
            QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        }
        break;
    case Way::Press: {
        QAccessibleInterface* iface = accessibleOf(registry, screen, control);
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // A push button pressed this way shows itself down for a moment first.
        if (qobject_cast<QAbstractButton*>(object))
            QTest::qWait(250);
        break;
    }
    case Way::Key:
        QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                           QKeySequence(keyOf(accessibleOf(registry, screen, control))));
        break;
    case Way::Menu:
        menuItemOf(registry, control)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        break;
    }
    QCoreApplication::processEvents();

    outcome.finished = program.finished;
    outcome.post = program.finished ? QStringLiteral("(ended)") : postText(registry);
    for (const auto& entry : screens::allScreens())
        outcome.states << registry.state(latin(entry.name));
    outcome.alignment =
        program.finished
            ? Qt::Alignment()
            : static_cast<postbox::PostBox&>(PostBuffer(registry).box()).textAlignment();
    outcome.clipboard = QGuiApplication::clipboard()->text();
    outcome.messages = boxes.seen;
    outcome.active = activeWindow();
    return outcome;
}

} // namespace

class AccessTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlSpeaks_data();
    void everyControlSpeaks();
    void pressAndKeyDoWhatAClickDoes_data();
    void pressAndKeyDoWhatAClickDoes();
    void doubleClickOnAnOkInsertsOnce_data();
    void doubleClickOnAnOkInsertsOnce();
    void escapeDoesWhatCancelDoes_data();
    void escapeDoesWhatCancelDoes();
    void enterInABoxDoesWhatItsOkDoes_data();
    void enterInABoxDoesWhatItsOkDoes();
    void arrowsWalkInReadingOrder_data();
    void arrowsWalkInReadingOrder();
    void copyGivesTheCaretBackAndSaysSo();
    void keysLeaveThePostBoxAlone();
    void qtSpeaksArabicButTheLayoutsStayAsDrawn();
};

void AccessTest::everyControlSpeaks_data() {
    QTest::addColumn<QString>("screen");
    for (const auto& screen : screens::allScreens())
        QTest::newRow(screen.name) << latin(screen.name);
}

void AccessTest::everyControlSpeaks() {
    QFETCH(QString, screen);
    Program program;
    Registry& registry = program.registry;
    registry.instance(screen).show();
    auto* window = windowOf(registry, screen);

    QAccessibleInterface* self = QAccessible::queryAccessibleInterface(window);
    QCOMPARE(self->role(), screen == u"Form1" ? QAccessible::Window : QAccessible::Dialog);
    QCOMPARE(self->text(QAccessible::Name), window->windowTitle());

    const QStringList bound = registry.boundControls(screen);
    for (const QString& control : bound) {
        QAccessibleInterface* iface = accessibleOf(registry, screen, control);
        QVERIFY2(iface, qPrintable(control));
        const QAccessible::Role role = iface->role();
        if (qobject_cast<QAction*>(&registry.instance(screen).control(control)))
            QCOMPARE(role, QAccessible::MenuItem);
        else
            QVERIFY2(role == QAccessible::Button || role == QAccessible::RadioButton,
                     qPrintable(control));
        QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(control));
        QVERIFY2(iface->actionInterface(), qPrintable(control));
        QVERIFY2(iface->actionInterface()->actionNames().contains(
                     QAccessibleActionInterface::pressAction()),
                 qPrintable(control));
        if (screen == u"Form1")
            QVERIFY2(!keyOf(iface).isEmpty(), qPrintable(control));
    }

    const screens::Screen& entry = *screens::findScreen(screen);
    for (const screens::Control& row : entry.controls) {
        const QString name = latin(row.name);
        QAccessibleInterface* iface = accessibleOf(registry, screen, name);
        switch (row.kind) {
        case screens::Kind::TextBox:
            QVERIFY2(iface->role() == QAccessible::EditableText, row.name);
            QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(), row.name);
            break;
        case screens::Kind::OptionButton:
            QCOMPARE(iface->role(), QAccessible::RadioButton);
            QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(row.text));
            break;
        case screens::Kind::CommandButton:
            QCOMPARE(iface->role(), QAccessible::Button);
            break;
        case screens::Kind::Label:
        case screens::Kind::Picture:
            // Only what takes a click is a button; an instruction is text.
            QCOMPARE(iface->role() == QAccessible::Button, bound.contains(name));
            break;
        }
    }
}

void AccessTest::pressAndKeyDoWhatAClickDoes_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("hasKey");
    Registry registry;
    bindAll(registry);
    Program keys; // the keys the controls report, as a screen reader reads them
    for (const auto& entry : screens::allScreens()) {
        const QString screen = latin(entry.name);
        for (const QString& control : registry.boundControls(screen)) {
            const bool hasKey = !keyOf(accessibleOf(keys.registry, screen, control)).isEmpty();
            QTest::addRow("%s %s", entry.name, qPrintable(control)) << screen << control << hasKey;
        }
    }
}

void AccessTest::pressAndKeyDoWhatAClickDoes() {
    QFETCH(QString, screen);
    QFETCH(QString, control);
    QFETCH(bool, hasKey);
    const Outcome clicked = perform(screen, control, Way::Click);
    const Outcome pressed = perform(screen, control, Way::Press);
    QVERIFY2(pressed == clicked,
             qPrintable(describe(pressed) + QStringLiteral(" / ") + describe(clicked)));
    if (hasKey) {
        const Outcome keyed = perform(screen, control, Way::Key);
        QVERIFY2(keyed == clicked,
                 qPrintable(describe(keyed) + QStringLiteral(" / ") + describe(clicked)));
    }
    // The insert menu lists every command of the main window but those of other
    // menus and the exit, and its item does what the click does.
    if (screen == u"Form1" && !QStringList{"aaa", "preview", "Command4"}.contains(control)) {
        Program program;
        QVERIFY2(menuItemOf(program.registry, control), "not in the insert menu");
        const Outcome chosen = perform(screen, control, Way::Menu);
        QVERIFY2(chosen == clicked,
                 qPrintable(describe(chosen) + QStringLiteral(" / ") + describe(clicked)));
    }
    // Something happened: every bound control does something, if only closing.
    Program untouched;
    setPost(untouched.registry, QStringLiteral("abc"));
    untouched.registry.instance(screen).show();
    QVERIFY(QTest::qWaitForWindowActive(windowOf(untouched.registry, screen)));
    Outcome nothing;
    nothing.post = postText(untouched.registry);
    for (const auto& entry : screens::allScreens())
        nothing.states << untouched.registry.state(latin(entry.name));
    QVERIFY(clicked.post != nothing.post || clicked.states != nothing.states ||
            clicked.clipboard != QStringLiteral("clipboard before") ||
            clicked.alignment != Qt::AlignLeft || clicked.finished ||
            clicked.active != activeWindow());
}

void AccessTest::doubleClickOnAnOkInsertsOnce_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("after");
    // clang-format off
    QTest::newRow("image")     << "Form2"  << "Image1" << "abc[img]http://[/img]";
    QTest::newRow("link")      << "Form3"  << "Image1" << "abc[url=http://][url/]";
    QTest::newRow("web page")  << "Form4"  << "Image1" << "abc[web]http://[/web]";
    QTest::newRow("quote 5")   << "Form5"  << "Image1" << "abc[QUOTE][/QUOTE]";
    QTest::newRow("flash")     << "Form8"  << "Image1" << "abc[FLASH=http://]WIDTH=400HEIGHT=350[/FLASH]";
    QTest::newRow("red")       << "Form10" << "Image1" << "abc[color=red][/color]";
    QTest::newRow("green")     << "Form11" << "Image1" << "abc[color=green][/color]";
    QTest::newRow("navy")      << "Form12" << "Image1" << "abc[color=blue][/color]";
    QTest::newRow("white")     << "Form13" << "Image1" << "abc[color=red][/color]";
    QTest::newRow("yellow")    << "Form14" << "Image1" << "abc[color=red][/color]";
    QTest::newRow("purple")    << "Form15" << "Image1" << "abc[color=purple][/color]";
    QTest::newRow("orange")    << "Form16" << "Image1" << "abc[color=orange][/color]";
    QTest::newRow("quote 18")  << "Form18" << "Image1" << "abc[QUOTE][/QUOTE]";
    QTest::newRow("sound")     << "Form19" << "Image1" << "abc[SOUND]http://[/SOUND]";
    QTest::newRow("realmedia") << "Form20" << "Image1" << "abc[RAM2]http://[/RAM2]";
    for (int size = 1; size <= 5; ++size) {
        const QString tag = QStringLiteral("[size=%1]").arg(size);
        QTest::addRow("size OK %d", size) << "Form17" << QStringLiteral("Command%1").arg(size) << "abc" + tag + "[/size]";
        QTest::addRow("size number %d", size) << "Form17" << QStringLiteral("Label%1").arg(size + 1) << tag + "abc[/size]";
    }
    QTest::newRow("whole post red")    << "Form9" << "Label2" << "[color=red]abc[/color]";
    QTest::newRow("whole post orange") << "Form9" << "Label8" << "[color=orange]abc[/color]";
    // clang-format on
}

void AccessTest::doubleClickOnAnOkInsertsOnce() {
    QFETCH(QString, screen);
    QFETCH(QString, control);
    QFETCH(QString, after);
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("abc"));
    registry.instance(screen).show();
    auto* window = windowOf(registry, screen);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* widget = window->findChild<QWidget*>(control);
    const QRect shown = widget->geometry().intersected(window->client()->rect());
    const QPoint spot = window->client()->mapTo(window, shown.center());

    // On the window, as the mouse gives it: the second press and release arrive
    // after the first click has closed the dialog.
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, spot);
    QCoreApplication::processEvents();
    flushDeletes();

    QCOMPARE(postText(registry), after);
    QCOMPARE(registry.state(screen), ScreenState::Created);
    static_cast<postbox::PostBox&>(PostBuffer(registry).box()).undo();
    QCOMPARE(postText(registry), QStringLiteral("abc"));
}

void AccessTest::escapeDoesWhatCancelDoes_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("cancel"); // empty: closes as its frame does; "-": nothing
    QTest::addColumn<QString>("behind"); // a dialog left open behind it
    // clang-format off
    for (const char* screen : {"Form2", "Form3", "Form4", "Form5", "Form8", "Form18", "Form19", "Form20"})
        QTest::newRow(screen) << latin(screen) << "Image2" << "";
    for (const char* screen : {"Form10", "Form11", "Form12", "Form13", "Form14", "Form15", "Form16"})
        QTest::newRow(screen) << latin(screen) << "Image2" << "";
    QTest::newRow("colour list") << "Form9" << "Command1" << "";
    QTest::newRow("size")        << "Form17" << "Image1" << "";
    QTest::newRow("about")       << "Form6" << "" << "";
    QTest::newRow("two dialogs") << "Form10" << "Image2" << "Form2";
    QTest::newRow("main window") << "Form1" << "-" << "";
    // clang-format on
}

void AccessTest::escapeDoesWhatCancelDoes() {
    QFETCH(QString, screen);
    QFETCH(QString, cancel);
    QFETCH(QString, behind);
    const auto afterEscape = [&screen, &behind](bool typed) {
        Program program;
        Registry& registry = program.registry;
        setPost(registry, QStringLiteral("abc"));
        if (!behind.isEmpty())
            registry.instance(behind).show();
        registry.instance(screen).show();
        auto* window = windowOf(registry, screen);
        if (!QTest::qWaitForWindowActive(window))
            return QList<ScreenState>{};
        // From inside a box the user has typed in, as well as from the window;
        // the main window's keys stay in the main window.
        QWidget* target = window;
        if (auto* box = window->findChild<QLineEdit*>(); box && typed) {
            box->setFocus();
            typeText(box, QStringLiteral("typed"));
            QTest::keyClick(box, Qt::Key_1, Qt::AltModifier);
            target = box;
        }
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QList<ScreenState> states;
        for (const auto& entry : screens::allScreens())
            states << registry.state(latin(entry.name));
        if (postText(registry) != u"abc")
            states.clear();
        return states;
    };
    QList<ScreenState> expected;
    {
        Program program;
        Registry& registry = program.registry;
        setPost(registry, QStringLiteral("abc"));
        if (!behind.isEmpty())
            registry.instance(behind).show();
        registry.instance(screen).show();
        if (cancel.isEmpty())
            windowOf(registry, screen)->close();
        else if (cancel != u"-")
            screens::click(&registry.instance(screen).control(cancel));
        for (const auto& entry : screens::allScreens())
            expected << registry.state(latin(entry.name));
    }
    if (cancel != u"-")
        QCOMPARE(expected.at(screens::findScreen(screen) - screens::allScreens().data()),
                 ScreenState::Created);
    QCOMPARE(afterEscape(false), expected);
    QCOMPARE(afterEscape(true), expected);
}

void AccessTest::enterInABoxDoesWhatItsOkDoes_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("after");
    // clang-format off
    QTest::newRow("image")        << "Form2"  << "Text1" << "abc[img]http://x[/img]";
    QTest::newRow("link phrase")  << "Form3"  << "Text1" << "abc[url=http://]x[url/]";
    QTest::newRow("link address") << "Form3"  << "Text2" << "abc[url=http://x][url/]";
    QTest::newRow("web page")     << "Form4"  << "Text1" << "abc[web]http://x[/web]";
    QTest::newRow("quote 5")      << "Form5"  << "Text1" << "abc[QUOTE]x[/QUOTE]";
    QTest::newRow("flash address") << "Form8" << "Text1" << "abc[FLASH=http://x]WIDTH=400HEIGHT=350[/FLASH]";
    QTest::newRow("flash width")  << "Form8"  << "Text3" << "abc[FLASH=http://]WIDTH=400xHEIGHT=350[/FLASH]";
    QTest::newRow("flash height") << "Form8"  << "Text2" << "abc[FLASH=http://]WIDTH=400HEIGHT=350x[/FLASH]";
    QTest::newRow("red")          << "Form10" << "Text1" << "abc[color=red]x[/color]";
    QTest::newRow("green")        << "Form11" << "Text1" << "abc[color=green]x[/color]";
    QTest::newRow("navy")         << "Form12" << "Text1" << "abc[color=blue]x[/color]";
    QTest::newRow("white")        << "Form13" << "Text1" << "abc[color=red]x[/color]";
    QTest::newRow("yellow")       << "Form14" << "Text1" << "abc[color=red]x[/color]";
    QTest::newRow("purple")       << "Form15" << "Text1" << "abc[color=purple]x[/color]";
    QTest::newRow("orange")       << "Form16" << "Text1" << "abc[color=orange]x[/color]";
    QTest::newRow("quote 18")     << "Form18" << "Text1" << "abc[QUOTE]x[/QUOTE]";
    QTest::newRow("sound")        << "Form19" << "Text1" << "abc[SOUND]http://x[/SOUND]";
    QTest::newRow("realmedia")    << "Form20" << "Text1" << "abc[RAM2]http://x[/RAM2]";
    for (int size = 1; size <= 5; ++size)
        QTest::addRow("size row %d", size) << "Form17" << QStringLiteral("Text%1").arg(size)
                                           << QStringLiteral("abc[size=%1]x[/size]").arg(size);
    // clang-format on
}

void AccessTest::enterInABoxDoesWhatItsOkDoes() {
    QFETCH(QString, screen);
    QFETCH(QString, box);
    QFETCH(QString, after);
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("abc"));
    registry.instance(screen).show();
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, screen)));
    // Another row's box holds text too: only the box Enter was pressed in counts.
    if (screen == u"Form17")
        testing::box(registry, screen, box == u"Text1" ? u"Text2" : u"Text1")
            .setText(QStringLiteral("other"));
    QLineEdit& edit = testing::box(registry, screen, box);
    edit.setFocus();
    edit.end(false);
    typeText(&edit, QStringLiteral("x"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(postText(registry), after);
    QCOMPARE(registry.state(screen), ScreenState::Created);
}

void AccessTest::arrowsWalkInReadingOrder_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("start"); // empty: where the screen puts the focus
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("visited"); // the focus after each key
    QTest::addColumn<QString>("press");       // the key that presses where the walk ends
    QTest::addColumn<QString>("after");       // the post then, or the screen shown next
    const auto row = [](const char* name, const char* screen, const char* start,
                        const QStringList& keys, const QStringList& visited, const char* press,
                        const char* after) {
        QTest::newRow(name) << latin(screen) << latin(start) << keys << visited << latin(press)
                            << QString::fromUtf8(after);
    };
    // clang-format off
    // The colour list reads from its top right; Left goes on, Right goes back, round.
    row("to whole-post red", "Form9", "", {"Left", "Left", "Left", "Left"}, {"Label5", "Label4", "Label3", "Label2"}, "Return", "[color=red]abc[/color]");
    row("row ends wrap", "Form9", "Label2", {"Left", "Right", "Right", "Right"}, {"Label8", "Label2", "Label3", "Label4"}, "Space", "[color=blue]abc[/color]");
    row("down the left edge", "Form9", "Label2", {"Down", "Down", "Down", "Down", "Down"}, {"Label6", "Label10", "Label14", "Command1", "Command1"}, "Space", "abc");
    row("round, Tab, up", "Form9", "", {"Right", "Right", "Up", "Tab", "Up", "Up"}, {"Label14", "Label15", "Label11", "Command1", "Label15", "Label11"}, "Return", "Form11");
    // The size dialog: numbers and OK buttons; Up and Down go between the boxes too.
    row("to whole-post 3", "Form17", "", {"Tab", "Left", "Down", "Down"}, {"Command1", "Label2", "Label3", "Label4"}, "Return", "[size=3]abc[/size]");
    row("OK of row 2", "Form17", "Label2", {"Right", "Down", "Left", "Left", "Up"}, {"Command1", "Command2", "Label3", "Command3", "Command2"}, "Space", "abc[size=2][/size]");
    row("Tab, and boxes keep Left", "Form17", "Label4", {"Tab", "Left", "Down", "Down", "Up"}, {"Text1", "Text1", "Text2", "Text3", "Text2"}, "", "");
    // A colour confirmation: from the box down to its pictures and back.
    row("red OK", "Form10", "", {"Down", "Left", "Left"}, {"Image1", "Image2", "Image1"}, "Return", "abc[color=red][/color]");
    row("orange cancel", "Form16", "", {"Down", "Right", "Up", "Down", "Right"}, {"Image1", "Image2", "Text1", "Image1", "Image2"}, "Space", "Form9");
    // clang-format on
}

void AccessTest::arrowsWalkInReadingOrder() {
    QFETCH(QString, screen);
    QFETCH(QString, start);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, visited);
    QFETCH(QString, press);
    QFETCH(QString, after);
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("abc"));
    registry.instance(screen).show();
    auto* window = windowOf(registry, screen);
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (!start.isEmpty())
        window->findChild<QWidget*>(start)->setFocus();

    QStringList went;
    QWidget* before = nullptr;
    for (const QString& key : keys) {
        before = QApplication::focusWidget();
        QTest::keySequence(before, QKeySequence(key));
        went << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(went, visited);

    // Seen where it is, and told: a frame on the control, none left where it was,
    // and a screen reader finds it focused.
    QWidget* at = QApplication::focusWidget();
    const auto framed = [](QWidget* control) {
        const QImage image = control->grab().toImage();
        for (int y = 3; y < image.height() - 3; ++y)
            if (image.pixel(0, y) != qRgb(0, 0, 0) || image.pixel(2, y) != qRgb(255, 255, 255))
                return false;
        return true;
    };
    if (screens::Clicks::find(at))
        QVERIFY(framed(at));
    if (before != at && screens::Clicks::find(before))
        QVERIFY(!framed(before));
    const QAccessible::State state = QAccessible::queryAccessibleInterface(at)->state();
    QVERIFY(state.focused && state.focusable);

    if (press.isEmpty())
        return;
    QTest::keySequence(at, QKeySequence(press));
    QCoreApplication::processEvents();
    QCOMPARE(registry.state(screen), ScreenState::Created);
    if (after.startsWith(u"Form"))
        QCOMPARE(registry.state(after), ScreenState::Shown);
    else
        QCOMPARE(postText(registry), after);
}

void AccessTest::copyGivesTheCaretBackAndSaysSo() {
    Program program;
    Registry& registry = program.registry;
    auto* window = windowOf(registry, u"Form1");
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    typeText(&post, QStringLiteral("كلام"));
    click(registry, u"Form1", u"Image14");
    click(registry, u"Form1", u"Command5");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("كلام:p"));
    QCOMPARE(QApplication::focusWidget(), &post);
    // The note is on the screen and in what a screen reader reads of the button.
    auto* copy = window->findChild<QPushButton*>(QStringLiteral("Command5"));
    const QString note =
        QAccessible::queryAccessibleInterface(copy)->text(QAccessible::Description);
    QVERIFY(note.contains(QStringLiteral("نُسخ")));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), note);
    // The post box's own undo goes on where it was.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(postText(registry), QStringLiteral("كلام"));
}

void AccessTest::keysLeaveThePostBoxAlone() {
    Program program;
    Registry& registry = program.registry;
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, u"Form1")));
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    post.setFocus();
    typeText(&post, QStringLiteral("one two"));
    // The box's own keys still edit: select all, cut, paste back, undo.
    QTest::keyClick(&post, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&post, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(postText(registry), QString());
    QTest::keyClick(&post, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&post, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(postText(registry), QStringLiteral("one twoone two"));
    QTest::keyClick(&post, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(postText(registry), QStringLiteral("one two"));
    QTest::keyClick(&post, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(postText(registry), QStringLiteral("one twoone two"));
    for (const auto& entry : screens::allScreens())
        if (latin(entry.name) != u"Form1")
            QCOMPARE(registry.state(latin(entry.name)), ScreenState::Absent);

    // And a command's key works from inside the box, leaving the caret there.
    QTest::keyClick(&post, Qt::Key_1, Qt::AltModifier);
    QCOMPARE(postText(registry), QStringLiteral("one twoone two:D"));
    QCOMPARE(QApplication::focusWidget(), &post);
    QTest::keyClick(&post, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(registry.state(u"Form17"), ScreenState::Shown);
}

void AccessTest::qtSpeaksArabicButTheLayoutsStayAsDrawn() {
    Program program;
    Registry& registry = program.registry;
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    for (const auto& entry : screens::allScreens()) {
        registry.instance(latin(entry.name)).show();
        auto* window = windowOf(registry, latin(entry.name));
        QCOMPARE(window->layoutDirection(), Qt::LeftToRight);
        for (const auto& row : entry.controls)
            QCOMPARE(window->findChild<QWidget*>(latin(row.name))->geometry(), row.rect.toPixels());
    }

    // The post box's context menu.
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    std::unique_ptr<QMenu> menu(post.createContextMenu());
    QStringList items;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            items << action->text();
    QVERIFY2(!items.join(u' ').contains(QStringLiteral("Undo")), qPrintable(items.join(u',')));
    QVERIFY2(items.join(u' ').contains(QStringLiteral("تراجع")) ||
                 items.join(u' ').contains(QStringLiteral("نسخ")),
             qPrintable(items.join(u',')));

    // The goodbye box's button.
    QString button;
    QTimer::singleShot(0, &registry, [&button] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            button = box->button(QMessageBox::Ok)->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    exitSequence(registry);
    QCOMPARE(button.remove(u'&'), QStringLiteral("موافق"));
}

QTEST_MAIN(AccessTest)
#include "tst_access.moc"
