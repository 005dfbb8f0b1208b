// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window: opened from the main window's menu or its key, one window
// however often, following the post as it changes, and gone with Esc.

#include "board/preview.h"
#include "board/preview_view.h"
#include "post/post.h"
#include "post/workers.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QThreadPool>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

// How long a wait for the preview's answer lasts before it counts as none: a
// rendering of thousands of lines takes seconds in a debug build on a busy
// machine, and a wait that ends early fails for the load, not for a fault.
constexpr int Answer = 60000;

PostPreview* waitForPreview(Registry& registry) {
    PostPreview* preview = nullptr;
    if (!QTest::qWaitFor([&] { return (preview = openPreview(registry)) != nullptr; }, Answer))
        return nullptr;
    if (!QTest::qWaitFor([preview] { return !preview->isBehind(); }, Answer))
        return nullptr;
    return preview;
}

// A tooltip kept on one line, as an address is shown.
QString oneLine(const QString& text) {
    return "<p style=\"white-space:pre\">" + text.toHtmlEscaped() + "</p>";
}

// count lines made from line, each with its number for %1.
QString numbered(int count, const QString& line) {
    QString lines;
    for (int i = 0; i < count; ++i)
        lines += line.arg(i);
    return lines;
}

// The preview opened on post with text added, once it shows the post laid
// out to its width.
PostPreview* previewOf(Registry& registry, PostBuffer& post, QStringView text) {
    post.append(text);
    registry.instance(u"Preview").show();
    PostPreview* preview = waitForPreview(registry);
    if (!preview ||
        !QTest::qWaitFor(
            [view = preview->view()] { return view->document() && !view->wantsLayout(); }, Answer))
        return nullptr;
    return preview;
}

// What the preview shows once it has caught up with the post, without the
// marks that keep a tag shown as typed in one piece inside Arabic.
QString shown(PostPreview& preview) {
    if (!QTest::qWaitFor([&preview] { return !preview.isBehind(); }, Answer))
        return QStringLiteral("(still behind)");
    QString text = preview.view()->toPlainText();
    text.remove(QChar(0x2066)).remove(QChar(0x2069)).remove(QChar(0x2060));
    return text;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void opensFromMenuAndKey();
    void eachWindowZoomsItsOwn_data();
    void eachWindowZoomsItsOwn();
    void followsThePost();
    void keepsItsScrollPosition();
    void mainWindowClosedAndBack();
    void laidOutBeforeShown();
    void showsWhatIsInViewFirst();
    void tipsAndReader();
    void footNamesEveryProblem();
    void followsTheChosenBoard();
    void selectsAndCopies();
    void outlivesItsWorkers();
    void paintsWhileWorkersAreBusy();
    void closesWhileItRenders();
};

void PreviewTest::eachWindowZoomsItsOwn_data() {
    QTest::addColumn<bool>("inPreview");
    QTest::addColumn<QStringList>("inputs"); // keys, or "wheel" and the notches
    QTest::addColumn<int>("step");
    // clang-format off
    for (const bool preview : {false, true}) {
        const char* where = preview ? "preview" : "post box";
        QTest::addRow("%s: Ctrl+= twice", where)   << preview << QStringList{"Ctrl+=", "Ctrl+="} << 2;
        QTest::addRow("%s: Ctrl++", where)         << preview << QStringList{"Ctrl++"} << 1;
        QTest::addRow("%s: Ctrl+-", where)         << preview << QStringList{"Ctrl+-"} << -1;
        QTest::addRow("%s: back with Ctrl+0", where) << preview << QStringList{"Ctrl+=", "Ctrl+-", "Ctrl+-", "Ctrl+0"} << 0;
        QTest::addRow("%s: no larger than the largest", where) << preview << QStringList(12, "Ctrl+=") << screens::LargestZoom;
        QTest::addRow("%s: and back down from there", where) << preview << (QStringList(12, "Ctrl+=") << "Ctrl+-") << screens::LargestZoom - 1;
        QTest::addRow("%s: no smaller than the smallest", where) << preview << QStringList(9, "Ctrl+-") << screens::SmallestZoom;
        QTest::addRow("%s: wheel up a notch", where) << preview << QStringList{"wheel 120"} << 1;
        QTest::addRow("%s: half notches add up", where) << preview << QStringList{"wheel 60", "wheel 60", "wheel -240"} << -1;
    }
    // clang-format on
}

