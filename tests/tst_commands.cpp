// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands, driven by clicks on the window itself, so that
// what lies in front of what decides which control a click reaches.

#include "post/html_paste.h"
#include "post/post.h"
#include "post/workers.h"
#include "screens/controls.h"
#include "screens/smileys.h"
#include "shell/post_buffer.h"
#include "support.h"
#include "tests/html_pages.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <QTextLayout>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <iterator>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

// A command of the main window given by clicking its control, or by choosing
// its item of the "إدراج" menu when item names one.
void give(Registry& registry, QStringView control, const QString& item) {
    if (item.isEmpty()) {
        click(registry, u"Form1", control);
        return;
    }
    auto* menu = windowOf(registry, u"Form1")->findChild<QMenu*>(QStringLiteral("insert"));
    QVERIFY(menu);
    const QList<QAction*> items = menu->actions();
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&item](QAction* action) { return action->text() == item; });
    QVERIFY2(found != items.end(), qPrintable(item));
    (*found)->trigger();
}

// Each item of the "إدراج" menu and the key the README gives its command.
struct InsertItem {
    const char* item;
    const char* key;
};
constexpr InsertItem insertItems[] = {
    {"وجه ضاحك :D", "Alt+1"},
    {"وجه حائر :confused:", "Alt+2"},
    {"وجه غامز ;)", "Alt+3"},
    {"وجه مندهش :eek:", "Alt+4"},
    {"وجه مبتسم :(", "Alt+5"},
    {"وجه غاضب :mad:", "Alt+6"},
    {"وجه يخرج لسانه :p", "Alt+7"},
    {"وجه حزين :(", "Alt+8"},
    {"صورة [img]…", "Ctrl+Shift+I"},
    {"رابط [url]…", "Ctrl+Shift+L"},
    {"صفحة [web]…", "Ctrl+Shift+W"},
    {"فلاش [FLASH]…", "Ctrl+Shift+F"},
    {"صوت [SOUND]…", "Ctrl+Shift+S"},
    {"مقطع [RAM]…", "Ctrl+Shift+R"},
    {"اقتباس [QUOTE]…", "Ctrl+Shift+Q"},
    {"اقتباس بالنافذة الثانية…", "Ctrl+Alt+Q"},
    {"لون [color]…", "Ctrl+Shift+C"},
    {"حجم الخط [size]…", "Ctrl+Shift+T"},
    {"نسخ النص كله", "Ctrl+Shift+P"},
    {"مسح النص", "Ctrl+Shift+Del"},
    {"غامق [b]", "Ctrl+B"},
    {"مائل [i]", "Ctrl+I"},
    {"تسطير [u]", "Ctrl+U"},
    {"يتوسطه خط [s]", "Ctrl+Shift+X"},
    {"توسيط [center]", "Ctrl+Shift+E"},
    {"لصق مع التنسيق", "Ctrl+Shift+V"},
};

// What a command leaves behind: the post, the selection, the clipboard, the
// box's alignment and the screens shown.
QString aftermath(Registry& registry) {
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    QString seen =
        postText(registry) + QStringLiteral("\nselected %1-%2\nclipboard %3\nalignment %4\nshown")
                                 .arg(box.textCursor().anchor())
                                 .arg(box.textCursor().position())
                                 .arg(QGuiApplication::clipboard()->text())
                                 .arg(int(box.textAlignment()));
    for (const auto& entry : screens::allScreens())
        if (registry.state(QString::fromLatin1(entry.name)) == ScreenState::Shown)
            seen += u' ' + QString::fromLatin1(entry.name);
    return seen;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void smileysAppendTheirCodes_data();
    void smileysAppendTheirCodes();
    void grinRightAlignsUntilTheWindowIsLoadedAgain();
    void clearEmptiesAndCanBeUndone_data();
    void clearEmptiesAndCanBeUndone();
    void copyPutsTheWholePostOnTheClipboard_data();
    void copyPutsTheWholePostOnTheClipboard();
    void openersShowTheirScreen_data();
    void openersShowTheirScreen();
    void menuItemOpensOneAboutScreen();
    void insertMenuOpensWithItsLetter();
    void insertMenuItemsDoWhatTheirKeysDo_data();
    void insertMenuItemsDoWhatTheirKeysDo();
    void menuCodesReadAsTyped();
    void aidsWorkAtTheSelection_data();
    void aidsWorkAtTheSelection();
    void pagesPasteWhileTheWindowAnswers_data();
    void pagesPasteWhileTheWindowAnswers();
    void escapeGivesThePasteUp();
};

