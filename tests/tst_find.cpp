// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Find and replace: which spans of a post a word matches, Arabic as a writer
// means it; the window, its keys and its marks; replace all as one step.

#include "app/find_window.h"
#include "post/find.h"
#include "post/post.h"
#include "post/workers.h"
#include "postbox/post_box.h"
#include "postbox/post_layout.h"
#include "screens/names.h"
#include "support.h"
#include "tests/mixed_post.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QThreadPool>

using namespace qirtaz;
using namespace qirtaz::testing;
using reading::Span;

Q_DECLARE_METATYPE(find::Options)

namespace {

// A post written with its expected matches between ⟦ and ⟧: the post without
// them, and where they stood.
std::pair<QString, std::vector<Span>> marked(const QString& written) {
    QString post;
    std::vector<Span> spans;
    for (const QChar c : written) {
        if (c == u'⟦')
            spans.push_back({post.size(), 0});
        else if (c == u'⟧')
            spans.back().length = post.size() - spans.back().start;
        else
            post += c;
    }
    return {post, spans};
}

QString shown(const QString& post, const std::vector<Span>& spans) {
    QString written = post;
    for (std::size_t i = spans.size(); i-- > 0;)
        written.insert(spans[i].start + spans[i].length, u'⟧').insert(spans[i].start, u'⟦');
    return written;
}

constexpr find::Options arabic{.exact = false, .wholeWords = false, .textOnly = false};
constexpr find::Options exact{.exact = true, .wholeWords = false, .textOnly = false};
constexpr find::Options whole{.exact = false, .wholeWords = true, .textOnly = false};
constexpr find::Options textOnly{.exact = false, .wholeWords = false, .textOnly = true};

bool ignored(QChar c) {
    return find::fold(c.unicode()) == find::Ignored;
}

// Letters random posts are made of: every folded form, marks, tatweel, both
// cases, blanks, line breaks and the signs markup is made of.
const QString alphabet = QStringLiteral("اأإآٱىيمحدُ َّ ٌٰـaAbB [] =:/\n");

QString randomText(QRandomGenerator& random, int length) {
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

// The marks the box draws, as spans of the post, the current one in current.
std::vector<Span> drawnMarks(postbox::PostBox& box, Span* current = nullptr) {
    std::vector<Span> spans;
    const PostLayout::Highlights& highlights = box.postLayout().highlights();
    if (!highlights)
        return spans;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        for (const QTextLayout::FormatRange& range : highlights(block)) {
            spans.push_back({block.position() + range.start, range.length});
            if (current && range.format.fontUnderline())
                *current = spans.back();
        }
    return spans;
}

} // namespace

class FindTest : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void spansMapBack();
    void replaceAllThenUndo();
    void window();
    void marksFollowEdits();
    void longPostSearchedByAWorker();
};

