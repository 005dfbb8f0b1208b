// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every dialog's commands, driven by clicks on the windows: the exact post text
// each leaves, and which screens open, close and come back.

#include "post/post.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

// A step of a row: "Screen.Control" clicks that control through its window;
// "Screen.Box=text" replaces what the box holds by typing text into it;
// "Screen.Box<=big" pastes a text of one mebibyte into it; "Form1.Image7!"
// clicks the picture itself, which the label in front of it hides from the mouse;
// "Form1.board>phpbb" chooses that item of the window's menu of that name.
const QString Big = [] {
    QString text;
    while (text.size() < (1 << 20))
        text += QStringLiteral("[b]نص طويل[/b] = ] [ ");
    return text;
}();

void typeInto(QLineEdit& box, const QString& text) {
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(&box, Qt::Key_Backspace);
    else
        typeText(&box, text);
    QCOMPARE(box.text(), text);
}

void pasteInto(QLineEdit& box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.text().size(), text.size());
}

void perform(Registry& registry, const QString& step) {
    const qsizetype dot = step.indexOf(u'.');
    const QString screen = step.left(dot);
    QString rest = step.mid(dot + 1);
    if (const qsizetype item = rest.indexOf(u'>'); item >= 0) {
        auto* menu = registry.instance(screen).window()->findChild<QMenu*>(rest.left(item));
        QVERIFY2(menu, qPrintable(step));
        auto* action = menu->findChild<QAction*>(rest.mid(item + 1));
        QVERIFY2(action && menu->actions().contains(action), qPrintable(step));
        action->trigger();
    } else if (const qsizetype paste = rest.indexOf(u"<="); paste >= 0) {
        pasteInto(box(registry, screen, rest.left(paste)), Big);
    } else if (const qsizetype typed = rest.indexOf(u'='); typed >= 0) {
        typeInto(box(registry, screen, rest.left(typed)), rest.mid(typed + 1));
    } else if (rest.endsWith(u'!')) {
        rest.chop(1);
        auto* control = registry.instance(screen).window()->findChild<QWidget*>(rest);
        QTest::mouseClick(control, Qt::LeftButton);
    } else {
        click(registry, screen, rest);
    }
}

void performAll(Registry& registry, const QStringList& steps) {
    for (const QString& step : steps) {
        perform(registry, step);
        if (QTest::currentTestFailed())
            return;
    }
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void insertions_data();
    void insertions();
    void screensComeAndGo_data();
    void screensComeAndGo();
    void colourCancelBringsBackAFreshList();
    void typingInThePostStaysBetweenInsertions();
};