void CommandsTest::smileysAppendTheirCodes_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("after");
    // clang-format off
    QTest::newRow("angry on empty")   << "" << QStringList{"Image10"} << ":mad:";
    QTest::newRow("wink")             << "abc" << QStringList{"Image11"} << "abc;)";
    QTest::newRow("surprised")        << "abc" << QStringList{"Image12"} << "abc:eek:";
    QTest::newRow("smiling and sad")  << "abc" << QStringList{"Image13", "Image15"} << "abc:(:(";
    QTest::newRow("tongue")           << "abc" << QStringList{"Image14"} << "abc:p";
    QTest::newRow("grin")             << "abc" << QStringList{"Image8"} << "abc:D";
    QTest::newRow("question twice")   << "abc" << QStringList{"Image9", "Image9"} << "abc:confused::confused:";
    QTest::newRow("after line break") << "سطر\n" << QStringList{"Image14"} << "سطر\n:p";
    QTest::newRow("after a word")     << "word" << QStringList{"Image10", "Image12"} << "word:mad::eek:";
    // clang-format on
    // Each smiley's key as the README's table gives it, pressed in the post box;
    // a smiley added to the program and not to the table is missed here.
    QFile readme(QCoreApplication::applicationDirPath() + QStringLiteral("/" QIRTAZ_README));
    QVERIFY(readme.open(QIODevice::ReadOnly | QIODevice::Text));
    const QRegularExpression row(QStringLiteral(R"(^\| (Alt\+\d) \| [^|`]*`([^`]+)`)"),
                                 QRegularExpression::MultilineOption);
    int keys = 0;
    for (const QRegularExpressionMatch& match :
         row.globalMatch(QString::fromUtf8(readme.readAll()))) {
        QTest::addRow("README %s", qPrintable(match.captured(1)))
            << "abc" << QStringList{match.captured(1)} << "abc" + match.captured(2);
        ++keys;
    }
    QCOMPARE(keys, int(std::size(screens::smileyButtons)));
}

void CommandsTest::smileysAppendTheirCodes() {
    QFETCH(QString, before);
    QFETCH(QStringList, clicks);
    QFETCH(QString, after);
    Program program;
    setPost(program.registry, before);
    QVERIFY(QTest::qWaitForWindowActive(windowOf(program.registry, u"Form1")));
    static_cast<postbox::PostBox&>(PostBuffer(program.registry).box()).setFocus();
    for (const QString& control : clicks)
        if (control.startsWith(u"Alt+"))
            QTest::keySequence(&static_cast<postbox::PostBox&>(PostBuffer(program.registry).box()),
                               QKeySequence(control));
        else
            click(program.registry, u"Form1", control);
    QCOMPARE(postText(program.registry), after);
    // Each click is one undo step.
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(program.registry).box());
    for (qsizetype i = 0; i < clicks.size(); ++i)
        box.undo();
    QCOMPARE(postText(program.registry), before);
}

void CommandsTest::grinRightAlignsUntilTheWindowIsLoadedAgain() {
    Program program;
    Registry& registry = program.registry;
    QCOMPARE(static_cast<postbox::PostBox&>(PostBuffer(registry).box()).textAlignment(),
             Qt::AlignLeft);
    click(registry, u"Form1", u"Image8");
    QCOMPARE(static_cast<postbox::PostBox&>(PostBuffer(registry).box()).textAlignment(),
             Qt::AlignRight);
    click(registry, u"Form1", u"Image10"); // the other smileys leave it so
    QCOMPARE(static_cast<postbox::PostBox&>(PostBuffer(registry).box()).textAlignment(),
             Qt::AlignRight);

    click(registry, u"Form1", u"Image4");
    MessageBoxes boxes;
    boxes.leave = true;
    windowOf(registry, u"Form1")->close();
    click(registry, u"Form19", u"Image1");
    QCOMPARE(postText(registry), QStringLiteral("[SOUND]http://[/SOUND]"));
    QCOMPARE(static_cast<postbox::PostBox&>(PostBuffer(registry).box()).textAlignment(),
             Qt::AlignLeft);
}