void FindTest::matches_data() {
    QTest::addColumn<QString>("needle");
    QTest::addColumn<find::Options>("options");
    QTest::addColumn<QString>("post");
    struct Row {
        const char* name;
        const char* needle;
        find::Options options;
        const char* post;
    };
    const Row rows[] = {
        // Each rule of the folding, both ways: in the post and in what is looked for.
        {"vowels in the post", "محمد", arabic, "⟦مُحَمَّد⟧ و⟦محمد⟧"},
        {"vowels in the needle", "مُحَمَّد", arabic, "⟦محمد⟧ و⟦مُحَمَّد⟧"},
        {"tanween after the last letter goes with it", "كتاب", arabic, "⟦كتابٌ⟧ و⟦كتابً⟧ا"},
        {"dagger alef in the post", "هذا", arabic, "⟦هٰذا⟧"},
        {"dagger alef in the needle", "هٰذا", arabic, "⟦هذا⟧"},
        {"tatweel in the post", "مرحبا", arabic, "⟦مــرحبا⟧ ⟦مرحبـا⟧"},
        {"tatweel in the needle", "مـرحبا", arabic, "⟦مرحبا⟧"},
        {"a stroke before the word is not the word's", "محمد", arabic, "ـ⟦محمد⟧"},
        {"every alef as bare alef", "احمد", arabic, "⟦أحمد⟧ ⟦إحمد⟧ ⟦آحمد⟧ ⟦ٱحمد⟧ ⟦احمد⟧"},
        {"bare alef as every alef", "أحمد", arabic, "⟦احمد⟧ ⟦إحمد⟧ ⟦آحمد⟧ ⟦ٱحمد⟧ ⟦أحمد⟧"},
        {"alef maqsura as ya", "مصطفى", arabic, "⟦مصطفي⟧ ⟦مصطفى⟧"},
        {"ya as alef maqsura", "مصطفي", arabic, "⟦مصطفى⟧ ⟦مصطفي⟧"},
        {"latin in any case", "bOaRd", arabic, "⟦Board⟧ ⟦BOARD⟧ ⟦board⟧"},
        {"latin-1 in any case", "ÉLAN", arabic, "⟦élan⟧ ⟦Élan⟧ ×÷"},
        {"ta marbuta is not ha", "مدرسه", arabic, "مدرسة ⟦مدرسه⟧"},
        {"hamza on waw is not waw", "سوال", arabic, "سؤال ⟦سوال⟧"},
        {"marks alone find nothing", "ُّ", arabic, "مُحَمَّد"},
        {"never overlapping", "aa", arabic, "⟦aa⟧⟦aa⟧a"},
        {"an emoji", "😀", arabic, "هلا ⟦😀⟧ :D"},
        // As boards have them.
        {"a greeting with every vowel", "السلام عليكم ورحمة الله", arabic,
         "⟦السَّلَامُ عَلَيْكُمْ وَرَحْمَةُ اللهِ⟧ وَبَرَكَاتُهُ"},
        {"a verse drawn out", "الحمد لله", arabic, "⟦الحـمــدُ للـــهِ⟧ العـــليِّ"},
        {"a signature's stacked marks", "عمري", arabic, "⟦عًٍـمـًرٌٍيَ⟧ے•: 27"},
        {"a member's site, text only", "yoo7", textOnly,
         "الموقع : http://elkhadra.yoo7.com [url=http://yoo7.com]⟦yoo7⟧[/url]"},
        {"exact: vowels count", "محمد", exact, "مُحَمَّد ⟦محمد⟧ أحمد"},
        {"exact: alef forms count", "أحمد", exact, "احمد ⟦أحمد⟧"},
        {"exact: case counts", "board", exact, "Board ⟦board⟧"},
        {"whole words, Arabic", "محمد", whole, "⟦محمد⟧ محمدي ومحمد ⟦مُحَمَّدٌ⟧، ⟦محمد⟧."},
        {"whole words, Latin", "cat", whole, "⟦cat⟧ ⟦Cat⟧, concat cats (⟦CAT⟧)"},
        {"whole words: a sign at the end needs no blank", "cat,", whole, "⟦cat,⟧x ⟦cat,⟧"},
        {"whole words: past a taken-back start", "aa", whole, "aaa ⟦aa⟧"},
        {"text only: not in a tag's address", "محمد", textOnly,
         "[url=http://محمد.com]⟦محمد⟧[/url] ⟦مُحَمَّد⟧"},
        {"everything: the address too", "محمد", arabic,
         "[url=http://⟦محمد⟧.com]⟦محمد⟧[/url] ⟦مُحَمَّد⟧"},
        {"text only: not a tag's name", "color", textOnly, "[color=red]⟦color⟧[/color] [b]red[/b]"},
        {"text only: not a smiley code", "confused", textOnly, ":confused: ⟦confused⟧ :D"},
        {"text only: not a bare address", "board", textOnly,
         "www.board.com ⟦board⟧ http://board.org"},
        {"text only: a match across a tag is no match", "b]x", textOnly, "[b]x[/b]"},
        {"text only, line by line", "اهلا", textOnly,
         "⟦أهلاً⟧\n[img]http://a/اهلا.png[/img]\n⟦اهلا⟧ [/b]"},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.needle) << row.options
                                << QString::fromUtf8(row.post);
}

void FindTest::matches() {
    QFETCH(QString, needle);
    QFETCH(find::Options, options);
    QFETCH(QString, post);
    const auto [text, expected] = marked(post);
    const find::Finder finder(needle, options);
    QCOMPARE(shown(text, finder.findAll(text)), post);
    // From the start, and from each match's start and end on, the next match.
    std::vector<qsizetype> places = {0, text.size()};
    for (const Span& span : expected)
        places.insert(places.end(), {span.start, span.start + span.length});
    for (const qsizetype from : places) {
        const auto next = std::find_if(expected.begin(), expected.end(),
                                       [from](const Span& s) { return s.start >= from; });
        const std::optional<Span> found = finder.findFrom(text, from);
        QCOMPARE(found.has_value(), next != expected.end());
        if (found)
            QCOMPARE(*found, *next);
    }
}

