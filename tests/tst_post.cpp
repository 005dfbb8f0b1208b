// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The three changes of the post, on texts that Qt's text handling likes to alter.

#include "post/idle_turn.h"
#include "post/post.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

enum class Change { Append, Wrap, Clear };

void apply(PostBuffer& post, Change change, const QString& a, const QString& b) {
    switch (change) {
    case Change::Append:
        return post.append(a);
    case Change::Wrap:
        return post.wrap(a, b);
    case Change::Clear:
        return post.clear();
    }
}

const QString nbsp(QChar(0x00A0));
const QString lineSeparator(QChar(0x2028));
const QString loneSurrogate(QChar(0xD800));
const QString nul(QChar(0));

} // namespace

class PostTest : public QObject {
    Q_OBJECT

private slots:
    void changesGiveExactText_data();
    void changesGiveExactText();
    void eachChangeIsOneUndoStep();
    void historyRunsThroughClears();
    void changesLeaveCaretSelectionAndScroll();
    void typingStaysBetweenFragments();
    void idleStepsShareTheirTurn_data();
    void idleStepsShareTheirTurn();
};

void PostTest::changesGiveExactText_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("after");

    const auto A = int(Change::Append), W = int(Change::Wrap), C = int(Change::Clear);
    const QString arabic = QStringLiteral("مرحبا بكم في المنتدى");
    // clang-format off
    QTest::newRow("append to empty")          << "" << A << ":mad:" << "" << ":mad:";
    QTest::newRow("append joins last line")   << "abc" << A << ":D" << "" << "abc:D";
    QTest::newRow("append after line break")  << "abc\n" << A << ";)" << "" << "abc\n;)";
    QTest::newRow("append empty fragment")    << "abc" << A << "" << "" << "abc";
    QTest::newRow("append line breaks")       << "a\n\nb" << A << "x\ny\n" << "" << "a\n\nbx\ny\n";
    QTest::newRow("append arabic")            << arabic << A << "[QUOTE]" + arabic + "[/QUOTE]" << "" << arabic + "[QUOTE]" + arabic + "[/QUOTE]";
    QTest::newRow("append no-break space")    << "a" + nbsp << A << nbsp + "b" << "" << "a" + nbsp + nbsp + "b";
    QTest::newRow("append line separator")    << "a" + lineSeparator << A << lineSeparator << "" << "a" + lineSeparator + lineSeparator;
    QTest::newRow("append lone surrogate")    << "a" + loneSurrogate << A << loneSurrogate + "b" << "" << "a" + loneSurrogate + loneSurrogate + "b";
    QTest::newRow("append nul")               << "a" + nul << A << nul << "" << "a" + nul + nul;
    QTest::newRow("append tabs and blanks")   << " \t " << A << "  [img] x [/img]  " << "" << " \t   [img] x [/img]  ";
    QTest::newRow("wrap empty")               << "" << W << "[color=red]" << "[/color]" << "[color=red][/color]";
    QTest::newRow("wrap text")                << "abc" << W << "[size=3]" << "[/size]" << "[size=3]abc[/size]";
    QTest::newRow("wrap lines")               << "\na\n" << W << "[color=blue]" << "[/color]" << "[color=blue]\na\n[/color]";
    QTest::newRow("wrap arabic")              << arabic << W << "[color=green]" << "[/color]" << "[color=green]" + arabic + "[/color]";
    QTest::newRow("wrap odd characters")      << nbsp + lineSeparator + loneSurrogate + nul << W << "[size=1]" << "[/size]" << "[size=1]" + nbsp + lineSeparator + loneSurrogate + nul + "[/size]";
    QTest::newRow("clear empty")              << "" << C << "" << "" << "";
    QTest::newRow("clear text")               << arabic + "\n" + nbsp << C << "" << "" << "";
    // clang-format on
}

void PostTest::changesGiveExactText() {
    QFETCH(QString, before);
    QFETCH(int, change);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, after);

    Program program;
    setPost(program.registry, before);
    QCOMPARE(postText(program.registry), before);

    PostBuffer post(program.registry);
    apply(post, Change(change), a, b);
    QCOMPARE(post.text(), after);

    // Undo gives back exactly the old text, redo exactly the new one.
    auto& box = postBox(post);
    if (before != after) {
        box.undo();
        QCOMPARE(post.text(), before);
        box.redo();
        QCOMPARE(post.text(), after);
    }
}

void PostTest::eachChangeIsOneUndoStep() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    box.setPlainText(QStringLiteral("abc"));
    QTextCursor caret = box.textCursor();
    caret.setPosition(1);
    caret.setPosition(2, QTextCursor::KeepAnchor);
    box.setTextCursor(caret);

    post.append(u":D");
    post.append(u":D");
    post.wrap(u"[size=2]", u"[/size]");
    post.clear();
    post.append(u";)");
    post.clear();

    const QStringList steps = {";)", "", "[size=2]abc:D:D[/size]", "abc:D:D", "abc:D", "abc"};
    QStringList undone;
    for (int i = 0; i < steps.size(); ++i) {
        box.undo();
        undone << post.text();
        // The undo of a clear gives the selection back as it was.
        if (i == 2)
            QCOMPARE(std::pair(box.textCursor().anchor(), box.textCursor().position()),
                     std::pair(1 + 8, 2 + 8));
    }
    QCOMPARE(undone, steps);
    box.undo(); // nothing before the first step
    QCOMPARE(post.text(), QStringLiteral("abc"));
}