void DialogsTest::insertions_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("mainWindowInFront");

    const auto row = [](const char* name, const QString& before, const QStringList& steps,
                        const QString& after, bool front = false) {
        QTest::newRow(name) << before << steps << after << front;
    };
    // clang-format off
    // The link and media dialogs, their boxes untouched.
    row("image untouched",      "", {"Form1.Image1", "Form2.Image1"}, "[img]http://[/img]", true);
    row("link untouched",       "", {"Form1.Image3", "Form3.Image1"}, "[url=http://][url/]", true);
    row("web page untouched",   "abc", {"Form1.Image2", "Form4.Image1"}, "abc[web]http://[/web]");
    row("flash untouched",      "", {"Form1.Image6", "Form8.Image1"}, "[FLASH=http://]WIDTH=400HEIGHT=350[/FLASH]");
    row("sound untouched",      "", {"Form1.Image4", "Form19.Image1"}, "[SOUND]http://[/SOUND]");
    row("realmedia untouched",  "", {"Form1.Image5", "Form20.Image1"}, "[RAM2]http://[/RAM2]");
    // What the user types goes in as typed.
    row("image emptied",        "", {"Form1.Image1", "Form2.Text1=", "Form2.Image1"}, "[img][/img]", true);
    row("link phrase",          "", {"Form1.Image3", "Form3.Text1=abc", "Form3.Image1"}, "[url=http://]abc[url/]", true);
    row("link both empty",      "", {"Form1.Image3", "Form3.Text2=", "Form3.Image1"}, "[url=][url/]", true);
    row("link odd texts",       "", {"Form1.Image3", "Form3.Text1= [b]x[/b] ", "Form3.Text2=ftp://a b=]", "Form3.Image1"}, "[url=ftp://a b=]] [b]x[/b] [url/]", true);
    // Under a board that does not read "[url/]", the link closes as that board
    // reads it, until another board is chosen; the last row leaves the default.
    for (const char* board : {"Form1.board>phpbb", "Form1.board>mybb", "Form1.board>smf", "Form1.board>vbulletin", "Form1.board>xenforo"})
        QTest::addRow("link under %s", board) << "" << QStringList{board, "Form1.Image3", "Form3.Text1=abc", "Form3.Image1"} << "[url=http://]abc[/url]" << true;
    row("link chosen board lasts", "", {"Form1.Image3", "Form3.Text1=abc", "Form3.Image1"}, "[url=http://]abc[/url]", true);
    row("link back on default", "", {"Form1.board>phpbb", "Form1.board>default", "Form1.Image3", "Form3.Text1=abc", "Form3.Image1"}, "[url=http://]abc[url/]", true);
    row("flash sizes",          "", {"Form1.Image6", "Form8.Text3=500", "Form8.Text2=300", "Form8.Image1"}, "[FLASH=http://]WIDTH=500HEIGHT=300[/FLASH]");
    row("flash width not a number", "", {"Form1.Image6", "Form8.Text3=abc", "Form8.Image1"}, "[FLASH=http://]WIDTH=abcHEIGHT=350[/FLASH]");
    row("sound arabic address", "", {"Form1.Image4", "Form19.Text1=صوت.mp3", "Form19.Image1"}, "[SOUND]صوت.mp3[/SOUND]");
    // The RealMedia dialog asks its video button alone.
    row("realmedia video",      "", {"Form1.Image5", "Form20.Option2", "Form20.Image1"}, "[RAM]http://[/RAM]");
    row("realmedia sound only", "", {"Form1.Image5", "Form20.Option1", "Form20.Image1"}, "[RAM2]http://[/RAM2]");
    row("realmedia video then sound", "", {"Form1.Image5", "Form20.Option2", "Form20.Option1", "Form20.Image1"}, "[RAM2]http://[/RAM2]");
    row("realmedia video twice", "", {"Form1.Image5", "Form20.Option2", "Form20.Option2", "Form20.Image1"}, "[RAM]http://[/RAM]");
    row("realmedia sound then video", "", {"Form1.Image5", "Form20.Option1", "Form20.Option2", "Form20.Image1"}, "[RAM]http://[/RAM]");
    // Quotes: through the quote box, and through the picture the box hides.
    row("quote",                "abc", {"Form1.Label11", "Form18.Text1=xyz", "Form18.Image1"}, "abc[QUOTE]xyz[/QUOTE]");
    row("quote empty",          "", {"Form1.Label11", "Form18.Image1"}, "[QUOTE][/QUOTE]");
    row("quote blanks",         "", {"Form1.Label11", "Form18.Text1= abc ", "Form18.Image1"}, "[QUOTE] abc [/QUOTE]");
    row("quote inside quote",   "", {"Form1.Label11", "Form18.Text1=a[/QUOTE]b", "Form18.Image1"}, "[QUOTE]a[/QUOTE]b[/QUOTE]");
    row("two quotes",           "", {"Form1.Label11", "Form18.Text1=x", "Form18.Image1", "Form1.Label11", "Form18.Text1=y", "Form18.Image1"}, "[QUOTE]x[/QUOTE][QUOTE]y[/QUOTE]");
    row("quote pasted mebibyte", "p", {"Form1.Label11", "Form18.Text1<=big", "Form18.Image1"}, "p[QUOTE]" + Big + "[/QUOTE]");
    row("second quote dialog",  "", {"Form1.Image7!", "Form5.Text1=z", "Form5.Image1"}, "[QUOTE]z[/QUOTE]");
    // The colour list: whole-post swatches, the white and yellow ones give blue.
    row("whole post red",       "abc", {"Form1.Image17", "Form9.Label2"}, "[color=red]abc[/color]");
    row("whole post red empty", "", {"Form1.Image17", "Form9.Label2"}, "[color=red][/color]");
    row("whole post green",     "abc", {"Form1.Image17", "Form9.Label3"}, "[color=green]abc[/color]");
    row("whole post navy",      "abc", {"Form1.Image17", "Form9.Label4"}, "[color=blue]abc[/color]");
    row("whole post white",     "abc", {"Form1.Image17", "Form9.Label5"}, "[color=blue]abc[/color]");
    row("whole post yellow",    "abc", {"Form1.Image17", "Form9.Label6"}, "[color=blue]abc[/color]");
    row("whole post purple",    "abc", {"Form1.Image17", "Form9.Label7"}, "[color=purple]abc[/color]");
    row("whole post orange",    "abc", {"Form1.Image17", "Form9.Label8"}, "[color=orange]abc[/color]");
    row("whole post nests",     "abc", {"Form1.Image17", "Form9.Label3", "Form1.Image17", "Form9.Label7"}, "[color=purple][color=green]abc[/color][/color]");
    // Word swatches open their dialog; the white and yellow ones give red.
    row("word red",             "abc", {"Form1.Image17", "Form9.Label10", "Form10.Text1=x", "Form10.Image1"}, "abc[color=red]x[/color]", true);
    row("word red empty",       "", {"Form1.Image17", "Form9.Label10", "Form10.Image1"}, "[color=red][/color]", true);
    row("word green",           "abc", {"Form1.Image17", "Form9.Label11", "Form11.Text1=x", "Form11.Image1"}, "abc[color=green]x[/color]", true);
    row("word navy",            "abc", {"Form1.Image17", "Form9.Label12", "Form12.Text1=x", "Form12.Image1"}, "abc[color=blue]x[/color]", true);
    row("word white",           "abc", {"Form1.Image17", "Form9.Label13", "Form13.Text1=x", "Form13.Image1"}, "abc[color=red]x[/color]", true);
    row("word yellow",          "abc", {"Form1.Image17", "Form9.Label14", "Form14.Text1=x", "Form14.Image1"}, "abc[color=red]x[/color]", true);
    row("word purple",          "abc", {"Form1.Image17", "Form9.Label15", "Form15.Text1=x", "Form15.Image1"}, "abc[color=purple]x[/color]", true);
    row("word orange",          "abc", {"Form1.Image17", "Form9.Label16", "Form16.Text1=x", "Form16.Image1"}, "abc[color=orange]x[/color]", true);
    row("word with markup",     "", {"Form1.Image17", "Form9.Label12", "Form12.Text1=[i]a[/color]", "Form12.Image1"}, "[color=blue][i]a[/color][/color]", true);
    // The size dialog: numbers wrap the post, each OK button takes its own row's box.
    row("size number 1 empty",  "", {"Form1.Command1", "Form17.Label2"}, "[size=1][/size]");
    row("size number 2",        "abc", {"Form1.Command1", "Form17.Label3"}, "[size=2]abc[/size]");
    row("size number 3",        "abc", {"Form1.Command1", "Form17.Text3=ignored", "Form17.Label4"}, "[size=3]abc[/size]");
    row("size number 4",        "abc", {"Form1.Command1", "Form17.Label5"}, "[size=4]abc[/size]");
    row("size number 5",        "abc", {"Form1.Command1", "Form17.Label6"}, "[size=5]abc[/size]");
    row("size row 1",           "abc", {"Form1.Command1", "Form17.Text1=x", "Form17.Command1"}, "abc[size=1]x[/size]");
    row("size row 2",           "abc", {"Form1.Command1", "Form17.Text2=x", "Form17.Command2"}, "abc[size=2]x[/size]");
    row("size row 3 of five",   "abc", {"Form1.Command1", "Form17.Text1=a", "Form17.Text2=b", "Form17.Text3=c", "Form17.Text4=d", "Form17.Text5=e", "Form17.Command3"}, "abc[size=3]c[/size]");
    row("size row 4 empty",     "", {"Form1.Command1", "Form17.Text1=lost", "Form17.Command4"}, "[size=4][/size]");
    row("size row 5",           "abc", {"Form1.Command1", "Form17.Text5=كبير", "Form17.Command5"}, "abc[size=5]كبير[/size]");
    // clang-format on
}