// Any piece of a random post that starts on a letter is found where it stands:
// its exact span, with the marks after its last letter (as typed, its span
// alone). Every match of a random needle folds to it, starts on a letter,
// leaves no mark of its last letter behind, and comes after the one before.
void FindTest::spansMapBack() {
    const auto folded = [](QStringView text) {
        QString out;
        for (const QChar c : text)
            if (!ignored(c))
                out += QChar(char16_t(find::fold(c.unicode())));
        return out;
    };
    QRandomGenerator random(20261210);
    for (int round = 0; round < 3000; ++round) {
        const QString text = randomText(random, 1 + int(random.bounded(60)));
        const int i = int(random.bounded(int(text.size())));
        const int j = i + 1 + int(random.bounded(int(text.size()) - i));
        const QString piece = text.sliced(i, j - i);
        int end = j;
        while (end < text.size() && ignored(text[end]))
            ++end;
        if (!ignored(text[i]) && !piece.contains(u'\n')) {
            QCOMPARE(find::Finder(piece, arabic).findFrom(text, i), (Span{i, end - i}));
            QCOMPARE(find::Finder(piece, exact).findFrom(text, i), (Span{i, j - i}));
        }
        const QString needle = randomText(random, 1 + int(random.bounded(3))).remove(u'\n');
        qsizetype after = 0;
        for (const Span& match : find::Finder(needle, arabic).findAll(text)) {
            const QStringView span = QStringView(text).sliced(match.start, match.length);
            QCOMPARE(folded(span), folded(needle));
            QVERIFY(!ignored(span.front()) && match.start >= after);
            after = match.start + match.length;
            QVERIFY(after == text.size() || !ignored(text[after]));
        }
    }
}

// Replace all changes the matches and nothing else, and one undo gives the
// post back exactly, on random posts and on posts from real boards.
void FindTest::replaceAllThenUndo() {
    Program program;
    PostBuffer post(program.registry);
    postbox::PostBox& box = postBox(post);
    PostSearch search(box);
    QRandomGenerator random(42);
    QStringList posts = {mixedPost(4096)};
    for (int round = 0; round < 300; ++round)
        posts << randomText(random, int(random.bounded(200)));
    for (const QString& before : posts) {
        box.setPlainText(before);
        const QString needle = randomText(random, 1 + int(random.bounded(2))).remove(u'\n');
        const QString replacement = randomText(random, int(random.bounded(3)));
        const find::Options options{.exact = random.bounded(2) == 0,
                                    .wholeWords = random.bounded(2) == 0,
                                    .textOnly = random.bounded(2) == 0};
        const std::vector<Span> found = find::Finder(needle, options).findAll(before);
        QString expected = before;
        for (std::size_t i = found.size(); i-- > 0;)
            expected.replace(found[i].start, found[i].length, replacement);
        search.search(needle, options);
        QCOMPARE(search.replaceAll(replacement), int(found.size()));
        QCOMPARE(post.text(), expected);
        if (found.empty())
            continue;
        box.undo();
        QCOMPARE(post.text(), before);
        QVERIFY(!box.document()->isUndoAvailable());
    }
}