// Undo and redo through any mix of the three changes walk the same history as
// a list of the texts the changes made, a new change cutting off what could
// be redone, and setting the whole text starting it anew.
void PostTest::historyRunsThroughClears() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    const QString pieces[] = {QStringLiteral("[QUOTE]مرحبا[/QUOTE]"), QStringLiteral(":D\n"),
                              QStringLiteral("Hello [b]world[/b] 😀"), QStringLiteral("\n\nسطر")};
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QRandomGenerator random(seed);
        box.setPlainText(pieces[seed % 4]);
        std::vector<QString> history{post.text()};
        std::size_t at = 0;
        for (int step = 0; step < 60; ++step) {
            const QString piece = pieces[random.bounded(4)];
            const auto what = Change(random.bounded(7));
            if (what <= Change::Wrap || (what == Change::Clear && !post.text().isEmpty())) {
                apply(post, what, piece, piece);
                history.resize(at + 1);
                history.push_back(post.text());
                ++at;
            } else if (int(what) == 3 || int(what) == 4) {
                box.undo();
                at -= at > 0;
            } else if (int(what) == 5) {
                box.redo();
                at += at + 1 < history.size();
            } else if (int(what) == 6 && random.bounded(8) == 0) {
                box.setPlainText(piece);
                history = {post.text()};
                at = 0;
            }
            QVERIFY2(post.text() == history[at],
                     qPrintable(QStringLiteral("seed %1 step %2").arg(seed).arg(step)));
            QCOMPARE(&post.document(), box.document());
        }
    }
}

void PostTest::changesLeaveCaretSelectionAndScroll() {
    Program program;
    PostBuffer post(program.registry);
    QString lines;
    for (int i = 0; i < 400; ++i)
        lines += QStringLiteral("line %1 of a long post\n").arg(i);
    setPost(program.registry, lines);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));

    QTextCursor selection = box.textCursor();
    selection.setPosition(2000);
    selection.setPosition(2010, QTextCursor::KeepAnchor);
    box.setTextCursor(selection);
    box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum() / 2);
    const int scrolled = box.verticalScrollBar()->value();
    const QString selected = box.textCursor().selectedText();

    post.append(u"[img]http://[/img]");
    QCOMPARE(box.textCursor().selectionStart(), 2000);
    QCOMPARE(box.textCursor().selectedText(), selected);
    QCOMPARE(box.verticalScrollBar()->value(), scrolled);
    QVERIFY(post.text().endsWith(QStringLiteral("post\n[img]http://[/img]")));

    post.wrap(u"[color=red]", u"[/color]");
    // The caret keeps its place in the user's text, which moved by the opening tag.
    QCOMPARE(box.textCursor().selectionStart(), 2000 + 11);
    QCOMPARE(box.textCursor().selectedText(), selected);
    QCOMPARE(box.verticalScrollBar()->value(), scrolled);
}

void PostTest::typingStaysBetweenFragments() {
    Program program;
    PostBuffer post(program.registry);
    auto& box = postBox(post);
    QVERIFY(exposed(program.registry, u"Form1"));
    box.setFocus();

    post.append(u"[QUOTE]x[/QUOTE]");
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral("typed"));
    post.append(u":p");
    QCOMPARE(post.text(), QStringLiteral("[QUOTE]x[/QUOTE]typed:p"));

    // Undo takes back the smiley alone, and the typing never swallows the command before it.
    box.undo();
    QCOMPARE(post.text(), QStringLiteral("[QUOTE]x[/QUOTE]typed"));
    box.undo();
    QVERIFY2(post.text().startsWith(QStringLiteral("[QUOTE]x[/QUOTE]")), qPrintable(post.text()));
}

void PostTest::idleStepsShareTheirTurn_data() {
    QTest::addColumn<qint64>("limitNs"); // what each kind's step takes at most
    // How long each kind's step runs in a turn: one kind after another, as the
    // loop runs their timers, all starting at once.
    QTest::addColumn<std::vector<qint64>>("runs");
    constexpr qint64 Turn = idle::TurnNs, Sliver = idle::SliverNs, Tick = 100'000;
    QTest::newRow("one kind, the whole allowance") << Turn << std::vector<qint64>{Turn};
    QTest::newRow("two kinds: the second only its sliver")
        << Turn << std::vector<qint64>{Turn, Sliver};
    QTest::newRow("three kinds under the allowance: what is left, then a sliver")
        << Turn - 10 * Tick << std::vector<qint64>{Turn - 10 * Tick, 10 * Tick, Sliver};
    QTest::newRow("limits under a sliver: a sliver each")
        << 2 * Tick << std::vector<qint64>{Sliver, Sliver, Sliver};
}

// The idle steps due in one turn of the event loop take one allowance between
// them, counted from the turn's start; each has its sliver, and the next turn
// starts a new allowance. Time passes only as the steps make it pass.
void PostTest::idleStepsShareTheirTurn() {
    QFETCH(qint64, limitNs);
    QFETCH(std::vector<qint64>, runs);
    static qint64 now = 0;
    idle::setClock([] { return now; });
    const auto restore = qScopeGuard([] { idle::setClock(nullptr); });
    std::vector<std::pair<qint64, qint64>> ran; // each step's turn start, and how long it took
    const auto step = [&ran, limitNs] {
        const qint64 turn = idle::turnStartNs();
        const idle::Step step(limitNs);
        const qint64 start = now;
        while (!step.over())
            now += 1'000; // a microsecond of work
        ran.emplace_back(turn, now - start);
    };
    for (int turn = 0; turn < 2; ++turn) {
        ran.clear();
        for (std::size_t kind = 0; kind < runs.size(); ++kind)
            QTimer::singleShot(0, this, step);
        QTRY_COMPARE(ran.size(), runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i)
            QCOMPARE(ran[i], std::pair(ran[0].first, runs[i]));
    }
}

QTEST_MAIN(PostTest)
#include "tst_post.moc"
