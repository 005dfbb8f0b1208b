// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Spelling: which words of a line are checked, and in the main window, with
// Debian's dictionaries, what is marked, what the menu suggests, and the switch.

#include "app/spelling_ui.h"
#include "post/post.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "spelling/post_checker.h"
#include "spelling/speller.h"
#include "spelling/words.h"
#include "support.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextDocumentLayout>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <utility>

using namespace qirtaz;
using namespace qirtaz::testing;
using spelling::PostChecker;
using spelling::Speller;

namespace {

const QString issueLine =
    QStringLiteral("هذا نص فيه كلمة الموضوعع خاطئة [b]bold[/b] http://example.org :D");
const QString wrongWord = QStringLiteral("الموضوعع");

QStringList found(const QString& line) {
    QStringList out;
    for (const spelling::Word& word : spelling::words(line))
        out << (word.script == spelling::Script::Arabic ? u"ar:"_qs : u"en:"_qs) +
                   line.mid(word.span.start, word.span.length);
    return out;
}

// The marked words of the post, as text.
QStringList marked(postbox::PostBox& box) {
    QStringList out;
    PostChecker* checker = PostChecker::of(*box.document());
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        for (const reading::Span& mark : checker->marks(block))
            out << block.text().mid(mark.start, mark.length);
    return out;
}

bool haveDictionaries() {
    return QFile::exists(QStringLiteral("/usr/share/hunspell/ar.dic")) &&
           QFile::exists(QStringLiteral("/usr/share/hunspell/en_US.dic"));
}

} // namespace

class SpellingTest : public QObject {
    Q_OBJECT

private slots:
    void wordsOfALine_data();
    void wordsOfALine();
    void missingDictionariesMarkNothing();
    void marksSuggestsReplacesAndSwitchesOff();
};

void SpellingTest::wordsOfALine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    // clang-format off
    QTest::newRow("tags, address, smiley") << issueLine << QStringList{
        u"ar:هذا"_qs, u"ar:نص"_qs, u"ar:فيه"_qs, u"ar:كلمة"_qs, u"ar:الموضوعع"_qs, u"ar:خاطئة"_qs,
        u"en:bold"_qs};
    QTest::newRow("addresses") << u"see https://x.org/a?b=c and www.Example.com or (ftp://h) me@example.org. WWW.Example.COM"_qs
                               << QStringList{u"en:see"_qs, u"en:and"_qs, u"en:or"_qs};
    QTest::newRow("digits and single letters")
        << u"mp3 2024 ١٢٣ عام٢٠٢٠ ۱۲ a و I وَ x_y ok"_qs << QStringList{u"en:ok"_qs};
    QTest::newRow("smileys") << u":D:confused: ;):p:mad:word"_qs << QStringList{u"en:word"_qs};
    QTest::newRow("short vowels, tatweel, hamza")
        << u"مُحَمَّد العـــربية، شيء؟"_qs
        << QStringList{u"ar:مُحَمَّد"_qs, u"ar:العـــربية"_qs, u"ar:شيء"_qs};
    QTest::newRow("mixed scripts") << u"abcمرحبا café"_qs << QStringList{u"en:café"_qs};
    QTest::newRow("apostrophes") << u"don't it’s 'quoted'"_qs
                                 << QStringList{u"en:don't"_qs, u"en:it’s"_qs, u"en:quoted"_qs};
    QTest::newRow("between tags")
        << u"[color=red]أحمر[/color] [url=http://a.b/c]رابط[/url] wo[b]rd[/b] [1] [ملاحظة]"_qs
        << QStringList{u"ar:أحمر"_qs, u"ar:رابط"_qs, u"en:wo"_qs, u"en:rd"_qs, u"ar:ملاحظة"_qs};
    // clang-format on
}

void SpellingTest::wordsOfALine() {
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QCOMPARE(found(line), words);
}