// The window from the keyboard: the matches as the needle is typed, the count,
// the marks, F3 and Shift+F3 round the ends, the choices, replace, Esc back to
// the post at the match; the choices last, and Tab reaches every control, named.
void FindTest::window() {
    findChoices() = {};
    Program program;
    PostBuffer post(program.registry);
    postbox::PostBox& box = postBox(post);
    QVERIFY(QTest::qWaitForWindowActive(windowOf(program.registry, names::MainWindow)));
    const QString text = u"مُحَمَّد قال: [url=http://محمد.com]موقع محمد[/url]\nمحمدي :D"_qs;
    box.setPlainText(text);
    box.moveCursor(QTextCursor::End);
    box.setFocus();
    QTest::keySequence(&box, QKeySequence(u"Ctrl+F"_qs));
    screens::ScreenWindow* window = windowOf(program.registry, FindScreen);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->windowTitle(), u"بحث واستبدال"_qs);
    const auto child = [&window](const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    QCOMPARE(QApplication::focusWidget(), child("needle"));
    typeText(child("needle"), u"محمد"_qs);

    const qsizetype vowelled = 0, address = text.indexOf(u"محمد.com"),
                    inLink = text.indexOf(u"موقع محمد") + 5, nextLine = text.indexOf(u"\nمحمد") + 1;
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* choice;
        const char* counted;
        qsizetype at;
    };
    const Step steps[] = {
        {Qt::Key_unknown, {}, nullptr, "1 من 3", vowelled}, // typed: round the end
        {Qt::Key_F3, {}, nullptr, "2 من 3", inLink},
        {Qt::Key_Return, {}, nullptr, "3 من 3", nextLine},
        {Qt::Key_F3, {}, nullptr, "1 من 3", vowelled},
        {Qt::Key_F3, Qt::ShiftModifier, nullptr, "3 من 3", nextLine},
        {Qt::Key_unknown, {}, "wholeWords", "1 من 2", vowelled},
        {Qt::Key_unknown, {}, "textOnly", "1 من 3", vowelled},
        {Qt::Key_unknown, {}, "exact", "1 من 2", address},
        {Qt::Key_Return, {}, "replacement", "1 من 1", inLink}, // replaced, on to the next
    };
    static_cast<QLineEdit*>(child("replacement"))->setText(u"أحمد"_qs);
    for (const Step& step : steps) {
        if (step.choice && step.key == Qt::Key_unknown)
            static_cast<QCheckBox*>(child(step.choice))->click();
        else if (step.key != Qt::Key_unknown)
            QTest::keyClick(child(step.choice ? step.choice : "needle"), step.key, step.modifiers);
        const QString counted = QString::fromUtf8(step.counted);
        QCOMPARE(child("counter")->property("text").toString(), counted);
        // The current mark is the selection, and every match has its mark.
        Span current;
        QCOMPARE(qsizetype(drawnMarks(box, &current).size()), counted.back().digitValue());
        QCOMPARE(current.start, step.at);
        QCOMPARE(box.textCursor().selectionStart(), step.at);
        QCOMPARE(box.textCursor().selectionEnd(), step.at + current.length);
    }

    // Esc: back in the post, the match selected, the marks gone; the
    // replacement was one step of the undo history.
    QTest::keyClick(child("needle"), Qt::Key_Escape);
    flushDeletes();
    QVERIFY(QTest::qWaitForWindowActive(windowOf(program.registry, names::MainWindow)));
    QCOMPARE(QApplication::focusWidget(), &box);
    QCOMPARE(box.textCursor().selectionStart(), inLink);
    QVERIFY(drawnMarks(box).empty());
    box.undo();
    QCOMPARE(post.text(), text);

    // F3 in the post goes on after the window has gone; Ctrl+H brings it
    // back with the needle and the choices, the keyboard in the replacement.
    box.moveCursor(QTextCursor::Start);
    QTest::keyClick(&box, Qt::Key_F3);
    QCOMPARE(box.textCursor().selectionStart(), address);
    QTest::keyClick(&box, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(box.textCursor().selectionStart(), inLink);
    QTest::keySequence(&box, QKeySequence(u"Ctrl+H"_qs));
    window = windowOf(program.registry, FindScreen);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(static_cast<QLineEdit*>(child("needle"))->text(), u"محمد"_qs);
    QVERIFY(static_cast<QCheckBox*>(child("exact"))->isChecked());
    QVERIFY(!static_cast<QCheckBox*>(child("textOnly"))->isChecked());
    for (const char* name : {"exact", "wholeWords", "textOnly", "next", "previous", "replace",
                             "replaceAll", "needle", "replacement"}) {
        QVERIFY(!QAccessible::queryAccessibleInterface(QApplication::focusWidget())
                     ->text(QAccessible::Name)
                     .isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child(name));
    }

    // The main window gone, the window goes on answering, finding nothing.
    program.registry.instance(names::MainWindow).unload();
    flushDeletes();
    static_cast<QLineEdit*>(child("needle"))->setText(u"احمد"_qs);
    QCOMPARE(child("counter")->property("text").toString(), u"0 من 0"_qs);
}

