// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Texts no one means to write but anyone can paste: control characters, broken
// UTF-16, direction marks, every kind of line break, and posts far beyond a
// board's limit, through every command that changes the post. Every code unit
// must reach the post as it was given, save line breaks: CR, CR LF and the
// paragraph separator each become one "\n", as a board's own text field makes them.

#include "post/post.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

QString lineBreaksAsBoardsKeepThem(QString text) {
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void paste(QWidget& box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
}

// A command that takes a text from a dialog's box: how to open the dialog,
// which box, which OK, and what it adds around the text with its other boxes
// left as they open.
struct Insertion {
    QStringList open; // "Screen.Control" clicks
    const char16_t* screen;
    const char16_t* box;
    const char16_t* ok;
    const char16_t* before;
    const char16_t* after;
};

const Insertion insertions[] = {
    {{"Form1.Image1"}, u"Form2", u"Text1", u"Image1", u"[img]", u"[/img]"},
    {{"Form1.Image3"}, u"Form3", u"Text1", u"Image1", u"[url=http://]", u"[url/]"},
    {{"Form1.Image3"}, u"Form3", u"Text2", u"Image1", u"[url=", u"][url/]"},
    {{"Form1.Image2"}, u"Form4", u"Text1", u"Image1", u"[web]", u"[/web]"},
    {{"Form1.Image6"}, u"Form8", u"Text1", u"Image1", u"[FLASH=", u"]WIDTH=400HEIGHT=350[/FLASH]"},
    {{"Form1.Image6"},
     u"Form8",
     u"Text3",
     u"Image1",
     u"[FLASH=http://]WIDTH=",
     u"HEIGHT=350[/FLASH]"},
    {{"Form1.Image4"}, u"Form19", u"Text1", u"Image1", u"[SOUND]", u"[/SOUND]"},
    {{"Form1.Image5"}, u"Form20", u"Text1", u"Image1", u"[RAM2]", u"[/RAM2]"},
    {{"Form1.Label11"}, u"Form18", u"Text1", u"Image1", u"[QUOTE]", u"[/QUOTE]"},
    {{"Form1.Command1"}, u"Form17", u"Text2", u"Command2", u"[size=2]", u"[/size]"},
    {{"Form1.Image17", "Form9.Label12"},
     u"Form12",
     u"Text1",
     u"Image1",
     u"[color=blue]",
     u"[/color]"},
};

void clickStep(Registry& registry, const QString& step) {
    click(registry, step.section(u'.', 0, 0), step.section(u'.', 1));
}

} // namespace

class HostileTest : public QObject {
    Q_OBJECT

private slots:
    void throughEveryCommand_data();
    void throughEveryCommand();
    void hugePostsStayWhole_data();
    void hugePostsStayWhole();
};

void HostileTest::throughEveryCommand_data() {
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("NUL")                << QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0);
    QTest::newRow("C0 and DEL")         << QStringLiteral("\x01\x07\x08\x1b[31m\x7f\t");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + QStringLiteral("x");
    QTest::newRow("lone low surrogate") << QStringLiteral("x") + QChar(0xDE00);
    QTest::newRow("pair reversed")      << QString(QChar(0xDE00)) + QChar(0xD83D);
    QTest::newRow("embeddings, overrides") << QStringLiteral("\u202Aa\u202Bب\u202Cc\u202Dd\u202Ee");
    QTest::newRow("isolates, marks")    << QStringLiteral("\u2066a\u2067ب\u2068c\u2069\u200E\u200F\u061C");
    QTest::newRow("override unclosed")  << QStringLiteral("[url=\u202Ehttp://moc.elpmaxe]");
    QTest::newRow("CR")                 << QStringLiteral("a\rb\r");
    QTest::newRow("CR LF")              << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b");
    QTest::newRow("mixed breaks")       << QStringLiteral("\r\n\r\r\n\n\u2029\n\r");
    QTest::newRow("line separator, no-break space kept") << QStringLiteral("a\u2028b\u00A0c");
    QTest::newRow("noncharacters, BOM") << QStringLiteral("\uFEFF\uFFFE\uFFFF\uFFFC");
    // clang-format on
}