void DialogsTest::insertions() {
    QFETCH(QString, before);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    QFETCH(bool, mainWindowInFront);

    Program program;
    Registry& registry = program.registry;
    setPost(registry, before);
    // Another dialog stands open behind, so that "not brought forward" can show.
    if (!mainWindowInFront)
        registry.instance(u"Form6").show();
    performAll(registry, steps.first(steps.size() - 1));
    if (QTest::currentTestFailed())
        return;
    const QString beforeLast = postText(registry);
    perform(registry, steps.back());

    QCOMPARE(postText(registry), after);
    // The dialog that inserted is gone, and only it.
    const QString last = steps.back().left(steps.back().indexOf(u'.'));
    QCOMPARE(registry.state(last), ScreenState::Created);
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    if (mainWindowInFront)
        QTRY_COMPARE(QApplication::activeWindow(), windowOf(registry, u"Form1"));
    else
        QVERIFY(QApplication::activeWindow() != windowOf(registry, u"Form1"));
    // The whole command is one step back.
    static_cast<postbox::PostBox&>(PostBuffer(registry).box()).undo();
    QCOMPARE(postText(registry), beforeLast);
}

void DialogsTest::screensComeAndGo_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");   // besides the main window
    QTest::addColumn<QStringList>("created"); // loaded once, now closed
    const auto row = [](const char* name, const QStringList& steps, const QStringList& shown,
                        const QStringList& created) {
        QTest::newRow(name) << steps << shown << created;
    };
    // clang-format off
    // Cancel pictures and the list's back button close their screen and nothing else.
    row("image cancel",     {"Form1.Image1", "Form2.Image2"}, {}, {"Form2"});
    row("link cancel",      {"Form1.Image3", "Form3.Image2"}, {}, {"Form3"});
    row("web page cancel",  {"Form1.Image2", "Form4.Image2"}, {}, {"Form4"});
    row("flash cancel",     {"Form1.Image6", "Form8.Image2"}, {}, {"Form8"});
    row("sound cancel",     {"Form1.Image4", "Form19.Image2"}, {}, {"Form19"});
    row("realmedia cancel", {"Form1.Image5", "Form20.Image2"}, {}, {"Form20"});
    row("quote cancel",     {"Form1.Label11", "Form18.Image2"}, {}, {"Form18"});
    row("second quote cancel", {"Form1.Image7!", "Form5.Image2"}, {}, {"Form5"});
    row("size return",      {"Form1.Command1", "Form17.Image1"}, {}, {"Form17"});
    row("colour list back", {"Form1.Image17", "Form9.Command1"}, {}, {"Form9"});
    // The colour list gives way to the dialog of the swatch, which gives way back.
    row("word swatch",      {"Form1.Image17", "Form9.Label13"}, {"Form13"}, {"Form9"});
    row("word cancel",      {"Form1.Image17", "Form9.Label15", "Form15.Image2"}, {"Form9"}, {"Form15"});
    row("word ok",          {"Form1.Image17", "Form9.Label16", "Form16.Image1"}, {}, {"Form9", "Form16"});
    row("whole post swatch", {"Form1.Image17", "Form9.Label8"}, {}, {"Form9"});
    // Labels that only explain react to nothing.
    row("instructions",     {"Form1.Image17", "Form9.Label1", "Form9.Label9", "Form1.Command1", "Form17.Label1"}, {"Form9", "Form17"}, {});
    // Several dialogs at once, each closing alone.
    row("three open",       {"Form1.Image1", "Form1.Image3", "Form1.Image5", "Form3.Image2"}, {"Form2", "Form20"}, {"Form3"});
    // clang-format on
}