void CommandsTest::clearEmptiesAndCanBeUndone_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("button") << QString();
    QTest::newRow("insert menu") << QStringLiteral("مسح النص");
}

void CommandsTest::clearEmptiesAndCanBeUndone() {
    QFETCH(QString, item);
    Program program;
    Registry& registry = program.registry;
    QString big;
    while (big.size() < (1 << 20))
        big += QStringLiteral("[QUOTE]سطر من موضوع طويل[/QUOTE]\n");
    setPost(registry, big);
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));

    give(registry, u"Image19", item);
    QCOMPARE(postText(registry), QString());
    give(registry, u"Image19", item); // clearing an empty post leaves it empty
    QCOMPARE(postText(registry), QString());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("something else"));

    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(postText(registry), big);
}

void CommandsTest::copyPutsTheWholePostOnTheClipboard_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("button") << QString();
    QTest::newRow("insert menu") << QStringLiteral("نسخ النص كله");
}

void CommandsTest::copyPutsTheWholePostOnTheClipboard() {
    QFETCH(QString, item);
    Program program;
    Registry& registry = program.registry;
    const QString post = QStringLiteral("[color=red]أهلا[/color]\n\ta") + QChar(0x00A0) +
                         QStringLiteral("b") + QChar(0x2028) + QStringLiteral("c");
    setPost(registry, post);
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    QTextCursor selection = box.textCursor();
    selection.setPosition(3);
    selection.setPosition(8, QTextCursor::KeepAnchor);
    box.setTextCursor(selection);
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));

    give(registry, u"Command5", item);
    QCOMPARE(QGuiApplication::clipboard()->text(), post);
    QCOMPARE(postText(registry), post);
    QCOMPARE(box.textCursor().selectionStart(), 3);
    QCOMPARE(box.textCursor().selectionEnd(), 8);
}

void CommandsTest::openersShowTheirScreen_data() {
    QTest::addColumn<QPoint>("spot"); // twips in the main window's client area
    QTest::addColumn<QString>("screen");
    // The middle of each opener's rectangle.
    QTest::newRow("image") << QPoint(3360 + 202, 480 + 195) << "Form2";
    QTest::newRow("link") << QPoint(2520 + 202, 480 + 195) << "Form3";
    QTest::newRow("web page") << QPoint(4320 + 202, 480 + 195) << "Form4";
    QTest::newRow("flash") << QPoint(6240 + 202, 480 + 195) << "Form8";
    QTest::newRow("sound") << QPoint(1800 + 202, 480 + 195) << "Form19";
    QTest::newRow("realmedia") << QPoint(960 + 202, 480 + 195) << "Form20";
    QTest::newRow("colour") << QPoint(5760 + 240, 5040 + 240) << "Form9";
    QTest::newRow("size") << QPoint(3960 + 607, 5040 + 247) << "Form17";
    // The framed word: the label in front takes every click on the box.
    QTest::newRow("quote middle") << QPoint(5160 + 307, 480 + 187) << "Form18";
    QTest::newRow("quote corner") << QPoint(5160 + 15, 480 + 15) << "Form18";
    QTest::newRow("quote far edge") << QPoint(5160 + 600, 480 + 360) << "Form18";
}

void CommandsTest::openersShowTheirScreen() {
    QFETCH(QPoint, spot);
    QFETCH(QString, screen);
    Program program;
    Registry& registry = program.registry;
    setPost(registry, QStringLiteral("unchanged"));

    clickAtTwips(registry, u"Form1", spot);
    QCOMPARE(registry.state(screen), ScreenState::Shown);
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, screen)));
    for (const auto& entry : screens::allScreens()) {
        const QString name = QString::fromLatin1(entry.name);
        if (name != screen && name != u"Form1")
            QCOMPARE(registry.state(name), ScreenState::Absent);
    }
    QCOMPARE(registry.state(u"Form1"), ScreenState::Shown);
    QCOMPARE(postText(registry), QStringLiteral("unchanged"));
}

