// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which way each line of the post reads, where it stands in the box, and that
// none of it reaches the post's text or its undo history.

#include "post/post.h"
#include "post/reading.h"
#include "postbox/line.h"
#include "postbox/post_box.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QClipboard>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

using namespace qirtaz;
using namespace qirtaz::testing;
using namespace Qt::StringLiterals;
using reading::Direction;

namespace {

const QString arabicWord = QStringLiteral("مرحبا");
const QString longArabic = QStringLiteral("هذا سطر طويل جدا في منتدانا ").repeated(12);

PostLayout& layoutOf(postbox::PostBox& box) {
    return *qobject_cast<PostLayout*>(box.document()->documentLayout());
}

// A rectangle of the document where the box's viewport shows it.
QRectF inView(postbox::PostBox& box, const QRectF& rect) {
    return rect.translated(-box.scrolled());
}

// Where the character at a position is drawn, and the caret, in the viewport.
QRectF letterAt(postbox::PostBox& box, int position) {
    return inView(box, layoutOf(box).characterRect(position));
}
QRect caretAt(postbox::PostBox& box, int position) {
    return box.caretInView(position);
}

// Where the first character of a line is drawn, in the box's viewport.
QRectF firstLetter(postbox::PostBox& box, int blockNumber) {
    return letterAt(box, box.document()->findBlockByNumber(blockNumber).position());
}

QString directions(postbox::PostBox& box) {
    QString seen;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        switch (layoutOf(box).direction(block)) {
        case Direction::LeftToRight:
            seen += u'L';
            break;
        case Direction::RightToLeft:
            seen += u'R';
            break;
        case Direction::Neutral:
            seen += u'?';
            break;
        }
    }
    return seen;
}

// A line of count parts drawn at random.
QString randomLine(QRandomGenerator& random, const QStringList& parts, int count) {
    QString line;
    for (int i = 0; i < count; ++i)
        line += parts[random.bounded(int(parts.size()))];
    return line;
}

// Which random line failed, to draw it again.
QByteArray roundOf(quint32 seed, int round) {
    return "seed " + QByteArray::number(seed) + ", round " + QByteArray::number(round);
}

// Some text of the kinds a line holds: words of either direction, blanks,
// tags whole and broken, smiley codes, addresses, emoji and halves of them.
QString randomText(QRandomGenerator& random, qsizetype size) {
    static const QString bits[] = {
        QStringLiteral("مرحبا "), QStringLiteral("بكم"),     QStringLiteral("word "),
        QStringLiteral("board"),  QStringLiteral(" "),       QStringLiteral("  "),
        QStringLiteral("\t"),     QStringLiteral("[b]"),     QStringLiteral("[/b]"),
        QStringLiteral("[url="),  QStringLiteral("]"),       QStringLiteral("["),
        QStringLiteral(":D"),     QStringLiteral(";)"),      QStringLiteral(":confused:"),
        QStringLiteral(":"),      QStringLiteral("http://"), QStringLiteral("www.موقع.com/x"),
        QStringLiteral("😀"),      QString(QChar(0xD83D)),    QString(QChar(0xDE00)),
        QStringLiteral("12"),     QStringLiteral("."),       QStringLiteral("[color=red]"),
    };
    QString text;
    while (text.size() < size) {
        if (random.bounded(3000) == 0)
            text += QChar::LineSeparator;
        text += bits[random.bounded(int(std::size(bits)))];
    }
    return text;
}

// The line's rows and pieces as cut, and its markup, to compare two lines.
QString cutsOf(const postbox::Line& line) {
    QString cuts;
    for (const reading::Span& span : line.markup())
        cuts += QStringLiteral("markup %1+%2\n").arg(span.start).arg(span.length);
    for (const postbox::Row& row : line.rows()) {
        cuts += QStringLiteral("\nrow %1-%2:").arg(row.from).arg(row.to);
        for (const postbox::ShapedPiece& piece : row.pieces) {
            cuts += QStringLiteral("\n %1-%2 [").arg(piece.from).arg(piece.to) + piece.shown + u']';
            for (const postbox::Piece::Control& control : piece.controls)
                cuts += QStringLiteral(" %1%2").arg(control.opens ? '<' : '>').arg(control.at);
        }
    }
    return cuts;
}

// How a line of the post is changed, in widestLineFollowsChanges.
enum class Edit { Shorten, Remove, TurnEnglish, TurnArabic, Clear, ClearAndUndo, LargerFont };

} // namespace

Q_DECLARE_METATYPE(Edit)

class ReadingTest : public QObject {
    Q_OBJECT

private slots:
    void lineDirection_data();
    void lineDirection();
    void ownOrderPieces_data();
    void ownOrderPieces();
    void markup_data();
    void markup();
    void boxDirections_data();
    void boxDirections();
    void everyLineStartsInView();
    void readerLinesAreTheRows();
    void wrappedViewStaysStill_data();
    void wrappedViewStaysStill();
    void homeShowsTheLineStart_data();
    void homeShowsTheLineStart();
    void markupMutedInView_data();
    void markupMutedInView();
    void rightAlignPutsEveryLineRight();
    void widestLineFollowsChanges_data();
    void widestLineFollowsChanges();
    void displayOnly();
    void markupReadsAsTyped_data();
    void markupReadsAsTyped();
    void displayMapRoundTrips();
    void wrapRowsOverRandomLines();
    void wordsAndClicksOverRandomLines_data();
    void wordsAndClicksOverRandomLines();
    void arrowsFollowTheScreen();
    void keysAWriterExpects();
    void changeCutsAgainAsWhole_data();
    void changeCutsAgainAsWhole();
    void rowsFollowSeparators_data();
    void rowsFollowSeparators();
};

void ReadingTest::lineDirection_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("direction");
    const int L = int(Direction::LeftToRight), R = int(Direction::RightToLeft),
              N = int(Direction::Neutral);
    // clang-format off
    QTest::newRow("arabic")                  << "مرحبا بكم" << R;
    QTest::newRow("english")                 << "Hello" << L;
    QTest::newRow("empty")                   << "" << N;
    QTest::newRow("digits and blanks")       << "123 - 456" << N;
    QTest::newRow("tag then arabic")         << "[color=red]مرحبا[/color] بكم" << R;
    QTest::newRow("closing tag first")       << "[/QUOTE]مرحبا" << R;
    QTest::newRow("address skipped")         << "[url=http://example.org]رابط[url/]" << R;
    QTest::newRow("flash address skipped")   << "[FLASH=http://x]WIDTH=400HEIGHT=350[/FLASH]" << L;
    QTest::newRow("smileys skipped")         << ":D :p :mad: :confused: :eek: ;) :( مرحبا" << R;
    QTest::newRow("only markup")             << "[color=red][/color]:D" << N;
    QTest::newRow("image address is text")   << "[img]http://[/img] مرحبا" << L;
    QTest::newRow("english after tag")       << "[b]Hello[/b] مرحبا" << L;
    QTest::newRow("no tag: digits")          << "[1] Hello" << L;
    QTest::newRow("no tag: arabic inside")   << "[ملاحظة] Hello" << R;
    QTest::newRow("unclosed bracket")        << "[color=red مرحبا" << L;
    QTest::newRow("bracket inside tag")      << "[b[i]]مرحبا" << L;
    QTest::newRow("hebrew")                  << "[b]שלום" << R;
    QTest::newRow("letter beyond the BMP")   << QString::fromUcs4(U"[b]\U0001D400 مرحبا") << L;
    QTest::newRow("lone surrogate")          << QString(QChar(0xD800)) + "مرحبا" << R;
    QTest::newRow("bidi control only")       << QString(QChar(0x202E)) + "123" << N;
    QTest::newRow("nul then english")        << QString(QChar(0)) + "abc" << L;
    // clang-format on
}