void HostileTest::throughEveryCommand() {
    QFETCH(QString, text);
    Program program;
    Registry& registry = program.registry;
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    QString model = QStringLiteral("قبل ");
    setPost(registry, model);

    const auto check = [&](const char* after) {
        QVERIFY2(postText(registry) == model,
                 qPrintable(QStringLiteral("after %1: %2 code units, expected %3")
                                .arg(QLatin1String(after))
                                .arg(postText(registry).size())
                                .arg(model.size())));
    };

    // Pasted into the post box itself (a keyboard types none of these).
    post.moveCursor(QTextCursor::End);
    paste(post, text);
    model = lineBreaksAsBoardsKeepThem(model + text);
    check("a paste into the post");
    if (QTest::currentTestFailed())
        return;

    // Into each dialog's box, then its OK.
    for (const Insertion& insertion : insertions) {
        for (const QString& step : insertion.open)
            clickStep(registry, step);
        QLineEdit& box = testing::box(registry, insertion.screen, insertion.box);
        box.selectAll();
        paste(box, text);
        const QString inBox = box.text();
        // A box holds one line: what it makes of a line break is its own
        // affair, but nothing else may change.
        QCOMPARE(lineBreaksAsBoardsKeepThem(inBox).remove(u'\n'),
                 lineBreaksAsBoardsKeepThem(text).remove(u'\n'));
        click(registry, insertion.screen, insertion.ok);
        model = lineBreaksAsBoardsKeepThem(model + QString::fromUtf16(insertion.before) + inBox +
                                           QString::fromUtf16(insertion.after));
        check(qPrintable(QString::fromUtf16(insertion.screen) + u'.' +
                         QString::fromUtf16(insertion.box)));
        flushDeletes();
    }

    // The commands of the post as a whole, each undone and done again.
    const QString before = model;
    click(registry, u"Form1", u"Image11");
    model += QStringLiteral(";)");
    check("a smiley");
    if (QTest::currentTestFailed())
        return;
    clickStep(registry, QStringLiteral("Form1.Image17"));
    clickStep(registry, QStringLiteral("Form9.Label3"));
    model = QStringLiteral("[color=green]") + model + QStringLiteral("[/color]");
    check("the whole post coloured");
    if (QTest::currentTestFailed())
        return;
    clickStep(registry, QStringLiteral("Form1.Command1"));
    clickStep(registry, QStringLiteral("Form17.Label4"));
    model = QStringLiteral("[size=3]") + model + QStringLiteral("[/size]");
    check("the whole post sized");
    if (QTest::currentTestFailed())
        return;
    const QString wrapped = model;
    click(registry, u"Form1", u"Image19");
    model.clear();
    check("clear");
    if (QTest::currentTestFailed())
        return;
    post.undo();
    model = wrapped;
    check("the clear undone");
    if (QTest::currentTestFailed())
        return;
    post.undo();
    post.undo();
    post.undo();
    model = before;
    check("both wraps and the smiley undone");
    if (QTest::currentTestFailed())
        return;
}

void HostileTest::hugePostsStayWhole_data() {
    QTest::addColumn<QString>("text");
    // Undoing a change of a 10 MiB post lays all of it out again, seconds a
    // time under the sanitizers; the 1 MiB line goes through every undo.
    QTest::addColumn<bool>("undoes");
    QString lines;
    while (lines.size() < qsizetype(10) * 1024 * 1024)
        lines += QStringLiteral("سطر \u202Eمقلوب\u202C [b]bold[/b]\r\n");
    QString line;
    while (line.size() < qsizetype(1024) * 1024)
        line += QStringLiteral("كلمة word \u2067عزل\u2069 ") + QChar(0) + QChar(0xD800);
    QTest::newRow("10 MiB of lines, CR LF") << lines << false;
    QTest::newRow("1 MiB line, NUL and lone surrogates") << line << true;
}

void HostileTest::hugePostsStayWhole() {
    QFETCH(QString, text);
    QFETCH(bool, undoes);
    Program program;
    Registry& registry = program.registry;
    auto& post = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
    paste(post, text);
    QString model = lineBreaksAsBoardsKeepThem(text);
    QCOMPARE(postText(registry), model);
    // A paste of megabytes goes in by parts, all one step of the undo history.
    post.undo();
    QCOMPARE(postText(registry), QString());
    post.redo();
    QCOMPARE(postText(registry), model);
    // The caret reaches the end of a long line, and what is typed there lands
    // in the post, drawn where the line ends.
    post.moveCursor(QTextCursor::End);
    QTest::keyClick(&post, Qt::Key_Z);
    QCOMPARE(postText(registry), model + u'z');
    QTest::keyClick(&post, Qt::Key_Backspace);
    QCOMPARE(postText(registry), model);
    QVERIFY(!post.viewport()->grab().isNull());
    const auto* layout = qobject_cast<PostLayout*>(post.document()->documentLayout());
    QVERIFY(post.viewport()->rect().intersects(post.caretInView(int(model.size()))));
    QVERIFY(layout->characterRect(int(model.size()) - 1).width() > 0 || model.endsWith(u'\n'));

    click(registry, u"Form1", u"Image11");
    QCOMPARE(postText(registry), model + QStringLiteral(";)"));
    if (undoes) {
        post.undo();
        QCOMPARE(postText(registry), model);
    } else {
        model += QStringLiteral(";)");
    }
    clickStep(registry, QStringLiteral("Form1.Image17"));
    clickStep(registry, QStringLiteral("Form9.Label7"));
    QCOMPARE(postText(registry),
             QStringLiteral("[color=purple]") + model + QStringLiteral("[/color]"));
    if (undoes) {
        post.undo();
        QCOMPARE(postText(registry), model);
    } else {
        model = QStringLiteral("[color=purple]") + model + QStringLiteral("[/color]");
    }
    click(registry, u"Form1", u"Image19");
    QCOMPARE(postText(registry), QString());
    if (undoes) {
        post.undo();
        QCOMPARE(postText(registry), model);
    }
}

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