// The zoom keys and Ctrl with the wheel, in the main window for the post box,
// in the preview for the page: the lettering in steps, the other untouched.
void PreviewTest::eachWindowZoomsItsOwn() {
    QFETCH(bool, inPreview);
    QFETCH(QStringList, inputs);
    QFETCH(int, step);
    Program program;
    PostBuffer post(program.registry);
    PostPreview* preview = previewOf(program.registry, post, u"[b]كلمة[/b] word");
    QVERIFY(preview);
    auto& box = postBox(post);
    PreviewView* view = preview->view();
    QWidget* target = inPreview ? static_cast<QWidget*>(view) : &box;
    QWidget* window = target->window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    target->setFocus();
    const qreal pointSize = box.font().pointSizeF();
    for (const QString& input : inputs) {
        if (input.startsWith(u"wheel")) {
            const QPoint middle = target->rect().center();
            QWheelEvent wheel(middle, target->mapToGlobal(middle), {}, {0, input.sliced(6).toInt()},
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(inPreview ? view->viewport() : box.viewport(), &wheel);
        } else {
            QTest::keySequence(target, QKeySequence(input));
        }
    }
    const qreal scale = screens::zoomScale(step);
    QCOMPARE(box.document()->defaultFont().pointSizeF(), pointSize * (inPreview ? 1 : scale));
    QCOMPARE(view->scale(), inPreview ? scale : 1.0);
    // The page is laid out anew to the width it has at that scale.
    QVERIFY(QTest::qWaitFor([view] { return !view->wantsLayout() && view->document(); }));
    QCOMPARE(int(view->document()->textWidth()), int(view->viewport()->width() / view->scale()));
}

void PreviewTest::opensFromMenuAndKey() {
    Program program;
    Registry& registry = program.registry;
    QVERIFY(exposed(registry, u"Form1"));
    screens::ScreenWindow* main = windowOf(registry, u"Form1");

    // The new menu stands beside the help menu, which keeps its one item; the
    // insert and edit menus come after them, and the board menu last.
    const auto menus = main->menuBar()->actions();
    QCOMPARE(menus.size(), 5);
    QCOMPARE(menus[3]->menu()->objectName(), QStringLiteral("edit"));
    QCOMPARE(menus[4]->menu()->objectName(), u"board"_qs);
    QCOMPARE(menus[0]->text(), QStringLiteral("تعليمات"));
    QCOMPARE(menus[0]->menu()->actions().size(), 1);
    QCOMPARE(menus[1]->text(), QStringLiteral("عرض"));
    QAction* item = menus[1]->menu()->actions().value(0);
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("معاينة الموضوع"));
    QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F5));

    // It does not take the keyboard from the post. (The offscreen platform
    // activates every window it shows, whatever the window asks: the first
    // showing is checked on X, by the end-to-end drive's typing. Here, what
    // the preview does once shown.)
    auto& box = PostBuffer(registry).box();
    box.setFocus();
    item->trigger();
    PostPreview* preview = waitForPreview(registry);
    QVERIFY(preview);
    QVERIFY(preview->window()->testAttribute(Qt::WA_ShowWithoutActivating));
    QWidget* window = preview->window();
    QCOMPARE(window->windowTitle(), QStringLiteral("معاينة الموضوع"));
    QVERIFY(window->isVisible());
    QVERIFY(!window->parentWidget()); // no owner
    QVERIFY(!window->isModal());
    QVERIFY(window->minimumSize() != window->maximumSize()); // resizable

    // Chosen again, from the key this time: the same window, and the keyboard
    // stays in the post, as it does while the preview follows what is typed.
    main->activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), &box);
    QTest::keyClick(&box, Qt::Key_F5);
    QCOMPARE(openPreview(registry), preview);
    QCOMPARE(registry.state(u"Preview"), ScreenState::Shown);
    QTest::keyClicks(&box, QStringLiteral("abc"));
    QVERIFY(shown(*preview).contains(QStringLiteral("abc")));
    QCOMPARE(QApplication::focusWidget(), &box);

    // Esc closes it, and the program runs on, back in the main window.
    preview->window()->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), preview->window());
    QTest::keyClick(preview->view(), Qt::Key_Escape);
    QCOMPARE(registry.state(u"Preview"), ScreenState::Created);
    QTRY_COMPARE(QApplication::activeWindow(), main);
    QCOMPARE(QApplication::focusWidget(), &box);
    QVERIFY(!program.finished);
    flushDeletes();
    item->trigger();
    QVERIFY(waitForPreview(registry));
}