void ReadingTest::lineDirection() {
    QFETCH(QString, line);
    QFETCH(int, direction);
    QCOMPARE(int(reading::ownDirection(line)), direction);
}

void ReadingTest::ownOrderPieces_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("pieces");
    // clang-format off
    QTest::newRow("address in arabic")   << "انظر WWW.Example.COM هنا" << QStringList{"WWW.Example.COM"};
    QTest::newRow("schemes in any case") << "see http://x.org/a or HTTPS://X.ORG" << QStringList{"http://x.org/a", "HTTPS://X.ORG"};
    QTest::newRow("tags around address") << "[b]www.x.org[/b] :D" << QStringList{"[b]", "www.x.org", "[/b]", ":D"};
    QTest::newRow("inside a word")       << "nowww.x.org" << QStringList{};
    QTest::newRow("a scheme alone")      << "http:// مرحبا" << QStringList{};
    // clang-format on
}

// The pieces of a line that read left to right as typed, whatever the line's direction.
void ReadingTest::ownOrderPieces() {
    QFETCH(QString, line);
    QFETCH(QStringList, pieces);
    QStringList found;
    for (const reading::Span& span : reading::ownOrderSpans(line))
        found << line.sliced(span.start, span.length);
    QCOMPARE(found, pieces);
}

void ReadingTest::markup_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("spans"); // start:length, blank separated
    // clang-format off
    QTest::newRow("colour word")    << "[color=red]x[/color]" << "0:11 12:8";
    QTest::newRow("link")           << "[url=http://a]b[url/]" << "0:14 15:6";
    QTest::newRow("smileys")        << "a:Db;):confused:" << "1:2 4:2 6:10";
    QTest::newRow("no tags")        << "[1] [ ] [/] [ملاحظة] ]" << "";
    QTest::newRow("nested brackets")<< "[[b]]" << "1:3";
    QTest::newRow("unfinished")     << "[b" << "";
    QTest::newRow("colon alone")    << ": ; :x" << "";
    // clang-format on
}

void ReadingTest::markup() {
    QFETCH(QString, line);
    QFETCH(QString, spans);
    QStringList seen;
    for (const reading::Span& span : reading::markupSpans(line))
        seen << QStringLiteral("%1:%2").arg(span.start).arg(span.length);
    QCOMPARE(seen.join(u' '), spans);
}

void ReadingTest::boxDirections_data() {
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("directions");
    // clang-format off
    QTest::newRow("empty post")               << "" << "R";
    QTest::newRow("neutral first line")       << "123\nabc\n:D\nمرحبا\n" << "RLLRR";
    QTest::newRow("tag before arabic")        << "[color=red]مرحبا[/color] بكم\nHello [b]world[/b] :D" << "RL";
    QTest::newRow("empty lines follow")       << "Hello\n\n\nمرحبا\n" << "LLLRR";
    // clang-format on
    // Hundreds of lines come in at once, read from one copy of the whole text.
    QTest::newRow("hundreds of lines")
        << QStringLiteral("Hello\nمرحبا\n123\n:D\n").repeated(100) + u'x'
        << QStringLiteral("LRRR").repeated(100) + u'L';
}

void ReadingTest::boxDirections() {
    QFETCH(QString, post);
    QFETCH(QString, directions);
    Program program;
    PostBuffer buffer(program.registry);
    buffer.append(post);
    QCOMPARE(::directions(postBox(buffer)), directions);
    // The same text set whole, with the undo history off, and then a new font,
    // which the box takes as a change of every line with the text as it was.
    postBox(buffer).setPlainText(post);
    QCOMPARE(::directions(postBox(buffer)), directions);
    QFont larger = postBox(buffer).document()->defaultFont();
    larger.setPointSizeF(larger.pointSizeF() + 2);
    postBox(buffer).document()->setDefaultFont(larger);
    QCOMPARE(::directions(postBox(buffer)), directions);
    // Cleared, and back at once by the undo.
    buffer.clear();
    postBox(buffer).undo();
    QCOMPARE(::directions(postBox(buffer)), directions);

    // Typing a first strong letter into a neutral line turns it and the
    // neutral lines after it, and nothing else.
    auto& box = postBox(buffer);
    box.clear();
    buffer.append(u"1\n2\nمرحبا\n3");
    QCOMPARE(::directions(box), QStringLiteral("RRRR"));
    QTextCursor second(box.document()->findBlockByNumber(1));
    second.insertText(QStringLiteral("a"));
    QCOMPARE(::directions(box), QStringLiteral("RLRR"));
    box.document()->undo();
    QCOMPARE(::directions(box), QStringLiteral("RRRR"));
    QTextCursor first(box.document()->begin());
    first.insertText(QStringLiteral("[b]x"));
    QCOMPARE(::directions(box), QStringLiteral("LLRR"));
    buffer.clear();
    QCOMPARE(::directions(box), QStringLiteral("R"));
}

void ReadingTest::markupMutedInView_data() {
    QTest::addColumn<QString>("unit"); // a word and a tag, again and again
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("looked"); // the unit looked at, scrolled into view; -1: the last
    // Lines with blanks are cut into pieces of a few thousand characters; a tag
    // in a piece after the first is muted as well. Caught when planted: the
    // tags placed as if each piece began its line.
    // clang-format off
    QTest::newRow("short line")                 << u"word[b]"_s     << 20   << 0;
    QTest::newRow("long line, its start")       << u"word[b]"_s     << 400  << 0;
    QTest::newRow("long line, its end")         << u"word[b]"_s     << 400  << -1;
    QTest::newRow("long Arabic line, its end")  << u"كلمة[b]"_s     << 400  << -1;
    QTest::newRow("pieces, far along")          << u"word [b] "_s   << 2000 << 1200;
    QTest::newRow("pieces, the end")            << u"word [b] "_s   << 2000 << -1;
    QTest::newRow("Arabic pieces, the middle")  << u"كلمة [b] "_s   << 2000 << 1000;
    QTest::newRow("Arabic pieces, the end")     << u"كلمة [b] "_s   << 2000 << -1;
    // clang-format on
}

// The tags in view are drawn muted and the words in ink, also where a line is
// too long to be looked at whole and only the part in view is.
void ReadingTest::markupMutedInView() {
    QFETCH(QString, unit);
    QFETCH(int, times);
    QFETCH(int, looked);
    const QString line = unit.repeated(times);
    const int first = int(unit.size()) * (looked < 0 ? times - 1 : looked);
    const bool rightToLeft = unit.front().direction() == QChar::DirAL;
    const auto pieces =
        postbox::cutRow(line, 0, line.size(), rightToLeft, reading::ownOrderSpans(line));
    // The lines with blanks look into a piece after the first.
    QCOMPARE(first >= pieces.front().to, unit.contains(u' ') && looked != 0);
    Program program;
    auto& box = static_cast<postbox::PostBox&>(PostBuffer(program.registry).box());
    QVERIFY(exposed(program.registry, u"Form1"));
    layoutOf(box).setMarkupColour(Qt::red);
    setPost(program.registry, line);
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(first + int(unit.size())); // the unit before the caret, in view
    box.setTextCursor(cursor);
    box.clearFocus(); // no caret over the letters
    layoutOf(box).complete();
    box.ensureCursorVisible();
    QCoreApplication::processEvents();
    const QImage seen = box.viewport()->grab().toImage();
    // Red and dark pixels between the edges of the characters from .. to.
    const auto inks = [&](int from, int to) {
        int red = 0, dark = 0;
        for (int at = from; at < to; ++at) {
            const QRect a = letterAt(box, at).toRect();
            for (int x = a.left() + 1; x < a.right(); ++x)
                for (int y = a.top(); y <= a.bottom(); ++y) {
                    const QColor c = seen.valid(x, y) ? seen.pixelColor(x, y) : QColor(Qt::white);
                    red += c.red() > 150 && c.green() < 110;
                    dark += c.red() < 90 && c.green() < 90 && c.blue() < 90;
                }
        }
        return std::pair{red, dark};
    };
    const int word = int(unit.indexOf(u'['));
    const auto [wordRed, wordDark] = inks(first, first + word);
    const auto [tagRed, tagDark] = inks(first + word, first + word + 3);
    QVERIFY2(wordDark > 0 && wordRed == 0,
             qPrintable(QStringLiteral("word %1 %2").arg(wordRed).arg(wordDark)));
    QVERIFY2(tagRed > 0 && tagDark == 0,
             qPrintable(QStringLiteral("tag %1 %2").arg(tagRed).arg(tagDark)));
}