void CommandsTest::menuItemOpensOneAboutScreen() {
    Program program;
    Registry& registry = program.registry;
    auto* window = windowOf(registry, u"Form1");
    QVERIFY(QTest::qWaitForWindowActive(window));
    QMenuBar* bar = window->menuBar();
    auto* menu = bar->findChild<QMenu*>(QStringLiteral("a"));
    QCOMPARE(menu->title(), QStringLiteral("تعليمات"));

    for (int round = 0; round < 2; ++round) {
        const QPoint title = bar->actionGeometry(menu->menuAction()).center();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, bar->mapTo(window, title));
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(menu->actions().size(), 1);
        QAction* item = menu->actions().front();
        QCOMPARE(item->text(), QStringLiteral("حول البرنامح"));
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {},
                          menu->actionGeometry(item).center());
        QTRY_COMPARE(registry.state(u"Form6"), ScreenState::Shown);
    }
    const auto windows = QApplication::topLevelWidgets();
    QCOMPARE(
        std::count_if(windows.begin(), windows.end(),
                      [](QWidget* w) { return w->objectName() == u"Form6" && w->isVisible(); }),
        1);
}

void CommandsTest::insertMenuOpensWithItsLetter() {
    Program program;
    auto* window = windowOf(program.registry, u"Form1");
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* menu = window->findChild<QMenu*>(QStringLiteral("insert"));
    QCOMPARE(menu->title(), QStringLiteral("إ&دراج"));
    QTest::sendKeyEvent(QTest::Click,
                        &static_cast<postbox::PostBox&>(PostBuffer(program.registry).box()),
                        Qt::Key(u'د'), QStringLiteral("د"), Qt::AltModifier);
    QTRY_VERIFY(menu->isVisible());
}

void CommandsTest::insertMenuItemsDoWhatTheirKeysDo_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("key");
    for (const auto& [item, key] : insertItems)
        QTest::newRow(key) << QString::fromUtf8(item) << QString::fromLatin1(key);
}

// Each item shows its command's key, and choosing it leaves the window as the
// key does, on the same post, selection and clipboard. Caught when planted:
// "نسخ النص كله" and "مسح النص" each doing the other's command.
void CommandsTest::insertMenuItemsDoWhatTheirKeysDo() {
    QFETCH(QString, item);
    QFETCH(QString, key);
    QString byKey, byItem;
    for (const bool fromMenu : {false, true}) {
        Program program;
        Registry& registry = program.registry;
        QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, u"Form1")));
        auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
        setPost(registry, QStringLiteral("قال [b]مرحبا[/b] بكم"));
        QTextCursor selection = box.textCursor();
        selection.setPosition(4);
        selection.setPosition(16, QTextCursor::KeepAnchor);
        box.setTextCursor(selection);
        box.setFocus();
        auto* clipboard = new QMimeData;
        clipboard->setHtml(QStringLiteral("<p><i>نص</i> ملصق</p>"));
        QGuiApplication::clipboard()->setMimeData(clipboard);
        const QString untouched = aftermath(registry);
        if (fromMenu) {
            auto* menu = windowOf(registry, u"Form1")->findChild<QMenu*>(QStringLiteral("insert"));
            QList<QAction*> items = menu->actions();
            items.removeIf([](QAction* action) { return action->isSeparator(); });
            QCOMPARE(items.size(), qsizetype(std::size(insertItems)));
            const auto found = std::find_if(items.begin(), items.end(),
                                            [&item](QAction* a) { return a->text() == item; });
            QVERIFY2(found != items.end(), qPrintable(item));
            QCOMPARE((*found)->shortcut(), QKeySequence(key));
            (*found)->trigger();
        } else {
            QTest::keySequence(&box, QKeySequence(key));
        }
        // A page pasted is read on a worker; the command is done once it is in.
        QTRY_VERIFY(!box.findChild<QObject*>(QStringLiteral("pageReading")));
        (fromMenu ? byItem : byKey) = aftermath(registry);
        QVERIFY2(byKey != untouched, "the key did nothing");
    }
    QCOMPARE(byItem, byKey);
}