void PreviewTest::followsThePost() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview =
        previewOf(registry, post, u"[color=red]مرحبا[/color] بكم\nHello [b]world[/b] :D");
    QVERIFY(preview);
    QString text = shown(*preview);
    QVERIFY2(text.contains(QStringLiteral("مرحبا بكم")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Hello world")), qPrintable(text));
    QVERIFY2(!text.contains(u'['), qPrintable(text));
    QVERIFY(preview->foot()->isHidden());

    // Typing, a command and undo each show up.
    auto& box = postBox(post);
    box.setFocus();
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral(" typed"));
    QVERIFY(shown(*preview).contains(QStringLiteral("typed")));
    post.append(u"[QUOTE]مقتبس");
    text = shown(*preview);
    QVERIFY2(text.contains(QStringLiteral("[QUOTE]مقتبس")), qPrintable(text)); // as typed
    QVERIFY(preview->foot()->isVisible());
    QVERIFY2(preview->foot()->text().contains(QStringLiteral("[QUOTE]")),
             qPrintable(preview->foot()->text()));
    box.document()->undo();
    QVERIFY(!shown(*preview).contains(QStringLiteral("مقتبس")));
    QVERIFY(preview->foot()->isHidden());
    post.clear();
    QCOMPARE(shown(*preview).trimmed(), QString());
    box.undo();
    QVERIFY(shown(*preview).contains(QStringLiteral("typed")));
    box.redo();
    QCOMPARE(shown(*preview).trimmed(), QString());

    // What the user typed is shown as typed, never as markup of the window.
    post.append(u"<b>&amp;</b>");
    QCOMPARE(shown(*preview).trimmed(), QStringLiteral("<b>&amp;</b>"));
    // and the post itself is as it was.
    QCOMPARE(post.text(), QStringLiteral("<b>&amp;</b>"));

    // The foot counts a character beyond the first 65,536 and a line break as one each.
    post.append(u"\nمرحبا 😀\nabc");
    QVERIFY(shown(*preview).contains(QStringLiteral("abc")));
    QCOMPARE(preview->count()->text(), QStringLiteral("عدد الأحرف: 24"));
    post.clear();
    post.append(u"مرحبا 😀\nabc");
    QVERIFY(!shown(*preview).contains(QStringLiteral("<b>")));
    QCOMPARE(preview->count()->text(), QStringLiteral("عدد الأحرف: 11"));
    // ... and one at the very end of the post.
    post.clear();
    post.append(u"abc 😀");
    QVERIFY(shown(*preview).contains(QStringLiteral("abc 😀")));
    QCOMPARE(preview->count()->text(), QStringLiteral("عدد الأحرف: 5"));
}

void PreviewTest::keepsItsScrollPosition() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview =
        previewOf(registry, post, numbered(400, QStringLiteral("سطر %1 [b]من[/b] الموضوع\n")));
    QVERIFY(preview);
    QScrollBar* bar = preview->view()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 1000);
    bar->setValue(bar->maximum() / 2);
    const int where = bar->value();
    post.append(u":D");
    QVERIFY(preview->isBehind());
    shown(*preview);
    QCOMPARE(bar->value(), where);
}

void PreviewTest::mainWindowClosedAndBack() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer(registry).append(u"first post");
    registry.instance(u"Preview").show();
    PostPreview* preview = waitForPreview(registry);
    QVERIFY(preview);
    QVERIFY(shown(*preview).contains(QStringLiteral("first post")));

    // The post goes with the main window; the preview stays, and shows it gone.
    MessageBoxes boxes;
    boxes.leave = true;
    windowOf(registry, u"Form1")->close();
    flushDeletes();
    QVERIFY(!program.finished);
    QTRY_COMPARE(shown(*preview).trimmed(), QString());

    // An insertion from a dialog brings a new main window, which the preview follows.
    registry.instance(u"Form2").show();
    click(registry, u"Form2", u"Image1");
    QTRY_VERIFY(shown(*preview).contains(QStringLiteral("http://")));
}