// Wrapped, a screen reader's lines are the rows: one after the other they
// give the post back whole, each the row the caret stands on there.
void ReadingTest::readerLinesAreTheRows() {
    postbox::PostBox box;
    box.resize(300, 200);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QString post = QStringLiteral("[color=red]مرحبا[/color] بكم في منتدانا :D ").repeated(6) +
                         u'\n' +
                         QStringLiteral("Hello [b]world[/b] http://example.org ").repeated(5);
    box.setPlainText(post);
    box.setWrapping(true);
    QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(&box)->textInterface();
    QVERIFY(read);
    QString again;
    int rows = 0;
    for (int at = 0; at < read->characterCount(); ++rows) {
        int from = 0, to = 0;
        const QString line = read->textAtOffset(at, QAccessible::LineBoundary, &from, &to);
        QCOMPARE(from, at);
        QVERIFY(to > from);
        const int top = int(box.postLayout().caretRect(from).top());
        QCOMPARE(int(box.postLayout().caretRect(to - 1).top()), top);
        again += line;
        at = to;
    }
    QCOMPARE(again, post);
    QVERIFY(rows > 4); // the lines wrapped
}

void ReadingTest::wrappedViewStaysStill_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("wider") << 700;
    QTest::newRow("narrower") << 250;
}

// Lines wrapped anew at another width are wrapped as they come into view and
// the rest while idle: what was at the top of the view stays there, however
// many rows the lines above it turn out to have.
void ReadingTest::wrappedViewStaysStill() {
    QFETCH(int, width);
    QRandomGenerator random(7);
    QString post;
    for (int line = 0; line < 3000; ++line)
        post += randomText(random, random.bounded(400)).remove(QChar::LineSeparator) + u'\n';
    postbox::PostBox box;
    box.resize(450, 300);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setPlainText(post);
    box.setWrapping(true);
    layoutOf(box).complete();
    QTextCursor middle = box.textCursor();
    middle.setPosition(box.document()->findBlockByNumber(2000).position());
    box.setTextCursor(middle);
    QCoreApplication::processEvents();
    const int top = box.cursorForPosition(QPoint(1, 1)).position();
    const auto row = layoutOf(box).rowOf(top);
    box.resize(width, 300);
    QCoreApplication::processEvents();
    layoutOf(box).complete(); // the idle steps, one after the other
    QCoreApplication::processEvents();
    const int now = box.cursorForPosition(QPoint(1, 1)).position();
    // The same place, or the row that holds it now.
    const auto rowNow = layoutOf(box).rowOf(row.first);
    QVERIFY2(now >= std::min(row.first, rowNow.first) && now <= std::max(row.second, rowNow.second),
             qPrintable(QStringLiteral("%1 in %2..%3, now %4")
                            .arg(top)
                            .arg(row.first)
                            .arg(row.second)
                            .arg(now)));
}

void ReadingTest::homeShowsTheLineStart_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("presses"); // of Ctrl+Home, End first
    QTest::newRow("long English line under a long Arabic one") << 1 << 0;
    QTest::newRow("long Arabic line over a long English one") << 0 << 0;
    QTest::newRow("English, after Ctrl+Home") << 1 << 1;
}

// Lines longer than the box run over both its edges; Home shows the start of
// the caret's line wherever the view was.
void ReadingTest::homeShowsTheLineStart() {
    QFETCH(int, line);
    QFETCH(int, presses);
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));
    box.setFocus();
    box.insertPlainText(longArabic + u'\n' +
                        QStringLiteral("Buy me a [b]coffee[/b] ").repeated(20));
    layoutOf(box).complete();
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
    const QTextBlock block = box.document()->findBlockByNumber(line);
    QTextCursor middle = box.textCursor();
    middle.setPosition(block.position() + block.length() / 2);
    box.setTextCursor(middle);
    QTest::keyClick(&box, Qt::Key_End);
    QVERIFY(!box.viewport()->rect().contains(firstLetter(box, line).toRect()));
    QTest::keyClick(&box, Qt::Key_Home);
    QCOMPARE(box.textCursor().position(), block.position());
    QVERIFY(box.viewport()->rect().contains(firstLetter(box, line).toRect()));
}

void ReadingTest::everyLineStartsInView() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));
    box.setFocus();
    box.insertPlainText(
        QStringLiteral("[color=red]مرحبا[/color] بكم في منتدانا\nHello [b]world[/b] "
                       ":D\n") +
        longArabic);
    box.moveCursor(QTextCursor::Start);
    QCoreApplication::processEvents();
    layoutOf(box).complete();
    QCoreApplication::processEvents();

    const QRect view = box.viewport()->rect();
    QVERIFY(layoutOf(box).documentSize().width() > view.width()); // the long line runs over
    for (int line : {0, 2}) {
        const QRectF letter = firstLetter(box, line);
        QVERIFY2(view.contains(letter.toRect()), qPrintable(QString::number(line)));
        QVERIFY2(letter.left() > view.width() * 0.8, qPrintable(QString::number(line)));
    }
    const QRectF hello = firstLetter(box, 1);
    QVERIFY(view.contains(hello.toRect()));
    QVERIFY(hello.left() < view.width() * 0.1);

    // A click lands on the letter under it: the start of the long Arabic line
    // at the box's right edge, the start of "Hello" at its left.
    const QRectF longStart = firstLetter(box, 2);
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {},
                      QPoint(int(longStart.right()) - 1, int(longStart.center().y())));
    QCOMPARE(box.textCursor().position(), box.document()->findBlockByNumber(2).position());
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {},
                      QPoint(int(hello.left()) + 1, int(hello.center().y())));
    QCOMPARE(box.textCursor().position(), box.document()->findBlockByNumber(1).position());

    // The far end of the long line can be scrolled to on the left.
    QScrollBar* bar = box.horizontalScrollBar();
    QVERIFY(bar->value() > 0);
    box.moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    QVERIFY(view.contains(caretAt(box, box.textCursor().position())));
    QCOMPARE(bar->value(), 0);
    // and back to where the lines start.
    box.moveCursor(QTextCursor::Start);
    QCoreApplication::processEvents();
    QVERIFY(view.contains(firstLetter(box, 1).toRect()));

    // A line put in above moves the others down, also for whoever reads where
    // a letter stands, as a screen reader does; out of view as well.
    post.append(QStringLiteral("\nسطر").repeated(40));
    layoutOf(box).complete();
    QCoreApplication::processEvents();
    QTest::keyClicks(&box, QStringLiteral("x"));
    QTest::keyClick(&box, Qt::Key_Return);
    QCoreApplication::processEvents();
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        if (block.length() > 1)
            QCOMPARE(layoutOf(box).characterRect(block.position()).top(),
                     layoutOf(box).blockBoundingRect(block).top());
}