// Each item of the insert menu reads its smiley code or tag as typed inside
// its Arabic words (":D", not "D:"), as the menu draws it; its text, which a
// screen reader reads, stays without marks.
void CommandsTest::menuCodesReadAsTyped() {
    Program program;
    auto* menu = windowOf(program.registry, u"Form1")->findChild<QMenu*>(QStringLiteral("insert"));
    QStyleOptionMenuItem item;
    item.initFrom(menu);
    item.rect = QRect(0, 0, 320, 24);
    const auto draw = [&item, menu](const QStyle* style, const QString& text) {
        QImage image(item.rect.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setLayoutDirection(Qt::RightToLeft);
        item.text = text;
        style->drawControl(QStyle::CE_MenuItem, &item, &painter, menu);
        return image;
    };
    for (const QAction* action : menu->actions()) {
        const QString drawn = screens::typedOrder(action->text());
        QCOMPARE(draw(menu->style(), action->text()), draw(QApplication::style(), drawn));
        QTextLayout layout(drawn, menu->font());
        QTextOption rightToLeft;
        rightToLeft.setTextDirection(Qt::RightToLeft);
        layout.setTextOption(rightToLeft);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const auto at = [&layout](qsizetype i) {
            return layout.glyphRuns(int(i), 1).value(0).boundingRect().center().x();
        };
        const auto typed = [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; };
        for (qsizetype i = 0; i + 1 < drawn.size(); ++i)
            if (typed(drawn[i]) && typed(drawn[i + 1]))
                QVERIFY2(at(i) < at(i + 1), qPrintable(action->text()));
    }
}

void CommandsTest::aidsWorkAtTheSelection_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("html");     // on the clipboard; "text:" and plain text without HTML
    QTest::addColumn<QStringList>("keys"); // "menu": the box's menu item
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("selected"); // then; with none, the text before the caret
    const QString sample =
        QStringLiteral("<p><b>مرحبا</b> <a href=\"http://example.org\">بكم</a></p>");
    // clang-format off
    QTest::newRow("bold, then italic inside") << "مرحبا بكم" << 0 << 9 << "" << QStringList{"Ctrl+B", "Ctrl+I"}
        << "[b][i]مرحبا بكم[/i][/b]" << "مرحبا بكم";
    QTest::newRow("a word selected backwards") << "قال مرحبا بكم" << 9 << 4 << "" << QStringList{"Ctrl+Shift+X"}
        << "قال [s]مرحبا[/s] بكم" << "مرحبا";
    QTest::newRow("no selection: the caret between") << "abc" << 1 << 1 << "" << QStringList{"Ctrl+U"}
        << "a[u][/u]bc" << "a[u]";
    QTest::newRow("centre over lines") << "a\nb\nc" << 0 << 3 << "" << QStringList{"Ctrl+Shift+E"}
        << "[center]a\nb[/center]\nc" << "a\nb";
    QTest::newRow("paste over the selection") << "x SEL y" << 2 << 5 << sample << QStringList{"Ctrl+Shift+V"}
        << "x [b]مرحبا[/b] [url=http://example.org]بكم[/url] y" << "x [b]مرحبا[/b] [url=http://example.org]بكم[/url]";
    QTest::newRow("paste from the menu") << "ab" << 1 << 1 << sample << QStringList{"menu"}
        << "a[b]مرحبا[/b] [url=http://example.org]بكم[/url]b" << "a[b]مرحبا[/b] [url=http://example.org]بكم[/url]";
    QTest::newRow("paste plain text") << "ab" << 2 << 2 << "text:<b>x</b>\ny" << QStringList{"Ctrl+Shift+V"}
        << "ab<b>x</b>\ny" << "ab<b>x</b>\ny";
    // clang-format on
}

void CommandsTest::aidsWorkAtTheSelection() {
    QFETCH(QString, before);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, html);
    QFETCH(QStringList, keys);
    QFETCH(QString, after);
    QFETCH(QString, selected);
    Program program;
    Registry& registry = program.registry;
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, u"Form1")));
    setPost(registry, before);
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    auto* clipboard = new QMimeData;
    if (html.startsWith(u"text:"))
        clipboard->setText(html.sliced(5));
    else
        clipboard->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(clipboard);

    for (const QString& key : keys) {
        if (key == u"menu") {
            std::unique_ptr<QMenu> menu(box.createContextMenu());
            const QList<QAction*> items = menu->actions();
            const auto item = std::find_if(items.begin(), items.end(), [](QAction* action) {
                return action->text() == QStringLiteral("لصق مع التنسيق");
            });
            QVERIFY(item != items.end() && item != items.begin());
            QCOMPARE((*(item - 1))->objectName(), QStringLiteral("edit-paste"));
            (*item)->trigger();
        } else {
            QTest::keySequence(&box, QKeySequence(key));
        }
    }
    // A page on the clipboard is read on a worker, and goes in when read.
    QTRY_COMPARE(postText(registry), after);
    const QTextCursor then = box.textCursor();
    const QString shown = then.hasSelection()
                              ? then.selectedText().replace(QChar::ParagraphSeparator, u'\n')
                              : after.left(then.position());
    QCOMPARE(shown, selected);
    // One step of the undo history each.
    for (qsizetype i = 0; i < keys.size(); ++i)
        box.undo();
    QCOMPARE(postText(registry), before);
}