void SpellingTest::missingDictionariesMarkNothing() {
    // An Arabic dictionary in an encoding Qt cannot read counts as missing, and says why.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // An English one whose words file cannot be read counts as missing too.
    for (const auto& [name, text] : {std::pair{"ar.aff", "SET X-NO-SUCH\n"},
                                     {"ar.dic", "0\n"},
                                     {"en_US.aff", "SET UTF-8\n"}}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ar.dic.*X-NO-SUCH")));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("en_US.dic")));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("en_US.dic cannot be read")));
    Speller speller({QStringLiteral("/nonexistent"), folder.path()});
    QSignalSpy ready(&speller, &Speller::ready);
    speller.load();
    QVERIFY(ready.wait(5000));
    QCOMPARE(speller.missing(),
             (QStringList{u"العربية (hunspell-ar)"_qs, u"الإنجليزية (hunspell-en-us)"_qs}));
    QFuture<spelling::Misspelt> checked = speller.check({issueLine});
    checked.waitForFinished();
    QCOMPARE(checked.result(), spelling::Misspelt(1));
    // The switch says so, in its tooltip.
    QMenu menu;
    addSpellingSwitch(menu, speller);
    QVERIFY(menu.actions().front()->toolTip().contains(u"العربية (hunspell-ar)، الإنجليزية"_qs));
    // Marks kept by a layout that no longer lays the box out would never show.
    postbox::PostBox other;
    other.document()->setDocumentLayout(new QPlainTextDocumentLayout(other.document()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("another layout")));
    checkSpelling(other);
}

void SpellingTest::marksSuggestsReplacesAndSwitchesOff() {
    if (!haveDictionaries())
        QSKIP("Debian's hunspell-ar and hunspell-en-us are not installed");
    Speller& speller = Speller::instance();
    // The worker's thread ends whenever it idles this long: every answer below
    // comes from a thread started afresh.
    speller.pool().setExpiryTimeout(50);
    Program program;
    Registry& registry = program.registry;
    QVERIFY(exposed(registry, u"Form1"));
    PostBuffer post(registry);
    postbox::PostBox& box = postBox(post);
    PostChecker* checker = PostChecker::of(*box.document());
    QVERIFY(checker);
    QTRY_VERIFY_WITH_TIMEOUT(speller.isReady(), 10000);
    QVERIFY(speller.missing().isEmpty());

    // Typed key by key, the lines checked as they grow; the word being typed is
    // left alone until the caret leaves it.
    box.setFocus();
    typeText(&box, issueLine);
    QTest::keyClick(&box, Qt::Key_Return);
    typeText(&box, u"second line with a wrold"_qs);
    QTRY_VERIFY(checker->isSettled());
    QCOMPARE(marked(box), QStringList{wrongWord});
    box.moveCursor(QTextCursor::Start);
    QCOMPARE(marked(box), (QStringList{wrongWord, u"wrold"_qs}));

    // Only the line a change touches is checked again.
    QTest::qWait(100); // past the worker's expiry
    const qsizetype before = checker->linesChecked();
    typeText(&box, u"ز"_qs);
    // Until it is, the line keeps the marks the change did not touch.
    QCOMPARE(marked(box), (QStringList{wrongWord, u"wrold"_qs}));
    QTRY_VERIFY(checker->isSettled());
    QCOMPARE(checker->linesChecked(), before + 1);
    QCOMPARE(marked(box), (QStringList{u"زهذا"_qs, wrongWord, u"wrold"_qs}));
    box.undo();
    QTRY_VERIFY(checker->isSettled());

    // The right mouse button on the word: its suggestions first, in the
    // dictionary's order; Down and Enter take the first.
    QTest::qWait(100);
    const int inWord = int(issueLine.indexOf(wrongWord)) + 3;
    const QPoint point = box.caretInView(inWord).center();
    QStringList shown;
    QTimer::singleShot(0, &box, [&shown] {
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QTRY_VERIFY_WITH_TIMEOUT(!menu->actions().front()->text().startsWith(u"جار"), 10000);
        for (QAction* action : menu->actions())
            shown << action->text();
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, point, box.viewport()->mapToGlobal(point));
    QApplication::sendEvent(box.viewport(), &click);
    QVERIFY(shown.size() > 3);
    QCOMPARE(shown.front(), u"الموضوع"_qs);
    const qsizetype ignore = shown.indexOf(u"تجاهل الكلمة"_qs);
    QVERIFY(ignore >= 1 && ignore <= 6);
    QCOMPARE(shown.mid(0, ignore),
             speller.suggestions(wrongWord).result()); // asked before: answered at once
    QString replaced = issueLine;
    replaced.replace(wrongWord, u"الموضوع"_qs);
    QCOMPARE(post.text(), replaced + u"\nsecond line with a wrold"_qs);
    box.undo();
    QCOMPARE(post.text(), issueLine + u"\nsecond line with a wrold"_qs);
    QTRY_VERIFY(checker->isSettled());
    // A clear: the empty post has a checker of its own; its undo brings the
    // marks back at once, nothing checked again.
    const qsizetype checked = checker->linesChecked();
    post.clear();
    QVERIFY(PostChecker::of(*box.document()) && PostChecker::of(*box.document()) != checker);
    QVERIFY(marked(box).isEmpty());
    box.undo();
    QCOMPARE(marked(box), (QStringList{wrongWord, u"wrold"_qs}));
    QCOMPARE(checker->linesChecked(), checked);
    // Cleared while its lines are still being checked, the post put aside is
    // checked no further until the undo takes it up again.
    QString lines;
    for (int i = 0; i < 3000; ++i)
        lines += u"\nسطر رقم "_qs + QString::number(i);
    post.append(lines);
    post.clear();
    QTest::qWait(300);
    QCOMPARE(checker->linesChecked(), checked);
    box.undo();
    QTRY_VERIFY(checker->isSettled());
    QVERIFY(checker->linesChecked() > checked + 1000);
    box.undo();
    QTRY_VERIFY(checker->isSettled());

    // The switch, under "عرض", on F7: off, no word is marked at all.
    auto* item = windowOf(registry, u"Form1")->menuBar()->findChild<QAction*>(u"spelling"_qs);
    QVERIFY(item);
    QCOMPARE(item->parent()->objectName(), u"view"_qs);
    QCOMPARE(item->text(), u"التدقيق الإملائي"_qs);
    QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F7));
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(marked(box).isEmpty());
    QVERIFY(!spelling::misspeltWordAt(*box.document(), inWord));
    item->trigger();
    QTRY_COMPARE(marked(box), (QStringList{wrongWord, u"wrold"_qs}));
    // For a screen reader: the word's characters, from its first to its last.
    const reading::Span span{inWord - 3, wrongWord.size()};
    for (const int position : {inWord - 3, inWord, int(span.start + span.length) - 1})
        QCOMPARE(spelling::misspeltWordAt(*box.document(), position), span);
    QVERIFY(!spelling::misspeltWordAt(*box.document(), inWord - 4));
    int from = 0, to = 0;
    QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(&box)->textInterface();
    QCOMPARE(read->attributes(inWord, &from, &to), u"invalid:spelling;"_qs);
    QCOMPARE(std::pair(from, to), std::pair(int(span.start), int(span.start + span.length)));
    QCOMPARE(read->attributes(inWord - 4, &from, &to), QString());
    QVERIFY(!spelling::misspeltWordAt(*box.document(), int(span.start + span.length)));

    // Ignored, from the menu key at the caret, the word is marked nowhere.
    QTextCursor at(box.document());
    at.setPosition(inWord);
    box.setTextCursor(at);
    QTimer::singleShot(0, &box, [] {
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        for (QAction* action : menu->actions())
            if (action->text() == u"تجاهل الكلمة")
                action->trigger();
        menu->close();
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, {});
    QApplication::sendEvent(&box, &key);
    QCOMPARE(marked(box), QStringList{u"wrold"_qs});
}

QTEST_MAIN(SpellingTest)
#include "tst_spelling.moc"