void ReadingTest::rightAlignPutsEveryLineRight() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));
    post.append(QStringLiteral("Hello\n") + longArabic + QStringLiteral("\nقصير\nEnglish"));
    box.setTextAlignment(Qt::AlignRight);
    layoutOf(box).complete();
    QCoreApplication::processEvents();

    const qreal margin = box.document()->documentMargin();
    const QSizeF size = layoutOf(box).documentSize();
    qreal right = -1;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layoutOf(box).blockBoundingRect(block);
        const QString what = block.text().left(6);
        QVERIFY2(rect.left() >= margin - 0.5, qPrintable(what));
        if (right < 0)
            right = rect.right();
        QVERIFY2(qAbs(rect.right() - right) < 1, qPrintable(what));
    }
    QVERIFY(qAbs(size.width() - margin - right) < 1);
}

void ReadingTest::widestLineFollowsChanges_data() {
    QTest::addColumn<QString>("post");
    QTest::addColumn<int>("line");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("narrower"); // the box's scroll range shrinks
    const QString arabic = longArabic;
    const QString halfArabic = longArabic.left(longArabic.size() / 2);
    const QString english = QStringLiteral("a rather long line of English words ").repeated(10);
    const QString halfEnglish = english.left(english.size() / 2);
    const QString digits =
        QStringLiteral("123 456 - 789 ").repeated(24); // reads as the line before
    // clang-format off
    QTest::newRow("widest arabic shortened")    << "قصير\n" + halfArabic + "\n" + arabic + "\nHello" << 2 << Edit::Shorten << true;
    QTest::newRow("widest arabic removed")      << "قصير\n" + halfArabic + "\n" + arabic + "\nHello" << 2 << Edit::Remove << true;
    QTest::newRow("only long arabic shortened") << "Hello\n" + arabic << 1 << Edit::Shorten << true;
    QTest::newRow("widest english shortened")   << "مرحبا\n" + english + "\n" + halfEnglish << 1 << Edit::Shorten << true;
    QTest::newRow("widest english removed")     << "مرحبا\n" + english + "\n" + halfEnglish << 1 << Edit::Remove << true;
    QTest::newRow("one of two widest removed")  << arabic + "\n" + arabic + "\nHello" << 0 << Edit::Remove << false;
    QTest::newRow("widest arabic turns english")<< halfArabic + "\n" + arabic + "\n" + halfEnglish << 1 << Edit::TurnEnglish << false;
    QTest::newRow("widest english turns arabic")<< halfEnglish + "\n" + english + "\n" + halfArabic << 1 << Edit::TurnArabic << false;
    QTest::newRow("widest neutral follows")     << "سلام\n" + digits + "\n" + halfArabic << 0 << Edit::TurnEnglish << false;
    QTest::newRow("cleared")                    << arabic + "\n" + english << 0 << Edit::Clear << true;
    QTest::newRow("cleared and undone")         << arabic + "\n" + english << 0 << Edit::ClearAndUndo << false;
    QTest::newRow("larger font")                << halfArabic + "\n" + english << 0 << Edit::LargerFont << false;
    // clang-format on
}

// However the widest line of either direction changes, the box is as wide as
// the same text laid out afresh, and every line stands where it would there.
void ReadingTest::widestLineFollowsChanges() {
    QFETCH(QString, post);
    QFETCH(int, line);
    QFETCH(Edit, edit);
    QFETCH(bool, narrower);
    Program program;
    PostBuffer buffer(program.registry);
    auto& box = postBox(buffer);
    QVERIFY(exposed(program.registry, u"Form1"));
    buffer.append(post);
    layoutOf(box).complete();
    QCoreApplication::processEvents();
    const int rangeBefore = box.horizontalScrollBar()->maximum();
    QVERIFY(rangeBefore > 0);

    QTextDocument* document = box.document();
    const QTextBlock block = document->findBlockByNumber(line);
    QTextCursor cursor(block);
    switch (edit) {
    case Edit::Shorten:
        cursor.setPosition(block.position() + 4);
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        break;
    case Edit::Remove:
        cursor.setPosition(block.position() + block.length(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        break;
    case Edit::TurnEnglish:
        cursor.insertText(QStringLiteral("[b]Hi[/b] "));
        break;
    case Edit::TurnArabic:
        cursor.insertText(QStringLiteral(":D سلام "));
        break;
    case Edit::Clear:
    case Edit::ClearAndUndo:
        buffer.clear();
        if (edit == Edit::ClearAndUndo)
            box.undo();
        document = box.document();
        break;
    case Edit::LargerFont: {
        QFont font = document->defaultFont();
        font.setPointSizeF(font.pointSizeF() * 1.5);
        document->setDefaultFont(font);
        break;
    }
    }
    layoutOf(box).complete();
    QCoreApplication::processEvents();

    QTextDocument afresh;
    afresh.setDefaultFont(document->defaultFont());
    afresh.setDefaultTextOption(document->defaultTextOption());
    afresh.setDocumentMargin(document->documentMargin());
    afresh.setPageSize(document->pageSize());
    auto* laidOut = new PostLayout(&afresh);
    afresh.setDocumentLayout(laidOut);
    QTextCursor(&afresh).insertText(document->toPlainText());
    laidOut->complete();

    QCOMPARE(layoutOf(box).documentSize(), laidOut->documentSize());
    for (QTextBlock b = document->begin(), a = afresh.begin(); b.isValid();
         b = b.next(), a = a.next())
        QCOMPARE(layoutOf(box).blockBoundingRect(b), laidOut->blockBoundingRect(a));
    // Its last pixel in reach, however little of it the widest line covers.
    const int width = int(std::ceil(laidOut->documentSize().width()));
    QCOMPARE(box.horizontalScrollBar()->maximum(), std::max(0, width - box.viewport()->width()));
    if (narrower)
        QVERIFY(box.horizontalScrollBar()->maximum() < rangeBefore);
}

void ReadingTest::displayOnly() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));
    box.setFocus();
    const QString typed = QStringLiteral("[b]Hello[/b]");
    QTest::keyClicks(&box, typed);
    QCOMPARE(post.text(), typed);
    post.append(u"\nمرحبا :D");
    QCoreApplication::processEvents();
    // Nothing the layout decided is in the document: no block format, no
    // character format, and one undo step for the append.
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        QCOMPARE(block.blockFormat().layoutDirection(), Qt::LayoutDirectionAuto);
        QVERIFY(block.layout()->formats().isEmpty());
    }
    QTextDocument plain;
    QTextCursor(&plain).insertText(post.text());
    QCOMPARE(box.document()->allFormats().size(), plain.allFormats().size());
    box.document()->undo();
    QCOMPARE(post.text(), typed);
    QVERIFY(box.document()->isRedoAvailable());
}

void ReadingTest::markupReadsAsTyped_data() {
    QTest::addColumn<QString>("line");
    // clang-format off
    QTest::newRow("tags and a smiley")   << "[color=red]مرحبا[/color] :D بكم في منتدانا";
    QTest::newRow("nested tags")         << "مرحبا [b][i][u][/u][/i][/b] بكم";
    QTest::newRow("address")             << "مرحبا [url]http://example.org[/url] :(";
    QTest::newRow("arabic address")      << "انظر http://مثال.كوم/صفحة هنا ;)";
    QTest::newRow("english line")        << "Hello [b]world[/b] :( and [url=http://x.org]link[/url]";
    QTest::newRow("long, cut in pieces") << QStringLiteral("كلمة [b]عريض[/b] :D ").repeated(230);
    // From public boards.
    QTest::newRow("heading")             << "[HEADING=1][CENTER][SIZE=7]السلام عليكم و رحمة الله و بركاته[/SIZE][/CENTER][/HEADING]";
    QTest::newRow("quoted address")      << "[B][U]هذا هو الموقع[/U][/B]: [SIZE=5][URL='https://developers.notion.com']devs.notion[/URL][/SIZE]";
    QTest::newRow("links explained")     << "عنوان الانترنت: [url]http://url[/url] أو [url=http://url]نص الرابط[/url]";
    QTest::newRow("emoji")               << "🔹 [COLOR=rgb(44, 130, 201)]الدورة الأولى[/COLOR] 📍 :D نلتقي";
    // clang-format on
}