void PreviewTest::laidOutBeforeShown() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview = previewOf(
        registry, post,
        numbered(
            200,
            QStringLiteral(
                "سطر %1 من الموضوع، [b]طويل[/b] بما يكفي ليلتف مرة على الأقل في نافذة ضيقة\n")));
    QVERIFY(preview);
    PreviewView* view = preview->view();

    // What the window shows comes laid out, whole, to the page's width.
    const auto laidOutWhole = [view] {
        const QTextDocument* document = view->document();
        if (!document || view->wantsLayout())
            return false;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            if (!block.layout() || block.layout()->lineCount() == 0)
                return false;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(laidOutWhole(), Answer);
    QCOMPARE(qRound(view->document()->textWidth()), view->viewport()->width());
    const qreal tall = view->document()->documentLayout()->documentSize().height();

    // Narrower, the lines wrap more: laid out anew to the new width.
    preview->window()->resize(preview->window()->width() - 150, preview->window()->height());
    QTRY_COMPARE(qRound(view->document()->textWidth()), view->viewport()->width());
    QTRY_VERIFY_WITH_TIMEOUT(laidOutWhole(), Answer);
    QVERIFY(view->document()->documentLayout()->documentSize().height() > tall);
    QCOMPARE(view->verticalScrollBar()->maximum(),
             qCeil(view->document()->documentLayout()->documentSize().height()) -
                 view->viewport()->height());
}

// A long post is shown once its rendering reaches past the bottom of the view,
// the rest added there; a change meanwhile is read at once, and shown whole.
void PreviewTest::showsWhatIsInViewFirst() {
    Program program;
    PostBuffer post(program.registry);
    PostPreview* preview = previewOf(program.registry, post,
                                     numbered(12000, QStringLiteral("سطر %1 [b]من[/b] الموضوع\n")));
    QVERIFY(preview);
    const int whole = preview->view()->document()->characterCount();
    post.append(u"النهاية");
    QTRY_VERIFY_WITH_TIMEOUT(!preview->isBehindInView(), Answer);
    QVERIFY(preview->isBehind());
    QVERIFY(preview->view()->document()->characterCount() < whole);
    QVERIFY(preview->view()->toPlainText().startsWith(QStringLiteral("سطر 0 من الموضوع")));
    post.append(u" تم");
    const QString text = shown(*preview);
    QVERIFY2(text.endsWith(QStringLiteral("سطر 11999 من الموضوع\nالنهاية تم")),
             qPrintable(text.right(80)));
    // The scroll bar reaches the whole of what was added on show.
    const PreviewView& view = *preview->view();
    QCOMPARE(view.verticalScrollBar()->maximum(),
             qCeil(view.document()->documentLayout()->documentSize().height()) -
                 view.viewport()->height());
    // Replaced on show by a rendering made in one step.
    post.append(u"!");
    QTRY_VERIFY_WITH_TIMEOUT(!preview->isBehindInView() && preview->isBehind(), Answer);
    post.clear();
    QCOMPARE(shown(*preview).trimmed(), QString());
}