void CommandsTest::pagesPasteWhileTheWindowAnswers_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("marks");
    QStringList marks;
    const QString board = pages::boardPage(qsizetype(512) * 1024, &marks);
    QTest::newRow("a board's page") << board << marks;
    marks.clear();
    const QString big = pages::boardPage(qsizetype(5) * 1024 * 1024, &marks);
    QTest::newRow("a board's page of 5 MiB") << big << marks;
    marks.clear();
    const QString lists = pages::nested(QLatin1StringView("ul><li"), 10000, &marks);
    QTest::newRow("10,000 nested lists") << lists << marks;
    marks.clear();
    const QString tables = pages::nested(QLatin1StringView("table><tr><td"), 3000, &marks);
    QTest::newRow("3,000 nested tables") << tables << marks;
    marks.clear();
    const QString deeper = pages::nested(QLatin1StringView("table><tr><td"), 6000, &marks);
    QTest::newRow("6,000 nested tables") << deeper << marks;
}

// Qt's own reader held the window for seconds over such pages. Twice, the
// second time after the worker threads have ended: what the first worker did
// must leave nothing the window needs to paint.
void CommandsTest::pagesPasteWhileTheWindowAnswers() {
    QFETCH(QString, html);
    QFETCH(QStringList, marks);
    Program program;
    Registry& registry = program.registry;
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, u"Form1")));
    const QString before = QStringLiteral("قبل ");
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    auto* clipboard = new QMimeData;
    clipboard->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(clipboard);
    const QString tags = paste::boardTags(html);
    const QStringList found =
        tags.split(QRegularExpression(QStringLiteral("\\[[^\\]]*\\]|[^\\w]+")), Qt::SkipEmptyParts);
    QCOMPARE(found.filter(QRegularExpression(QStringLiteral("^[pn]\\d+$"))), marks);

    workers().setExpiryTimeout(50);
    for (int run = 0; run < 2; ++run) {
        setPost(registry, before);
        box.moveCursor(QTextCursor::End);
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        QTimer ticks;
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, &ticks,
                         [&] { longest = std::max(longest, sinceTick.restart()); });
        sinceTick.start();
        ticks.start();
        QTest::keySequence(&box, QKeySequence(QStringLiteral("Ctrl+Shift+V")));
        QTRY_COMPARE_WITH_TIMEOUT(postText(registry), before + tags, 60000);
        box.viewport()->repaint();
        qInfo("the window waited at most %lld ms", longest);
        QVERIFY(longest < 1000);
        box.undo();
        QCOMPARE(postText(registry), before);
        workers().waitForDone();
        QTest::qWait(100);
    }
    workers().setExpiryTimeout(30000);
}

void CommandsTest::escapeGivesThePasteUp() {
    Program program;
    Registry& registry = program.registry;
    QVERIFY(QTest::qWaitForWindowActive(windowOf(registry, u"Form1")));
    setPost(registry, QStringLiteral("كما هو"));
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    auto* clipboard = new QMimeData;
    clipboard->setHtml(pages::boardPage(qsizetype(64) * 1024));
    QGuiApplication::clipboard()->setMimeData(clipboard);
    QTest::keySequence(&box, QKeySequence(QStringLiteral("Ctrl+Shift+V")));
    QVERIFY(QGuiApplication::overrideCursor());
    QTest::keyClick(&box, Qt::Key_Escape);
    workers().waitForDone();
    QTest::qWait(100);
    QCOMPARE(postText(registry), QStringLiteral("كما هو"));
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!box.accessibleDescription().contains(u"Esc"));
    // And the next paste goes in.
    QTest::keySequence(&box, QKeySequence(QStringLiteral("Ctrl+Shift+V")));
    QTRY_VERIFY(postText(registry).size() > 64);
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