// Every tag, smiley code and address reads left to right as typed, its
// characters each to the right of the one before; the Arabic words around
// them right to left; every position of the line is reached by the arrows,
// one after another across the screen, and the row crossed by words; and a
// click on either half of a character lands on that side of it.
void ReadingTest::markupReadsAsTyped() {
    QFETCH(QString, line);
    Program program;
    PostBuffer buffer(program.registry);
    buffer.append(line);
    PostLayout& layout = layoutOf(postBox(buffer));
    layout.complete();
    // As a screen reader reads them.
    QAccessibleTextInterface* read =
        QAccessible::queryAccessibleInterface(&postBox(buffer))->textInterface();
    QCOMPARE(read->text(0, read->characterCount()), line);
    // A reader counts an emoji as one character.
    const auto rect = [&](qsizetype at) {
        const auto halves = std::count_if(line.begin(), line.begin() + at,
                                          [](QChar c) { return c.isLowSurrogate(); });
        return read->characterRect(int(at - halves));
    };
    const auto left = [&](qsizetype at) { return rect(at).left(); };
    // Joined letters overlap: their middles tell their order.
    const auto middle = [&](qsizetype at) { return rect(at).center().x(); };
    // Two letters drawn as one glyph ("لا", say).
    const auto ligature = [&](qsizetype at) { return rect(at) == rect(at - 1); };
    const auto arabic = [](QChar c) { return c.script() == QChar::Script_Arabic && c.isLetter(); };
    for (const reading::Span& span : reading::ownOrderSpans(line))
        for (qsizetype at = span.start + 1; at < span.start + span.length; ++at)
            if (!arabic(line[at]) || !arabic(line[at - 1]))
                QVERIFY2(left(at) > left(at - 1), qPrintable(line.sliced(span.start, span.length)));
    for (qsizetype at = 1; at < line.size(); ++at)
        if (arabic(line[at]) && arabic(line[at - 1]) &&
            reading::ownOrderSpans(line.sliced(at - 1, 2)).empty())
            QVERIFY2(middle(at) < middle(at - 1) || ligature(at), qPrintable(QString::number(at)));

    // From the row's right edge leftwards, and back.
    const bool rightToLeft =
        layout.direction(postBox(buffer).document()->begin()) == Direction::RightToLeft;
    for (const bool leftwards : {true, false}) {
        int at = (leftwards == rightToLeft) ? 0 : int(line.size());
        std::vector<bool> seen(std::size_t(line.size() + 1));
        seen[std::size_t(at)] = true;
        const int edge = (leftwards == rightToLeft) ? int(line.size()) : 0;
        for (qsizetype step = 0; at != edge; ++step) {
            QVERIFY(step < line.size());
            const int next = layout.besideOnScreen(at, leftwards);

            const qreal from = layout.caretRect(at).left(), to = layout.caretRect(next).left();
            QVERIFY2(leftwards ? to < from : to > from,
                     qPrintable(QStringLiteral("%1 → %2").arg(at).arg(next)));
            QVERIFY2(!seen[std::size_t(next)], qPrintable(QString::number(next)));
            seen[std::size_t(next)] = true;
            at = next;
        }
        QCOMPARE(layout.besideOnScreen(at, leftwards), at); // the post's one line ends there
    }

    // By words: every press moves that way, and no more presses than the
    // row has words and pieces of markup.
    const qsizetype words =
        qsizetype(postbox::wordStarts(line, reading::ownOrderSpans(line)).size());
    for (const bool leftwards : {true, false}) {
        int at = (leftwards == rightToLeft) ? 0 : int(line.size());
        const int edge = (leftwards == rightToLeft) ? int(line.size()) : 0;
        qsizetype presses = 0;
        while (at != edge) {
            const int next = layout.wordBesideOnScreen(at, leftwards);
            const qreal from = layout.caretRect(at).left(), to = layout.caretRect(next).left();
            QVERIFY2(leftwards ? to < from : to > from,
                     qPrintable(QStringLiteral("%1 → %2").arg(at).arg(next)));
            QVERIFY2(++presses <= words + 1, qPrintable(QString::number(at)));
            at = next;
        }
    }

    // Clicks just inside the left and the right edge of each letter of a
    // word or of markup: the caret on that side of it.
    const auto spans = reading::ownOrderSpans(line);
    const auto inMarkup = [&spans](qsizetype at) {
        return std::any_of(spans.begin(), spans.end(), [at](const reading::Span& s) {
            return s.start <= at && at < s.start + s.length;
        });
    };
    for (qsizetype at = 0; at < line.size(); ++at) {
        const QChar c = line[at];
        if (!c.isLetterOrNumber() && !inMarkup(at))
            continue;
        const QRectF box = layout.characterRect(int(at));
        if (box.width() < 4)
            continue;
        const bool leftToRight = !arabic(c) && (inMarkup(at) || c.direction() == QChar::DirL);
        if (!leftToRight && !arabic(c))
            continue;
        // The position on that side in the line, or, where that one is drawn
        // at the other edge of a run going the other way, the one drawn here.
        const auto x = [&layout](int position) { return layout.caretRect(position).left(); };
        for (const bool leftEdge : {true, false}) {
            const qreal edge = leftEdge ? box.left() : box.right();
            const int hit =
                layout.hitTest({edge + (leftEdge ? 1 : -1), box.center().y()}, Qt::FuzzyHit);
            const int beside = int(leftEdge == leftToRight ? at : at + 1);
            const QByteArray what = QByteArray::number(at) + (leftEdge ? " left" : " right");
            if (std::abs(x(beside) - edge) <= 3)
                QVERIFY2(hit == beside || std::abs(x(hit) - x(beside)) < 0.5, what);
            else
                QVERIFY2(std::abs(x(hit) - edge) <= 3, what);
        }
    }
}

// Between the post and what is laid out, over random lines of every kind of
// text: to the display and back is the identity, both ways keep the order,
// every position of the line has its place, and dropping the controls gives
// the line back.
void ReadingTest::displayMapRoundTrips() {
    // clang-format off
    const QStringList parts = {
        u"مرحبا"_s, u"بِسْمِ"_s, u"hello"_s, u"World"_s, u"123"_s, u"٣٤٥"_s, u" "_s, u"  "_s,
        u"\t"_s, u"[b]"_s, u"[/b]"_s, u"[url=http://example.org]"_s, u"[/url]"_s, u"[color=red]"_s,
        u"[/color]"_s, u"[size=3]"_s, u"[img]"_s, u"[QUOTE]"_s, u"[url/]"_s, u":D"_s, u":("_s,
        u";)"_s, u":p"_s, u"http://مثال.كوم/صفحة"_s, u"www.example.com"_s, u"😀"_s, u"🔹"_s,
        QString(QChar(0xd83d)), QString(QChar(0xde00)), QString(QChar(0x202e)),
        QString(QChar(0x2066)), QString(QChar(0x2069)), u"["_s, u"]"_s, u"."_s};
    // clang-format on
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int round = 0; round < 300; ++round) {
        const QString line =
            randomLine(random, parts, round % 10 == 0 ? 3000 : int(random.bounded(1, 60)));
        const auto spans = reading::ownOrderSpans(line);
        const bool rightToLeft = random.bounded(2) == 1;
        const std::vector<postbox::Piece> pieces =
            postbox::cutRow(line, 0, line.size(), rightToLeft, spans);
        const QByteArray what = roundOf(seed, round);
        qsizetype expectedFrom = 0;
        for (const postbox::Piece& piece : pieces) {
            QVERIFY2(piece.from == expectedFrom, what);
            expectedFrom = piece.to;
            qsizetype before = -1;
            for (qsizetype position = piece.from; position <= piece.to; ++position) {
                const qsizetype shown = piece.toShown(position);
                QVERIFY2(shown > before && shown <= piece.shown.size(), what);
                QVERIFY2(piece.fromShown(shown) == position, what);
                before = shown;
            }
            qsizetype back = piece.from;
            for (qsizetype index = 0; index <= piece.shown.size(); ++index) {
                const qsizetype position = piece.fromShown(index);
                QVERIFY2(position >= back && position <= piece.to, what);
                back = position;
            }
            QString text = piece.shown;
            for (std::size_t j = piece.controls.size(); j-- > 0;) {
                const qsizetype at = piece.controls[j].at + qsizetype(j);
                QVERIFY2(piece.fromShown(at) == piece.from + piece.controls[j].at, what);
                text.remove(at, 1);
            }
            QVERIFY2(text == QStringView(line).sliced(piece.from, piece.to - piece.from), what);
        }
        QVERIFY2(expectedFrom == line.size(), what);
    }
}