void PreviewTest::tipsAndReader() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview =
        previewOf(registry, post,
                  u"[url=http://example.org/a]الرابط[/url] ثم [b]نص[/b] [x] "
                  u"[url=http://x/<img src=file:///etc/passwd>]هنا[/url] "
                  u"[url=http://مثال.كوم/صفحة]عربي[/url] :D [img]http://x/a.png[/img]");
    QVERIFY(preview);
    PreviewView* view = preview->view();

    // Hovering over a word shows what the board makes of it: a link its
    // address, a tag shown as typed what is wrong with it.
    const auto tipOver = [view](const QString& word) {
        const int at = view->document()->toPlainText().indexOf(word);
        if (at < 0)
            return QStringLiteral("(no %1)").arg(word);
        const QTextBlock block = view->document()->findBlock(at + 1);
        const QTextLine line = block.layout()->lineForTextPosition(at + 1 - block.position());
        const QPointF middle =
            block.layout()->position() +
            QPointF(line.cursorToX(at + 1 - block.position()), line.y() + line.height() / 2);
        const QPoint local = middle.toPoint() - QPoint(view->horizontalScrollBar()->value(),
                                                       view->verticalScrollBar()->value());
        QHelpEvent help(QEvent::ToolTip, local, view->viewport()->mapToGlobal(local));
        QCoreApplication::sendEvent(view->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipOver(QStringLiteral("نص")), QString());
    // An address reads left to right as typed, Arabic and all.
    QCOMPARE(tipOver(QStringLiteral("الرابط")),
             oneLine(QStringLiteral("\u2066http://example.org/a\u2069")));
    QCOMPARE(tipOver(QStringLiteral("عربي")),
             oneLine(u"\u2066http://مثال\u200e.كوم\u200e/صفحة\u200e\u2069"_qs));
    QCOMPARE(tipOver(QStringLiteral("[x]")), QStringLiteral("وسم غير معروف"));
    // An address a board refuses is no link: its tag is shown as typed.
    QCOMPARE(tipOver(QStringLiteral("[url=http:")), QStringLiteral("رابط غير مقبول"));

    // A screen reader reads the page as text.
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(view);
    QVERIFY(page);
    QCOMPARE(page->role(), QAccessible::Document);
    QAccessibleTextInterface* text = page->textInterface();
    QVERIFY(text);
    // It reads a link as a link with its address, a smiley as its meaning and
    // code, a placeholder as its label and address, a marked tag with its
    // problem, and no direction marks.
    const QString read = text->text(0, text->characterCount());
    QCOMPARE(text->characterCount(), int(read.size()));
    for (
        const QString& said :
        {u"رابط: الرابط (http://example.org/a) ثم نص [x] (وسم غير معروف)"_qs,
         u"[url=http://x/<img src=file:///etc/passwd>] (رابط غير مقبول)هنا[/url] (رابط غير مقبول)"_qs,
         u"رابط: عربي (http://مثال.كوم/صفحة) وجه ضاحك :D صورة http://x/a.png"_qs})
        QVERIFY2(read.simplified().contains(said), qPrintable(read));
    QVERIFY2(
        !read.contains(QRegularExpression(u"[\u200e\u200f\u202a-\u202e\u2060\u2066-\u2069]"_qs)),
        qPrintable(read));
    // Where it reads is where the page shows it.
    const int nas = int(read.indexOf(QStringLiteral("نص")));
    const QRect at = text->characterRect(nas);
    QVERIFY(at.isValid());
    QVERIFY(std::abs(text->offsetAtPoint(at.center()) - nas) <= 1); // a cursor position next to it
    QVERIFY(text->characterRect(0).isValid());
}

void PreviewTest::footNamesEveryProblem() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview =
        previewOf(registry, post,
                  numbered(80, QStringLiteral("سطر %1\n")) +
                      QStringLiteral("[url=javascript:alert(1)]x[/url] [size=7]y[/size] [b]z"));
    QVERIFY(preview);
    PreviewView* view = preview->view();
    // A link the board refuses is shown as typed, marked and counted; size 7 is taken.
    QVERIFY(shown(*preview).contains(QStringLiteral("[url=javascript:alert(1)]x[/url] y [b]z")));
    QVERIFY(preview->foot()->isVisible());
    QCOMPARE(preview->foot()->accessibleName(),
             QStringLiteral("وسم غير مغلق: [b]؛ رابط غير مقبول: javascript:alert(1)"));
    // The list names each, and reads to a screen reader without direction marks.
    QListView* list = preview->problems();
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), 2);
    QCOMPARE(list->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("رابط غير مقبول: javascript:alert(1)"));

    // F8 (or a click on the foot line) shows the first in the page, then the next, round again.
    const auto selected = [view] {
        return view->selectedText().remove(QChar(0x2066)).remove(QChar(0x2069));
    };
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    QTest::keyClick(view, Qt::Key_F8);
    QCOMPARE(selected(), QStringLiteral("[url=javascript:alert(1)]"));
    QVERIFY(view->verticalScrollBar()->value() > 0);
    QVERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_F8);
    QCOMPARE(selected(), QStringLiteral("[b]"));
    QTest::mouseClick(preview->foot(), Qt::LeftButton);
    QCOMPARE(selected(), QStringLiteral("[url=javascript:alert(1)]"));
    // Enter on a row of the list shows that one.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(selected(), QStringLiteral("[b]"));

    // However many, every one is in the list.
    post.append(numbered(500, QStringLiteral("[foo%1]")));
    QVERIFY(shown(*preview).contains(QStringLiteral("[foo499]")));
    QCOMPARE(list->model()->rowCount(), 502);
    QCOMPARE(list->model()->index(501, 0).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("وسم غير معروف: [foo499]"));

    // A row chosen while a long post is still being added on show stays
    // chosen once the rest is in.
    post.append(numbered(12000, QStringLiteral("\n[bar%1] سطر")));
    QTRY_VERIFY(!preview->isBehindInView());
    QVERIFY(preview->isBehind());
    list->setCurrentIndex(list->model()->index(7, 0));
    QTRY_VERIFY(!preview->isBehind());
    QCOMPARE(list->model()->rowCount(), 12502);
    QCOMPARE(list->currentIndex().row(), 7);
}