void DialogsTest::screensComeAndGo() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, created);
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("untouched"));
    performAll(registry, steps);
    if (QTest::currentTestFailed())
        return;

    for (const auto& entry : screens::allScreens()) {
        const QString name = QString::fromLatin1(entry.name);
        const ScreenState expected = name == u"Form1" || shown.contains(name) ? ScreenState::Shown
                                     : created.contains(name)                 ? ScreenState::Created
                                                                              : ScreenState::Absent;
        QVERIFY2(registry.state(name) == expected, qPrintable(name));
    }
    const bool inserts = steps.back().endsWith(u"Form16.Image1") || steps.back() == u"Form9.Label8";
    if (!inserts)
        QCOMPARE(postText(registry), QStringLiteral("untouched"));
    QVERIFY(!program.finished);
}

void DialogsTest::colourCancelBringsBackAFreshList() {
    Program program;
    Registry& registry = program.registry;
    click(registry, u"Form1", u"Image17");
    QPointer<QWidget> firstList = windowOf(registry, u"Form9");
    click(registry, u"Form9", u"Label11");
    box(registry, u"Form11", u"Text1").setText(QStringLiteral("typed"));
    click(registry, u"Form11", u"Image2");
    flushDeletes();
    QVERIFY(firstList.isNull());
    QCOMPARE(registry.state(u"Form9"), ScreenState::Shown);

    // Back through the same swatch: the dialog starts empty again.
    click(registry, u"Form9", u"Label11");
    QCOMPARE(box(registry, u"Form11", u"Text1").text(), QString());
    QCOMPARE(postText(registry), QString());
}

void DialogsTest::typingInThePostStaysBetweenInsertions() {
    Program program;
    Registry& registry = program.registry;
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    click(registry, u"Form1", u"Image2"); // the web-page dialog stays open while the user types
    click(registry, u"Form1", u"Image10");
    post.setFocus();
    post.moveCursor(QTextCursor::End);
    typeText(&post, QStringLiteral(" كلام "));
    // The caret in the middle does not decide where the fragment goes.
    post.moveCursor(QTextCursor::Start);
    click(registry, u"Form4", u"Image1");
    QCOMPARE(postText(registry), QStringLiteral(":mad: كلام [web]http://[/web]"));
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