// Over random lines, random widths and a made-up width of each character, so
// that a row's width is the sum of its characters': the rows cover the line in
// order; each ends after the blanks that follow a word and outside markup,
// unless a word or piece of markup alone is wider than the row; each is no
// wider than the width (blanks at its end not counted) unless it is one
// character; and none could have taken what starts the next.
void ReadingTest::wrapRowsOverRandomLines() {
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    // Markup is measured with the isolates around it, which take no room.
    const auto charWidth = [](QChar c) {
        if (c == postbox::Isolate || c == postbox::RightToLeftIsolate || c == postbox::PopIsolate)
            return 0.0;
        return c == u' ' || c == u'\t' ? 3.0 : 2.0 + c.unicode() % 7;
    };
    const auto advance = [&charWidth](QStringView text) {
        qreal sum = 0;
        for (const QChar c : text)
            sum += charWidth(c);
        return sum;
    };
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    for (int round = 0; round < 400; ++round) {
        const QString line = randomText(random, random.bounded(1, round % 10 == 0 ? 3000 : 200))
                                 .remove(QChar::LineSeparator);
        const auto spans = reading::ownOrderSpans(line);
        const qreal width = random.bounded(1, 200);
        const std::vector<qsizetype> ends =
            postbox::wrapRow(line, 0, line.size(), spans, width, advance);
        const QByteArray what = roundOf(seed, round);
        QVERIFY2(!ends.empty() && ends.back() == line.size(), what);
        const auto inSpan = [&spans](qsizetype at) {
            for (const reading::Span& span : spans)
                if (span.start < at && at < span.start + span.length)
                    return true;
            return false;
        };
        // The word (a run of no blanks outside markup) holding a position.
        const auto wordAround = [&](qsizetype at) {
            qsizetype from = at, to = at;
            while (from > 0 && (!blank(line[from - 1]) || inSpan(from - 1) || inSpan(from)))
                --from;
            while (to < line.size() && (!blank(line[to]) || inSpan(to)))
                ++to;
            return advance(QStringView(line).sliced(from, to - from));
        };
        // A character with its marks, or an emoji with both its halves.
        const auto characterEnd = [&line](qsizetype at) {
            ++at;
            while (at < line.size() && (line[at].isLowSurrogate() || line[at].isMark()))
                ++at;
            return at;
        };
        qsizetype start = 0;
        for (std::size_t r = 0; r < ends.size(); ++r) {
            const qsizetype end = ends[r];
            QVERIFY2(end > start || line.isEmpty(), what);
            qsizetype shown = end;
            while (shown > start && blank(line[shown - 1]))
                --shown;
            const qreal used = advance(QStringView(line).sliced(start, shown - start));
            QVERIFY2(used <= width || characterEnd(start) == shown,
                     what + ", row " + QByteArray::number(int(r)));
            if (end == line.size())
                break;
            const bool atBlanks = blank(line[end - 1]) && !blank(line[end]) && !inSpan(end);
            QVERIFY2(atBlanks || wordAround(end) > width,
                     what + ", row " + QByteArray::number(int(r)));
            // The next row's first word, or its first character inside a long
            // one, would not have fitted.
            const qreal next =
                atBlanks ? wordAround(end)
                         : advance(QStringView(line).sliced(end, characterEnd(end) - end));
            QVERIFY2(advance(QStringView(line).sliced(start, end - start)) + next > width,
                     what + ", row " + QByteArray::number(int(r)));
            start = end;
        }
    }
}

void ReadingTest::wordsAndClicksOverRandomLines_data() {
    QTest::addColumn<bool>("wrapped");
    QTest::newRow("running on") << false;
    QTest::newRow("wrapped") << true;
}

// Over random lines laid out as the box lays them out: a click where the
// caret at a position is drawn puts it back there (or where it is drawn the
// same), and Ctrl with an arrow crosses each row the way it points, never
// back, in no more presses than the row has words.
void ReadingTest::wordsAndClicksOverRandomLines() {
    QFETCH(bool, wrapped);
    // clang-format off
    const QStringList parts = {
        u"مرحبا"_s, u"بِسْمِ"_s, u"hello"_s, u"123"_s, u" "_s, u"  "_s, u"[b]"_s, u"[/b]"_s,
        u"[url=http://example.org]"_s, u"[/url]"_s, u"[color=red]"_s, u":D"_s, u";)"_s,
        u"http://مثال.كوم/صفحة"_s, u"www.example.com"_s, u"😀"_s, u"["_s, u"."_s, u"،"_s};
    // clang-format on
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int round = 0; round < 40; ++round) {
        const int count = round % 20 == 0 ? 1000 : int(random.bounded(1, 40));
        const QString line = randomLine(random, parts, count);
        const int stride = count > 100 ? 7 : 1; // a long line: some of its places
        QTextDocument document;
        auto* layout = new PostLayout(&document);
        document.setDocumentLayout(layout);
        document.setTextWidth(400);
        layout->setWrapping(wrapped);
        QTextCursor(&document).insertText(line);
        layout->complete();
        const QByteArray what = roundOf(seed, round);
        if (wrapped) {
            // Every place the caret stands is inside the box, on its row: Up
            // and Down go from row to row, and Home and End stay on the row.
            const qreal right = 400 - document.documentMargin();
            const qreal rowOne = layout->caretRect(0).top();
            for (int at = 0; at <= int(line.size()); at += stride) {
                if (at < line.size() && (line[at].isLowSurrogate() || line[at].isMark()))
                    continue;
                const QRectF caret = layout->caretRect(at);
                const QByteArray where = what + ", at " + QByteArray::number(at);
                const auto [from, to] = layout->rowOf(at);
                // Blanks at a row's end may run over the box's edge.
                const bool hanging =
                    at > from && std::all_of(line.begin() + at - 1,
                                             line.begin() + std::min<int>(to + 1, line.size()),
                                             [](QChar c) { return c == u' ' || c == u'\t'; });
                QVERIFY2(hanging || (caret.left() >= document.documentMargin() - 0.5 &&
                                     caret.left() <= right + 0.5),
                         where);
                QVERIFY2(from <= at && at <= to + 1, where);
                QCOMPARE(layout->caretRect(from).top(), caret.top());
                QCOMPARE(layout->caretRect(to).top(), caret.top());
                const int down = layout->rowsAway(at, 1, caret.left());
                if (down < int(line.size()) || layout->caretRect(down).top() != caret.top())
                    QVERIFY2(layout->caretRect(down).top() == caret.top() + layout->lineHeight(),
                             where);
                if (caret.top() > rowOne)
                    QVERIFY2(layout->caretRect(layout->rowsAway(at, -1, caret.left())).top() ==
                                 caret.top() - layout->lineHeight(),
                             where);
            }
            QCOMPARE(layout->documentSize().width(), 400.0);
        }
        const auto x = [layout](int at) { return layout->caretRect(at).left(); };
        for (int at = 0; at <= int(line.size()); at += stride) {
            // Not between a letter and its mark, nor inside an emoji.
            if (at < line.size() && (line[at].isLowSurrogate() || line[at].isMark()))
                continue;
            const QRectF caret = layout->caretRect(at);
            const int hit = layout->hitTest(caret.center(), Qt::FuzzyHit);
            QVERIFY2(std::abs(x(hit) - caret.left()) < 0.5,
                     what + ", at " + QByteArray::number(at));
        }
        // What the post box reads near the caret is what the whole line says.
        if (count > 100) {
            postbox::PostBox box;
            box.setPlainText(line);
            const auto spans = reading::ownOrderSpans(line);
            const std::vector<qsizetype> starts = postbox::wordStarts(line, spans);
            for (int at = 1; at < int(line.size()); at += 5) {
                const auto after = std::upper_bound(starts.begin(), starts.end(), at);
                const auto before = std::lower_bound(starts.begin(), starts.end(), at);
                QVERIFY2(box.wordStart(at, true) ==
                             (after == starts.end() ? int(line.size()) : int(*after)),
                         what + ", at " + QByteArray::number(at));
                QVERIFY2(box.wordStart(at, false) ==
                             (before == starts.begin() ? 0 : int(*std::prev(before))),
                         what + ", at " + QByteArray::number(at));
                const auto [from, to] = postbox::wordAt(line, spans, at);
                QVERIFY2(box.wordAt(at) == std::pair(int(from), int(to)), what);
                const auto inside = std::find_if(spans.begin(), spans.end(), [at](auto span) {
                    return span.start < at && at < span.start + span.length;
                });
                QVERIFY2(box.markupAround(at) ==
                             (inside == spans.end()
                                  ? std::nullopt
                                  : std::optional(std::pair(int(inside->start),
                                                            int(inside->start + inside->length)))),
                         what);
            }
        }
        if (wrapped)
            continue; // Ctrl and an arrow go on to the next row at a row's end
        const bool rightToLeft = layout->direction(document.begin()) == Direction::RightToLeft;
        const qsizetype words =
            qsizetype(postbox::wordStarts(line, reading::ownOrderSpans(line)).size());
        for (const bool leftwards : {true, false}) {
            int at = (leftwards == rightToLeft) ? 0 : int(line.size());
            for (qsizetype presses = 0;; ++presses) {
                const int next = layout->wordBesideOnScreen(at, leftwards);
                if (next == at)
                    break; // the post's one line ends there
                QVERIFY2(leftwards ? x(next) < x(at) : x(next) > x(at), what);
                QVERIFY2(presses <= words + 1, what);
                at = next;
            }
        }
    }
}