// The menu's board is the one the preview reads the post as: its marks, its
// foot and its name follow a choice at once, and the default comes back.
void PreviewTest::followsTheChosenBoard() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview = previewOf(registry, post, u"[url=http://example.com]x[url/] :)");
    QVERIFY(preview);
    auto* menu = registry.instance(u"Form1").window()->findChild<QMenu*>(u"board"_qs);
    QVERIFY(menu);
    const auto ticked = [menu] {
        QStringList names;
        for (QAction* item : menu->actions())
            if (item->isChecked())
                names << item->objectName();
        return names;
    };
    QCOMPARE(ticked(), QStringList{u"default"_qs});
    QCOMPARE(menu->actions().size(), 6);
    QCOMPARE(shown(*preview), QStringLiteral("x :)"));
    QVERIFY(preview->foot()->isHidden());
    QCOMPARE(preview->board()->accessibleName(), QStringLiteral("المنتدى: الافتراضي"));

    menu->findChild<QAction*>(u"phpbb"_qs)->trigger();
    QCOMPARE(ticked(), QStringList{u"phpbb"_qs});
    QCOMPARE(shown(*preview), QStringLiteral("[url=http://example.com]x[url/] \uFFFC"));
    QCOMPARE(preview->foot()->accessibleName(),
             QStringLiteral("وسم غير مغلق: [url=http://example.com]؛ وسم غير معروف: [url/]"));
    QCOMPARE(preview->board()->accessibleName(), QStringLiteral("المنتدى: phpBB 3.3"));
    QVERIFY(preview->showProblem(0));
    QCOMPARE(preview->view()->selectedText().remove(QChar(0x2066)).remove(QChar(0x2069)),
             QStringLiteral("[url=http://example.com]"));

    menu->findChild<QAction*>(u"default"_qs)->trigger();
    QCOMPARE(shown(*preview), QStringLiteral("x :)"));
    QVERIFY(preview->foot()->isHidden());
    QCOMPARE(preview->board()->accessibleName(), QStringLiteral("المنتدى: الافتراضي"));
}