// The marks move with every edit, a match an edit breaks goes, and one an edit
// makes comes; the current one stays the current one.
void FindTest::marksFollowEdits() {
    Program program;
    PostBuffer post(program.registry);
    postbox::PostBox& box = postBox(post);
    box.setPlainText(u"احمد و أحمد\n[b]آحمد[/b]"_qs);
    PostSearch search(box);
    search.search(u"احمد"_qs, textOnly);
    QCOMPARE(shown(post.text(), drawnMarks(box)), u"⟦احمد⟧ و ⟦أحمد⟧\n[b]⟦آحمد⟧[/b]"_qs);
    search.next();
    QCOMPARE(search.current(), 1);

    struct Edit {
        int at;
        int removed;
        const char* inserted;
        const char* marks;
    };
    const Edit edits[] = {
        {0, 0, "قال ", "قال ⟦احمد⟧ و ⟦أحمد⟧\n[b]⟦آحمد⟧[/b]"},
        {4, 1, "", "قال حمد و ⟦أحمد⟧\n[b]⟦آحمد⟧[/b]"},
        {4, 0, "ا", "قال ⟦احمد⟧ و ⟦أحمد⟧\n[b]⟦آحمد⟧[/b]"},
        {15, 0, "\n", "قال ⟦احمد⟧ و ⟦أحمد⟧\n\n[b]⟦آحمد⟧[/b]"},
        {17, 3, "", "قال ⟦احمد⟧ و ⟦أحمد⟧\n\n⟦آحمد⟧[/b]"},
        {21, 0, "ي", "قال ⟦احمد⟧ و ⟦أحمد⟧\n\n⟦آحمد⟧ي[/b]"},
    };
    for (const Edit& edit : edits) {
        QTextCursor cursor(box.document());
        cursor.setPosition(edit.at);
        cursor.setPosition(edit.at + edit.removed, QTextCursor::KeepAnchor);
        cursor.insertText(QString::fromUtf8(edit.inserted));
        QCOMPARE(shown(post.text(), drawnMarks(box)), QString::fromUtf8(edit.marks));
        Span current;
        drawnMarks(box, &current);
        QCOMPARE(post.text().mid(current.start, current.length), u"أحمد"_qs);
    }
    // A clear takes the marks away, and its undo and redo follow it.
    post.clear();
    QVERIFY(drawnMarks(box).empty());
    box.undo();
    QCOMPARE(shown(post.text(), drawnMarks(box)), QString::fromUtf8(std::end(edits)[-1].marks));
    box.redo();
    QVERIFY(drawnMarks(box).empty() && search.matches().empty());
}

// A post too long to search at once is searched by a worker on a copy, while
// the window goes on answering and the marks follow the edits made meanwhile;
// the worker's thread ends (the pool's expiry) and the box still paints.
void FindTest::longPostSearchedByAWorker() {
    QThreadPool* pool = &workers();
    const int expiry = pool->expiryTimeout();
    pool->setExpiryTimeout(50);
    const auto restore = qScopeGuard([&] { pool->setExpiryTimeout(expiry); });
    Program program;
    PostBuffer post(program.registry);
    postbox::PostBox& box = postBox(post);
    const QString line = u"مرحبا بكم [b]في[/b] المنتدى يا مُحَمَّد :D\n"_qs;
    box.setPlainText(line.repeated(PostSearch::SyncLimit / line.size() * 4));
    PostSearch search(box);
    search.search(u"محمد"_qs, textOnly);
    QVERIFY(search.isBehind());
    QCOMPARE(search.counter(), u"جارٍ البحث…"_qs);
    // Typed before the worker is done: its answer is for an older post.
    QTextCursor cursor(box.document());
    cursor.insertText(u"محمد "_qs);
    QTRY_VERIFY(!search.isBehind());
    const std::vector<Span> expected = find::Finder(u"محمد"_qs, textOnly).findAll(post.text());
    QCOMPARE(search.matches().size(), expected.size());
    QVERIFY(std::equal(expected.begin(), expected.end(), search.matches().begin()));
    QCOMPARE(expected.front(), (Span{0, 4}));
    // An edit while the worker searches again: the marks found move with it at once.
    cursor.insertText(u"ـ"_qs);
    QVERIFY(search.isBehind());
    QCOMPARE(search.matches().back().start, expected.back().start + 1);
    QTRY_VERIFY(!search.isBehind());
    QTest::qWait(200);
    box.viewport()->repaint();
    QCOMPARE(search.replaceAll(u"علي"_qs), int(expected.size()));
    QVERIFY(!post.text().contains(u"مُحَمَّد"_qs));
    box.undo();
    QCOMPARE(post.text().count(u"مُحَمَّد"_qs), qsizetype(expected.size()) - 1);
}

QTEST_MAIN(FindTest)
#include "tst_find.moc"