// The keys as a writer presses them, on an Arabic line that opens with a tag
// and an English one.
void ReadingTest::arrowsFollowTheScreen() {
    Program program;
    PostBuffer buffer(program.registry);
    auto& box = postBox(buffer);
    QVERIFY(exposed(program.registry, u"Form1"));
    const QString arabic = QStringLiteral("[color=red]مرحبا[/color] :D بكم في منتدانا");
    const QString english = QStringLiteral("Hello [b]world[/b] :(");
    buffer.append(arabic + u'\n' + english);
    box.setFocus();
    const auto press = [&box](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&box, key, modifiers);
        return box.textCursor().position();
    };
    const auto x = [&box](int at) { return caretAt(box, at).left(); };
    const int second = int(arabic.size()) + 1;

    box.moveCursor(QTextCursor::Start);
    QCOMPARE(press(Qt::Key_Right), 0); // the start of the post, at its right edge
    // Ctrl and an arrow go a word the way the arrow points on the screen.
    // Caught when planted: words taken in the post's order, Ctrl+Right going left.
    const int word = press(Qt::Key_Left, Qt::ControlModifier);
    QVERIFY(word > 0 && x(word) < x(0));
    QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), 0);
    const int in = press(Qt::Key_Left);
    QVERIFY(in > 0 && x(in) < x(0));
    QCOMPARE(press(Qt::Key_End), int(arabic.size()));
    QCOMPARE(press(Qt::Key_Right), int(arabic.size()) - 1); // back into "منتدانا"
    QCOMPARE(press(Qt::Key_Left), int(arabic.size()));
    QCOMPARE(press(Qt::Key_Left), second); // on to the next line's start
    QCOMPARE(press(Qt::Key_End), second + int(english.size()));
    QCOMPARE(press(Qt::Key_Left), second + int(english.size()) - 1);
    press(Qt::Key_Right);
    // A selection never ends inside a smiley code or a tag: it takes the
    // whole of each it reaches.
    for (const QString& selected : {u":("_s, u" :("_s, u"[/b] :("_s}) {
        press(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(box.textCursor().selectedText(), selected);
    }
    QCOMPARE(press(Qt::Key_Home), second);
    // What a screen reader reads there: the word, the line, the caret.
    QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(&box)->textInterface();
    int from = 0, to = 0;
    QCOMPARE(read->textAtOffset(second + 1, QAccessible::WordBoundary, &from, &to),
             QStringLiteral("Hello ["));
    QCOMPARE(read->textAtOffset(3, QAccessible::LineBoundary, &from, &to), arabic + u'\n');
    QCOMPARE(read->textAfterOffset(3, QAccessible::LineBoundary, &from, &to), english);
    QCOMPARE(read->cursorPosition(), second);
    QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), second + 6); // at "[b]"
    QCOMPARE(box.document()->findBlock(press(Qt::Key_Up)).blockNumber(), 0);
    QCOMPARE(box.document()->findBlock(press(Qt::Key_Down)).blockNumber(), 1);

    // Typing and undo go on as ever where the arrows left the caret.
    box.moveCursor(QTextCursor::Start);
    press(Qt::Key_End);
    press(Qt::Key_Right);
    QKeyEvent letter(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("ي"));
    QCoreApplication::sendEvent(&box, &letter);
    QCOMPARE(buffer.text(),
             arabic.first(arabic.size() - 1) + u'ي' + arabic.back() + u'\n' + english);
    box.document()->undo();
    QCOMPARE(buffer.text(), arabic + u'\n' + english);
}