void PreviewTest::selectsAndCopies() {
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview = previewOf(
        registry, post,
        u"[b]مرحبا[/b] بكم :D [foo bar]\nHello [i]world[/i][img]https://example.com/a.png[/img]");
    QVERIFY(preview);
    PreviewView* view = preview->view();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    // Ctrl+C with nothing selected leaves the clipboard alone.
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("before"));

    // Ctrl+A, Ctrl+C: what the reader sees, a line a paragraph, the smiley as
    // its code, the picture as its address, a blank that holds a tag on one
    // line as the blank it is; a drag carries the same.
    const QString all = u"مرحبا بكم :D [foo bar]\nHello world https://example.com/a.png"_qs;
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), all);
    QCOMPARE(std::unique_ptr<QMimeData>(view->selectionData())->text(), all);

    // A selection ends when the post is shown anew.
    post.append(u" :)");
    QVERIFY(preview->isBehind());
    shown(*preview);
    QCOMPARE(view->selectionStart(), view->selectionEnd());

    // A double click takes the word under the pointer; a drag what it covers.
    const QTextBlock second = view->document()->lastBlock();
    const auto pointAt = [view](const QTextBlock& block, int within) {
        const QTextLine line = block.layout()->lineForTextPosition(within);
        return (block.layout()->position() +
                QPointF(line.cursorToX(within), line.y() + line.height() / 2))
                   .toPoint() -
               QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    };
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pointAt(second, 2));
    QCOMPARE(view->selectedText(), QStringLiteral("Hello"));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pointAt(second, 8));
    QTest::mouseMove(view->viewport(), pointAt(second, 0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pointAt(second, 0));
    QCOMPARE(view->selectedText(), QStringLiteral("Hello wo"));
    view->copy();
    QCOMPARE(clipboard->text(), QStringLiteral("Hello wo"));
    // A click inside the selection, without a drag, ends it there.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pointAt(second, 2));
    QCOMPARE(view->selectionStart(), view->selectionEnd());

    // Ctrl+A chosen while the preview still reads the post has nothing to take.
    registry.instance(u"Preview").unload();
    registry.instance(u"Preview").show();
    PostPreview* again = openPreview(registry);
    QVERIFY(again && !again->view()->document());
    QTest::keyClick(again->view(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(shown(*again).contains(QStringLiteral("Hello world")));
    QCOMPARE(again->view()->selectionStart(), again->view()->selectionEnd());
}

// An idle worker of the thread pool ends after its expiry time (30 s unless
// shortened, as here), and takes its thread's font engines with it: whatever
// the window shows must have been shaped in the window's own thread.
void PreviewTest::outlivesItsWorkers() {
    QThreadPool* pool = &workers();
    const int expiry = pool->expiryTimeout();
    pool->setExpiryTimeout(20);
    const auto restore = qScopeGuard([&] { pool->setExpiryTimeout(expiry); });
    QTest::failOnWarning(QRegularExpression(".*[Tt]hread.*"));
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    PostPreview* preview = previewOf(registry, post, u"مرحبا [b]بكم[/b] :D\nHello world");
    QVERIFY(preview);
    QTRY_COMPARE(pool->activeThreadCount(), 0);
    QTest::qWait(200); // past the expiry: the workers are gone

    PreviewView* view = preview->view();
    QVERIFY(!view->grab().isNull());
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QWheelEvent wheel(QPointF(20, 10), view->viewport()->mapToGlobal(QPointF(20, 10)), {},
                      QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    preview->window()->resize(preview->window()->size() - QSize(80, 40));
    QVERIFY(!view->grab().isNull());
    QTRY_VERIFY_WITH_TIMEOUT(!preview->isBehind() && !view->wantsLayout(), Answer);
    QVERIFY(!view->grab().isNull());
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->selectedText(), QStringLiteral("مرحبا بكم :D\nHello world"));
    QCOMPARE(post.text(), QStringLiteral("مرحبا [b]بكم[/b] :D\nHello world"));
}

// Closed while it reads or builds a long post: nothing waits for the worker,
// and what was half built goes without a word.
void PreviewTest::closesWhileItRenders() {
    QTest::failOnWarning(QRegularExpression(".*([Tt]hread|[Tt]imer|[Dd]estroy|[Dd]elet).*"));
    Program program;
    Registry& registry = program.registry;
    PostBuffer post(registry);
    post.append(numbered(2600, QStringLiteral("سطر %1 [b]من[/b] الموضوع :D [url=http://x]y\n")));
    std::vector<qint64> closings;
    for (int run = 0; run < 20; ++run) {
        registry.instance(u"Preview").show();
        PostPreview* preview = openPreview(registry);
        QVERIFY(preview);
        QTest::qWait(run * 10 % 190);
        post.append(u":D");
        QVERIFY(preview->isBehind());
        QElapsedTimer closing;
        closing.start();
        QTest::keyClick(preview->view(), Qt::Key_Escape);
        flushDeletes();
        closings.push_back(closing.elapsed());
        QCOMPARE(registry.state(u"Preview"), ScreenState::Created);
    }
    // Each close comes while the preview is behind the post: were it to wait
    // for the worker, every one would be slow; a busy machine stalls a few.
    std::sort(closings.begin(), closings.end());
    qInfo("closing took %lld ms in the middle, at most %lld ms", closings[10], closings.back());
    QVERIFY2(closings[10] < 100, "closing waits for nothing");
}

// Qt's painting fills a large area with the threads of its global pool, and
// waits for them: the program's own readings, however long, never hold those.
void PreviewTest::paintsWhileWorkersAreBusy() {
    for (int i = 0; i < workers().maxThreadCount(); ++i)
        workers().start([] { QThread::msleep(1500); });
    QImage page(2000, 2000, QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer timer;
    timer.start();
    {
        QPainter painter(&page);
        painter.fillRect(page.rect(), QColor(10, 20, 30, 128));
    }
    const qint64 took = timer.elapsed();
    workers().waitForDone();
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
}

QTEST_MAIN(PreviewTest)
#include "tst_preview.moc"