// What a writer expects of any text box, on a line from a public board.
void ReadingTest::keysAWriterExpects() {
    Program program;
    PostBuffer buffer(program.registry);
    auto& box = postBox(buffer);
    QVERIFY(exposed(program.registry, u"Form1"));
    box.setFocus();
    const QString line =
        u"[B][U]هذا هو الموقع[/U][/B]: [SIZE=5][URL='https://developers.notion.com']devs.notion[/URL][/SIZE]"_s;
    buffer.append(line);
    layoutOf(box).complete();
    const auto press = [&box](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&box, key, modifiers);
    };

    // A double click selects the word under the pointer; a piece of markup is one.
    for (const QString& word :
         {u"الموقع"_s, u"[/U]"_s, u"[URL='https://developers.notion.com']"_s}) {
        const QPoint at = letterAt(box, int(line.indexOf(word)) + 2).center().toPoint();
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(box.textCursor().selectedText(), word);
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    }

    // Selecting across a closing tag takes all of it, so that the bold wrap
    // leaves every tag whole; Ctrl+Z and Ctrl+Y go back and forth.
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(int(line.indexOf(u"[/U]")));
    box.setTextCursor(cursor);
    const auto spans = reading::ownOrderSpans(line);
    for (int i = 0; i < 12; ++i) {
        press(Qt::Key_Left, Qt::ShiftModifier);
        for (const int edge : {box.textCursor().selectionStart(), box.textCursor().selectionEnd()})
            for (const reading::Span& span : spans)
                QVERIFY2(edge <= span.start || edge >= span.start + span.length,
                         qPrintable(box.textCursor().selectedText()));
    }
    press(Qt::Key_B, Qt::ControlModifier);
    const QString bold = buffer.text();
    const auto tags = [](const QString& text) {
        QStringList found;
        for (const reading::Span& span : reading::markupSpans(text))
            found << text.sliced(span.start, span.length);
        found.sort();
        return found;
    };
    QCOMPARE(tags(bold), tags(line + u"[b][/b]"_s));
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(buffer.text(), line);
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(buffer.text(), bold);
    press(Qt::Key_Z, Qt::ControlModifier);

    // Typing after a paste is a step of its own.
    QGuiApplication::clipboard()->setText(u"XYZ"_s);
    press(Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&box, u"abc "_s);
    press(Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(&box, u"x"_s);
    for (const QString& undone : {u"abc XYZ"_s, u"abc "_s, u""_s}) {
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(buffer.text(), line + undone);
    }

    // Ctrl+Backspace and Ctrl+Delete take a word as the box sees words.
    press(Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(buffer.text(), line.chopped(7));
    press(Qt::Key_Home, Qt::ControlModifier);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(buffer.text(), line.sliced(3).chopped(7));
    // Delete takes a letter with its marks and an emoji whole; Backspace one
    // character, the emoji's two halves together.
    buffer.clear();
    buffer.append(u"بِسْ😀x"_s);
    box.moveCursor(QTextCursor::Start);
    for (const QString& left : {u"سْ😀x"_s, u"😀x"_s, u"x"_s}) {
        press(Qt::Key_Delete);
        QCOMPARE(buffer.text(), left);
    }
    press(Qt::Key_Backspace);
    QCOMPARE(buffer.text(), u"x"_s);
    buffer.append(u"😀"_s);
    box.moveCursor(QTextCursor::End);
    press(Qt::Key_Backspace);
    QCOMPARE(buffer.text(), u"x"_s);
    // Ctrl+K where the desktop has it: the rest of the row.
    if (const QKeySequence rest(QKeySequence::DeleteEndOfLine); !rest.isEmpty()) {
        box.moveCursor(QTextCursor::Start);
        QTest::keySequence(&box, rest);
        QCOMPARE(buffer.text(), QString());
    }
}

void ReadingTest::changeCutsAgainAsWhole_data() {
    QTest::addColumn<qreal>("width");
    QTest::newRow("running on") << 0.0;
    QTest::newRow("wrapped") << 300.0;
}

void ReadingTest::changeCutsAgainAsWhole() {
    // A line cut (or wrapped) again near its changes is cut as it would be
    // whole, and keeps the shapes of its pieces away from them.
    QFETCH(qreal, width);
    const postbox::Advance advance = [](QStringView text) {
        qreal sum = 0;
        for (const QChar c : text)
            sum += c.unicode() >= 0x2066 && c.unicode() <= 0x2069 ? 0 : 2 + c.unicode() % 7;
        return sum;
    };
    const postbox::Shaping shaping{QFont(), {}, 80, 8};
    qreal lineHeight = 0;
    for (quint32 seed = 1; seed <= 24; ++seed) {
        QRandomGenerator random(seed);
        QString text = randomText(random, 2000 + random.bounded(20000));
        const bool rightToLeft = random.bounded(2) == 0;
        postbox::Line line;
        line.build(text, rightToLeft, width, advance);
        for (int edit = 0; edit < 30; ++edit) {
            // A few changes at once, the way several come before a paint.
            for (int change = 1 + int(random.bounded(3)); change > 0; --change) {
                const qsizetype at = random.bounded(4) == 0 ? (random.bounded(2) ? 0 : text.size())
                                                            : random.bounded(int(text.size()) + 1);
                const qsizetype removed = std::min<qsizetype>(
                    text.size() - at,
                    random.bounded(2) ? 0 : random.bounded(random.bounded(3) ? 8 : 3000));
                const QString added =
                    random.bounded(3) ? randomText(random, random.bounded(12)) : QString();
                text.replace(at, removed, added);
                line.edited(at, removed, added.size());
            }
            line.build(text, rightToLeft, width, advance);
            postbox::Line whole;
            whole.build(text, rightToLeft, width, advance);
            const QStringList cut = cutsOf(line).split(u'\n');
            const QStringList cutWhole = cutsOf(whole).split(u'\n');
            const auto differs =
                std::mismatch(cut.begin(), cut.end(), cutWhole.begin(), cutWhole.end()).first;
            QCOMPARE(differs == cut.end() ? QString() : *differs,
                     differs == cut.end() ? QString() : cutWhole[differs - cut.begin()]);
            QCOMPARE(cut.size(), cutWhole.size());
            // Some pieces shaped, as a paint shapes those in view, and the
            // places the caret can stand in some, as the arrows ask for them.
            for (int shaped = int(random.bounded(3)); shaped > 0; --shaped)
                line.measureOne(shaping, lineHeight, 0);
            bool unmeasured = false;
            for (postbox::Row& row : line.rows()) {
                for (postbox::ShapedPiece& piece : row.pieces) {
                    unmeasured = unmeasured || piece.width < 0;
                    if (!piece.layout)
                        continue;
                    if (piece.stops.empty()) {
                        if (random.bounded(16) == 0)
                            (void)postbox::Line::stopsOf(piece);
                        continue;
                    }
                    std::vector<qsizetype> kept;
                    for (const postbox::ShapedPiece::Stop& stop : piece.stops)
                        kept.push_back(stop.position);
                    piece.stops.clear();
                    std::vector<qsizetype> made;
                    for (const postbox::ShapedPiece::Stop& stop : postbox::Line::stopsOf(piece))
                        made.push_back(stop.position);
                    QCOMPARE(kept, made);
                }
            }
            QCOMPARE(line.hasUnmeasured(), unmeasured);
        }
        // A letter typed at the end of a long line leaves its first piece's shape.
        const postbox::ShapedPiece& first = line.rows().front().pieces.front();
        if (width == 0 && line.rows().size() == 1 && line.rows().front().pieces.size() > 3 &&
            first.layout) {
            const QTextLayout* before = first.layout.get();
            text += u'x';
            line.edited(text.size() - 1, 0, 1);
            line.build(text, rightToLeft);
            QCOMPARE(line.rows().front().pieces.front().layout.get(), before);
        }
    }
}

void ReadingTest::rowsFollowSeparators_data() {
    QTest::addColumn<QString>("post");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("added");
    const QString separator(QChar::LineSeparator);
    // clang-format off
    QTest::newRow("typed in a line")          << "abc def"                     << 3 << 3 << separator;
    QTest::newRow("taken out")                << "abc" + separator + "def"     << 3 << 4 << QString();
    QTest::newRow("replaced by a letter")     << "abc" + separator + "def"     << 3 << 4 << "x";
    QTest::newRow("letter after one")         << "abc" + separator + "def"     << 5 << 5 << "x";
    QTest::newRow("line holding one joined")  << "abc\ndef" + separator + "g" << 3 << 4 << QString();
    QTest::newRow("line holding one split")   << "abc" + separator + "def"     << 1 << 1 << "\n";
    // clang-format on
}

void ReadingTest::rowsFollowSeparators() {
    // Each line separator is one more row of the box's height.
    QFETCH(QString, post);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, added);
    QTextDocument document;
    auto* layout = new PostLayout(&document);
    document.setDocumentLayout(layout);
    QTextCursor cursor(&document);
    cursor.insertText(post);
    (void)layout->documentSize();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(added);
    const qreal rows = document.blockCount() + document.toRawText().count(QChar::LineSeparator);
    QCOMPARE(layout->documentSize().height(),
             2 * document.documentMargin() + rows * layout->lineHeight());
}

QTEST_MAIN(ReadingTest)
#include "tst_reading.moc"
