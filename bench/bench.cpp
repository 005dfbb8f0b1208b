// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// qirtaz-bench: what the program costs, one figure a line as "name: value".
// Each change of the post runs in the real main window, is forced through
// layout and paint, and is timed as the median of several runs after a
// warm-up. Figures, not verdicts: the goals live in docs/figures.md.
//
//   QT_QPA_PLATFORM=offscreen build-release/bench/qirtaz-bench [part ...]
// where a part (startup, 64kib, spell, 1mib, find, line, resize, key, preview, hostile,
// paste, memory) limits the run to it, for profiling; QIRTAZ_FIGURE=undo_clear (say) runs one
// change of the 64kib, 1mib and line parts, QIRTAZ_HOSTILE=5mib_line one hostile post (or several,
// comma-separated); QIRTAZ_DETAIL=1 prints each run of a change in its parts, and QIRTAZ_PERF_CTL
// (below) lets perf record the changes alone.

#include "app/find_window.h"
#include "app/wiring.h"
#include "bench/lines.h"
#include "board/preview.h"
#include "board/preview_view.h"
#include "board/profile.h"
#include "post/find.h"
#include "post/html_paste.h"
#include "post/post.h"
#include "postbox/post_box.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "spelling/post_checker.h"
#include "spelling/speller.h"
#include "tests/html_pages.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace qirtaz;
using bench::lines;

constexpr qsizetype KiB = 1024;

namespace {

void print(const char* name, double value) {
    std::printf("%s: %.2f\n", name, value);
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the event loop, waiting for events as a program does, until done()
// holds. (processEvents with a time limit never waits: it would keep a
// processor busy beside the preview's worker and measure that instead.)
template <typename Done> void runUntil(Done done) {
    if (done())
        return;
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start();
    loop.exec();
}

// ---- Start-up: the program against a bare Qt window, launched turn about.

struct Start {
    double ms = 0;
    double peakKib = 0;
};

Start launch(const QString& program, const QStringList& arguments = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    Start start;
    while (!process.canReadLine() && process.waitForReadyRead(10000)) {
    }
    start.ms = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray line = process.readLine().trimmed();
    process.waitForFinished(10000);
    if (!line.startsWith("shown ")) {
        std::fprintf(stderr, "%s did not report its window: %s\n", qPrintable(program),
                     line.constData());
        std::exit(1);
    }
    start.peakKib = line.mid(6).toDouble();
    return start;
}

// The quartiles and ends of values, as "least, first quartile, median, third
// quartile, most".
QString spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double share) {
        return values[std::size_t(std::lround(share * double(values.size() - 1)))];
    };
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(values.front(), 0, 'f', 1)
        .arg(at(0.25), 0, 'f', 1)
        .arg(median(values), 0, 'f', 1)
        .arg(at(0.75), 0, 'f', 1)
        .arg(values.back(), 0, 'f', 1);
}

// Each program is launched many times, the three turn about so that a busy
// moment of the machine falls on all of them alike; the figures are medians,
// and the spread of each is printed beside them.
void startup() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString probe = folder + QStringLiteral("/qirtaz-startup-probe");
    const QString bare = folder + QStringLiteral("/qirtaz-bare-window");
    const QStringList text{QStringLiteral("--text")};
    constexpr int Launches = 17;
    std::vector<double> probeMs, bareMs, textMs, probeKib, bareKib, textRatios;
    for (int run = 0; run < 2; ++run) { // warm the disk cache and the font cache
        launch(probe);
        launch(bare);
        launch(bare, text);
    }
    for (int run = 0; run < Launches; ++run) {
        const Start q = launch(probe);
        const Start b = launch(bare);
        const Start t = launch(bare, text);
        probeMs.push_back(q.ms);
        bareMs.push_back(b.ms);
        textMs.push_back(t.ms);
        probeKib.push_back(q.peakKib);
        bareKib.push_back(b.peakKib);
        textRatios.push_back(q.ms / t.ms);
    }
    print("startup_ms", median(probeMs));
    print("startup_bare_ms", median(bareMs));
    print("startup_ratio", median(probeMs) / median(bareMs));
    print("startup_text_ms", median(textMs));
    print("startup_text_ratio", median(probeMs) / median(textMs));
    std::printf("startup_launches: %d of each\n", Launches);
    std::printf("startup_spread_ms (least, quartiles, most): program %s; bare %s; with text %s\n",
                qPrintable(spread(probeMs)), qPrintable(spread(bareMs)),
                qPrintable(spread(textMs)));
    std::printf("startup_text_ratio_spread (each launch over the one beside it): %s\n",
                qPrintable(spread(textRatios)));
    print("rss_extra_mib", (median(probeKib) - median(bareKib)) / 1024);
}

// ---- The post's changes, in the real main window.

// The longest the event loop goes without a beat of a timer of 1 ms: how long
// the window's thread stays blocked while the beats run.
struct Beats {
    explicit Beats(QObject* context) {
        clock.start();
        beat.setInterval(1);
        QObject::connect(&beat, &QTimer::timeout, context, [this] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, double(now - last) / 1e6);
            last = now;
        });
    }
    void start() {
        last = clock.nsecsElapsed();
        beat.start();
    }
    void stop() { beat.stop(); }
    double seconds() const { return double(clock.nsecsElapsed()) / 1e9; }

    QElapsedTimer clock;
    qint64 last = 0;
    double longest = 0;
    QTimer beat;
};

// One line of about size code units, Arabic and Latin words in turn.
QString oneLine(qsizetype size) {
    QString text;
    text.reserve(size + 64);
    while (text.size() < size)
        text += QStringLiteral("كلمة عربية word [b]bold[/b] ");
    return text;
}

// A post of about size code units of Arabic and Latin words, some misspelt,
// no two lines alike, so that nothing of it has been checked before.
QString words(qsizetype size, quint32 seed) {
    static const QString sample[] = {
        QStringLiteral("مرحبا"),   QStringLiteral("بكم"),
        QStringLiteral("في"),      QStringLiteral("المنتدى"),
        QStringLiteral("الموضوع"), QStringLiteral("الموضوعع"),
        QStringLiteral("كتبت"),    QStringLiteral("هذه"),
        QStringLiteral("الكلمات"), QStringLiteral("سريعا"),
        QStringLiteral("Hello"),   QStringLiteral("board"),
        QStringLiteral("wrold"),   QStringLiteral("[b]bold[/b]"),
        QStringLiteral(":D"),      QStringLiteral("http://example.org"),
    };
    QRandomGenerator random(seed);
    QString text;
    text.reserve(size + 64);
    while (text.size() < size) {
        const int count = 4 + int(random.bounded(12));
        for (int i = 0; i < count; ++i)
            text += sample[random.bounded(int(std::size(sample)))] + u' ';
        text += u'\n';
    }
    return text;
}

class PostBench {
public:
    explicit PostBench(Registry& registry)
        : post_(registry)
        , box_(static_cast<postbox::PostBox&>(post_.box())) {}

    // The box shapes the lines in view at once and the rest in short steps
    // while the program is idle. Runs the event loop until every line is
    // shaped, checked for spelling and painted. Returns how long the first turn took, and the
    // longest of the turns after it.
    struct Turns {
        double first = 0;
        double later = 0;
    };
    Turns settle() {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        box_.viewport()->repaint();
        Turns turns{double(turn.nsecsElapsed()) / 1e6, 0};
        auto* layout = qobject_cast<PostLayout*>(box_.document()->documentLayout());
        // The spelling of the lines the change touched, and the marks it brings, too.
        const spelling::PostChecker* spelling = spelling::PostChecker::of(*box_.document());
        while ((layout && !layout->isComplete()) || (spelling && !spelling->isSettled())) {
            turn.restart();
            QCoreApplication::processEvents();
            turns.later = std::max(turns.later, double(turn.nsecsElapsed()) / 1e6);
        }
        turn.restart();
        QCoreApplication::processEvents();
        box_.viewport()->repaint();
        turns.later = std::max(turns.later, double(turn.nsecsElapsed()) / 1e6);
        return turns;
    }

    // With QIRTAZ_PERF_CTL naming the control fifo of `perf record -D -1 --control
    // fifo:...`, perf records the changes alone, not the turns after them.
    static void profiling(bool on) {
        static QFile* fifo = [] {
            const QString path = qEnvironmentVariable("QIRTAZ_PERF_CTL");
            auto* file = new QFile(path);
            if (path.isEmpty() || !file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                delete file;
                return static_cast<QFile*>(nullptr);
            }
            return file;
        }();
        if (fifo)
            fifo->write(on ? "enable\n" : "disable\n");
    }

    // A post with nothing to undo, left-aligned, the caret at its end.
    void fresh(const QString& text) {
        box_.setTextAlignment(Qt::AlignLeft);
        box_.setPlainText(text);
        box_.moveCursor(QTextCursor::End);
        settle();
    }

    // The longest the event loop is blocked by a change: the change itself
    // with the paint that shows it, or any later step of its layout.
    double time(const std::function<void()>& prepare, const std::function<void()>& change,
                int runs) {
        std::vector<double> ms;
        for (int run = -1; run < runs; ++run) { // the first run warms up
            prepare();
            settle();
            QElapsedTimer timer;
            profiling(true);
            timer.start();
            change();
            const double changed = double(timer.nsecsElapsed()) / 1e6;
            profiling(false);
            const Turns turns = settle();
            const double stall = std::max(changed + turns.first, turns.later);
            if (qEnvironmentVariableIsSet("QIRTAZ_DETAIL"))
                std::printf("  change %.2f, its turn %.2f, the longest turn after %.2f\n", changed,
                            turns.first, turns.later);
            if (run >= 0)
                ms.push_back(stall);
        }
        return median(ms);
    }

    void setWrapping(bool on) { box_.setWrapping(on); }

    // The main window made wider and back again, a post of text in it, the
    // caret in its middle: the longest the event loop is held, the lines
    // wrapped anew at each width.
    double resized(const QString& text, int runs) {
        QWidget* window = box_.window();
        const QSize opened = window->size();
        fresh(text);
        QTextCursor middle = box_.textCursor();
        middle.setPosition(int(text.size() / 2));
        box_.setTextCursor(middle);
        settle();
        bool wide = false;
        const double ms = time([] {},
                               [&] {
                                   wide = !wide;
                                   window->resize(wide ? opened + QSize(500, 300) : opened);
                               },
                               runs);
        window->resize(opened);
        settle();
        return ms;
    }

    void typeKey() {
        // An Arabic letter, as the user types it: through the box's own key handling.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ب"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ب"));
        QCoreApplication::sendEvent(&box_, &press);
        QCoreApplication::sendEvent(&box_, &release);
    }

    // Every command on the post, each timed; returns the slowest, and prints
    // each one under prefix when asked.
    double slowest(const char* prefix, const QString& text, int runs) {
        const auto reset = [&] { fresh(text); };
        struct Figure {
            const char* name;
            std::function<void()> prepare;
            std::function<void()> change;
        };
        const std::vector<Figure> figures = {
            {"append", reset, [&] { post_.append(u":D"); }},
            {"undo_append",
             [&] {
                 reset();
                 post_.append(u":D");
             },
             [&] { box_.undo(); }},
            {"wrap", reset, [&] { post_.wrap(u"[color=red]", u"[/color]"); }},
            {"undo_wrap",
             [&] {
                 reset();
                 post_.wrap(u"[color=red]", u"[/color]");
             },
             [&] { box_.undo(); }},
            {"clear", reset, [&] { post_.clear(); }},
            {"undo_clear",
             [&] {
                 reset();
                 post_.clear();
             },
             [&] { box_.undo(); }},
            {"key_at_start",
             [&] {
                 reset();
                 box_.moveCursor(QTextCursor::Start);
             },
             [&] { typeKey(); }},
            {"key_at_end", reset, [&] { typeKey(); }},
            // The grin that also right-aligns the post, and the change after it.
            {"right_align", reset,
             [&] {
                 post_.append(u":D");
                 box_.setTextAlignment(Qt::AlignRight);
             }},
            {"append_right_aligned",
             [&] {
                 reset();
                 box_.setTextAlignment(Qt::AlignRight);
             },
             [&] { post_.append(u":D"); }},
        };
        const QByteArray only = qgetenv("QIRTAZ_FIGURE"); // one of them, for profiling
        double worst = 0;
        for (const Figure& figure : figures) {
            if (!only.isEmpty() && only != figure.name)
                continue;
            const double ms = time(figure.prepare, figure.change, runs);
            std::printf("%s_%s_ms: %.2f\n", prefix, figure.name, ms);
            worst = std::max(worst, ms);
        }
        std::fflush(stdout);
        return worst;
    }

    // The longest the window's thread is held by a change, the change sent as
    // an event, until the box has shaped it and the spelling has read it.
    double held(const std::function<void()>& change, int runs) {
        auto* layout = qobject_cast<PostLayout*>(box_.document()->documentLayout());
        const spelling::PostChecker* spelling = spelling::PostChecker::of(*box_.document());
        const auto settled = [&] {
            return (!layout || layout->isComplete()) && (!spelling || spelling->isSettled());
        };
        std::vector<double> ms;
        for (int run = -1; run < runs; ++run) { // the first run warms up
            runUntil(settled);
            Beats beats(&box_);
            bool done = false;
            beats.start();
            QTimer::singleShot(0, &box_, [&] {
                change();
                done = true;
            });
            runUntil([&] { return done && settled(); });
            box_.viewport()->repaint();
            QCoreApplication::processEvents();
            beats.stop();
            if (run >= 0)
                ms.push_back(beats.longest);
        }
        return median(ms);
    }

    // The keys that change a long line where it starts and where it ends, and
    // the same changes made straight on the document as an editor of its own
    // makes them; returns the slowest key and the slowest edit.
    std::pair<double, double> lineEnds(const char* prefix, const QString& text, int runs) {
        fresh(text);
        box_.setFocus();
        struct Key {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        const Key keys[] = {
            {"letter", Qt::Key_unknown, Qt::NoModifier},
            {"delete", Qt::Key_Delete, Qt::NoModifier},
            {"ctrl_delete", Qt::Key_Delete, Qt::ControlModifier},
            {"ctrl_backspace", Qt::Key_Backspace, Qt::ControlModifier},
        };
        double worstKey = 0;
        for (const bool atStart : {true, false}) {
            for (const Key& key : keys) {
                const double ms = held(
                    [&] {
                        box_.moveCursor(atStart ? QTextCursor::Start : QTextCursor::End);
                        if (key.key == Qt::Key_unknown)
                            typeKey();
                        else
                            QTest::keyClick(&box_, key.key, key.modifiers);
                    },
                    runs);
                std::printf("%s_%s_at_%s_ms: %.2f\n", prefix, key.name, atStart ? "start" : "end",
                            ms);
                worstKey = std::max(worstKey, ms);
            }
        }
        // A letter, one character and one word, taken away at either end.
        QTextDocument& document = *box_.document();
        const auto edit = [&document](qsizetype from, qsizetype to, const QString& insert) {
            QTextCursor cursor(&document);
            cursor.beginEditBlock();
            cursor.setPosition(int(from));
            cursor.setPosition(int(to), QTextCursor::KeepAnchor);
            if (from != to)
                cursor.removeSelectedText();
            cursor.insertText(insert);
            cursor.endEditBlock();
        };
        const auto end = [&document] { return qsizetype(document.characterCount() - 1); };
        // The text near an end, read without a copy of the whole line (and
        // without a cursor, which would have Qt lay the whole line out).
        const auto near = [&document](qsizetype from, qsizetype to) {
            QString text;
            for (qsizetype i = std::max<qsizetype>(from, 0); i < to; ++i)
                text += document.characterAt(int(i));
            return text;
        };
        const auto wordBefore = [&near, &end] {
            const QString last = near(end() - 64, end()).trimmed();
            return end() - (last.size() - last.lastIndexOf(u' ') - 1);
        };
        const auto wordAfter = [&near] { return qsizetype(near(0, 64).indexOf(u' ') + 1); };
        const std::pair<const char*, std::function<void()>> edits[] = {
            {"insert_at_start", [&] { edit(0, 0, QStringLiteral("ب")); }},
            {"insert_at_end", [&] { edit(end(), end(), QStringLiteral("ب")); }},
            {"remove_at_start", [&] { edit(0, 1, {}); }},
            {"remove_at_end", [&] { edit(end() - 1, end(), {}); }},
            {"remove_word_at_start", [&] { edit(0, wordAfter(), {}); }},
            {"remove_word_at_end", [&] { edit(wordBefore(), end(), {}); }},
        };
        double worstEdit = 0;
        for (const auto& [name, change] : edits) {
            const double ms = held(change, runs);
            std::printf("%s_edit_%s_ms: %.2f\n", prefix, name, ms);
            worstEdit = std::max(worstEdit, ms);
        }
        std::fflush(stdout);
        return {worstKey, worstEdit};
    }

    // Find all of a word in the post as the worker does it, on the text read
    // off the box: the window's thread never waits on it.
    double findAll(const QString& text, const QString& word, int runs) {
        fresh(text);
        const find::Finder finder(word, find::Options{});
        std::vector<double> ms;
        std::size_t found = 0;
        for (int run = -1; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            found = finder.findAll(post::text(*box_.document())).size();
            if (run >= 0)
                ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        if (found < 1000)
            std::printf("find_all: only %zu matches\n", found);
        return median(ms);
    }

    // Replace all of a word, until the post is laid out and painted again;
    // checks that one undo gives the post back.
    double replaceAll(const QString& text, const QString& word, const QString& replacement,
                      int runs) {
        PostSearch search(box_);
        const double ms = time(
            [&] {
                fresh(text);
                search.search(word, find::Options{});
            },
            [&] { search.replaceAll(replacement); }, runs);
        box_.undo();
        if (post_.text() != text)
            std::printf("replace_all: one undo did not give the post back!\n");
        return ms;
    }

    // The same clear and its undo, and the same assignment, on a bare document:
    // what the document itself costs, whoever shows it.
    static std::array<double, 2> bareDocument(const QString& text, int runs) {
        std::vector<double> undo;
        std::vector<double> assign;
        QTextDocument document;
        for (int run = -1; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            document.setPlainText(text);
            const double assigned = double(timer.nsecsElapsed()) / 1e6;
            post::clear(document);
            timer.restart();
            document.undo();
            if (run >= 0) {
                undo.push_back(double(timer.nsecsElapsed()) / 1e6);
                assign.push_back(assigned);
            }
        }
        return {median(undo), median(assign)};
    }

    double assign(const QString& text, int runs) {
        return time([&] { fresh(text); }, [&] { box_.setPlainText(text); }, runs);
    }

    // The longest the event loop stays blocked while a post nothing of which
    // was checked before is checked whole, and how long that takes in all (s).
    std::pair<double, double> spelled(const QString& text) {
        spelling::Speller& speller = spelling::Speller::instance();
        speller.setEnabled(false);
        fresh(text);
        const spelling::PostChecker* checker = spelling::PostChecker::of(*box_.document());
        Beats beats(&box_);
        beats.start();
        speller.setEnabled(true);
        runUntil([&] { return checker->isSettled(); });
        box_.viewport()->repaint();
        const double all = beats.seconds();
        QCoreApplication::processEvents();
        beats.stop();
        return {beats.longest, all};
    }

    // Resident memory now, after handing freed pages back, in MiB.
    static double residentMib() {
        malloc_trim(0);
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        return 0;
    }

    // Mixed commands as a long session makes them, from a fixed seed.
    void commands(int count, QRandomGenerator& random) {
        for (int i = 0; i < count; ++i) {
            switch (random.bounded(8)) {
            case 0:
                post_.append(u"[img]http://example.com/صورة.gif[/img]");
                break;
            case 1:
                post_.wrap(u"[size=3]", u"[/size]");
                break;
            case 2:
                if (random.bounded(4) == 0)
                    post_.clear();
                break;
            case 3:
            case 4:
                box_.undo();
                break;
            case 5:
                box_.redo();
                break;
            case 6:
                typeKey();
                break;
            case 7:
                box_.setTextAlignment(random.bounded(2) ? Qt::AlignRight : Qt::AlignLeft);
                break;
            }
            settle();
        }
    }

    // The preview's rendering of text: from the moment it sets out until the
    // board's reading of the post is on show and painted.
    double previewed(PostPreview& preview, const QString& text, int runs) {
        fresh(text);
        std::vector<double> ms;
        for (int run = -1; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            preview.follow(box_.document());
            runUntil([&] { return !preview.isBehind(); });
            preview.view()->viewport()->repaint();
            if (run >= 0)
                ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        return median(ms);
    }

    // The longest the event loop stays blocked while a user types keys at a
    // brisk pace into text with the preview open and following, until the
    // preview has caught up with the last key.
    double typingStall(PostPreview& preview, const QString& text, int keys) {
        fresh(text);
        preview.follow(box_.document());
        runUntil([&] { return !preview.isBehind(); });
        box_.setFocus();
        Beats beats(&box_);
        int typed = 0;
        QTimer typist;
        typist.setInterval(80);
        QObject::connect(&typist, &QTimer::timeout, &box_, [&] {
            if (typed == keys)
                return typist.stop();
            typeKey();
            ++typed;
        });
        beats.start();
        typist.start();
        runUntil([&] { return typed == keys && !preview.isBehind(); });
        typist.stop();
        beats.stop();
        return beats.longest;
    }

    // Hostile posts through every command, undo and key, with the preview
    // open and closed while it works; returns the longest the window's thread
    // was blocked, as a watchdog thread saw it.
    // Where a post's name starts with "keys_", the keys that change a long
    // line at either end rather than every command.
    double hostile(Registry& registry,
                   std::initializer_list<std::pair<const char*, QString>> posts) {
        double worst = 0;
        // Some of them, for profiling: their names, comma-separated.
        const QList<QByteArray> only = qgetenv("QIRTAZ_HOSTILE").split(',');
        for (const auto& [name, text] : posts) {
            if (!only.front().isEmpty() && !only.contains(name))
                continue;
            const bool keysOnly = QByteArray(name).startsWith("keys_");
            fresh(QString());
            registry.instance(names::Preview).show();
            Watchdog watchdog;
            QGuiApplication::clipboard()->setText(text);
            box_.setFocus();
            // Each change, and whether it is an undo, which must give back the
            // post as it was before the change it undoes.
            const auto key = [&](bool atStart, Qt::Key key, Qt::KeyboardModifiers modifiers) {
                return [this, atStart, key, modifiers] {
                    box_.moveCursor(atStart ? QTextCursor::Start : QTextCursor::End);
                    if (key == Qt::Key_unknown)
                        typeKey();
                    else
                        QTest::keyClick(&box_, key, modifiers);
                };
            };
            // The same changes made straight on the document, as an editor of
            // its own makes them.
            const auto edit = [this](bool atStart, qsizetype length, const QString& insert) {
                return [this, atStart, length, insert] {
                    QTextDocument& document = *box_.document();
                    const qsizetype end = document.characterCount() - 1;
                    const qsizetype from = atStart ? 0 : end - length;
                    QTextCursor cursor(&document);
                    cursor.beginEditBlock();
                    cursor.setPosition(int(from));
                    cursor.setPosition(int(from + length), QTextCursor::KeepAnchor);
                    if (length > 0)
                        cursor.removeSelectedText();
                    cursor.insertText(insert);
                    cursor.endEditBlock();
                };
            };
            // One long line: the keys that change it, at either end.
            const std::vector<std::pair<const char*, std::function<void()>>> lineSteps = {
                {"paste", [&] { box_.paste(); }},
                {"key_at_end", key(false, Qt::Key_unknown, Qt::NoModifier)},
                {"delete_at_end", key(false, Qt::Key_Delete, Qt::NoModifier)},
                {"ctrl_delete_at_end", key(false, Qt::Key_Delete, Qt::ControlModifier)},
                {"ctrl_backspace_at_end", key(false, Qt::Key_Backspace, Qt::ControlModifier)},
                {"key_at_start", key(true, Qt::Key_unknown, Qt::NoModifier)},
                {"delete_at_start", key(true, Qt::Key_Delete, Qt::NoModifier)},
                {"ctrl_delete_at_start", key(true, Qt::Key_Delete, Qt::ControlModifier)},
                {"ctrl_backspace_at_start", key(true, Qt::Key_Backspace, Qt::ControlModifier)},
                {"edit_letter_at_end", edit(false, 0, QStringLiteral("ب"))},
                {"edit_remove_at_end", edit(false, 1, {})},
                {"edit_remove_word_at_end", edit(false, 12, {})},
                {"edit_letter_at_start", edit(true, 0, QStringLiteral("ب"))},
                {"edit_remove_at_start", edit(true, 1, {})},
                {"edit_remove_word_at_start", edit(true, 12, {})},
            };
            const std::vector<std::pair<const char*, std::function<void()>>> everyCommand = {
                {"paste", [&] { box_.paste(); }},
                {"append", [&] { post_.append(u":D"); }},
                {"wrap", [&] { post_.wrap(u"[color=red]", u"[/color]"); }},
                {"undo", [&] { box_.undo(); }},
                {"key_at_end", [&] { typeKey(); }},
                {"key_at_start",
                 [&] {
                     box_.moveCursor(QTextCursor::Start);
                     typeKey();
                 }},
                {"undo", [&] { box_.undo(); }},
                {"close_preview",
                 [&] {
                     post_.append(u";)");
                     // closed while it reads or builds, and opened again
                     registry.instance(names::Preview).unload();
                     registry.instance(names::Preview).show();
                 }},
                {"clear", [&] { post_.clear(); }},
                {"undo", [&] { box_.undo(); }},
            };
            // A second after each step, as a brisk user; the preview works on
            // meanwhile, and at the end it must catch up with the post.
            std::vector<QString> before;
            QString line;
            bool exact = true;
            double worstHere = 0;
            QElapsedTimer clock;
            for (const auto& [what, step] : keysOnly ? lineSteps : everyCommand) {
                const bool undo = qstrcmp(what, "undo") == 0;
                if (!undo)
                    before.push_back(post_.text());
                watchdog.reset();
                step();
                clock.start();
                runUntil([&] { return clock.elapsed() > 1000; });
                const double ms = watchdog.worstMs();
                worstHere = std::max(worstHere, ms);
                line += QStringLiteral(" %1 %2").arg(QLatin1String(what)).arg(qRound(ms));
                if (undo) {
                    exact = exact && post_.text() == before.back();
                    before.pop_back();
                }
            }
            // Caught up once what the preview's view shows is the post as it
            // is; the rest of a long post is added below the view after that.
            clock.start();
            runUntil([&] {
                return !openPreview(registry)->isBehindInView() || clock.elapsed() > 300000;
            });
            const double inView = double(clock.elapsed()) / 1e3;
            runUntil(
                [&] { return !openPreview(registry)->isBehind() || clock.elapsed() > 300000; });
            std::printf("hostile_%s_ms: %.2f (%s)%s\n", name, worstHere, qPrintable(line.trimmed()),
                        exact ? "" : " (an undo did not restore the post!)");
            std::printf("hostile_%s_preview_catches_up_s: %.1f\n", name, inView);
            std::printf("hostile_%s_preview_whole_s: %.1f\n", name, double(clock.elapsed()) / 1e3);
            std::fflush(stdout);
            worst = std::max(worst, worstHere);
            registry.instance(names::Preview).unload();
        }
        return worst;
    }

    // Ctrl+Shift+V of a page on the clipboard, into an empty post: the longest
    // the window's thread is held from the key until the tags are in and
    // painted, and how long until they are all in. Says so when the post is
    // not the page's tags, or one undo does not empty it.
    std::pair<double, double> pastedPage(const char* name, const QString& html) {
        const QString tags = paste::boardTags(html);
        fresh(QString());
        auto* clipboard = new QMimeData;
        clipboard->setHtml(html);
        QGuiApplication::clipboard()->setMimeData(clipboard);
        box_.setFocus();
        Watchdog watchdog;
        QElapsedTimer clock;
        clock.start();
        QTest::keySequence(&box_, QKeySequence(QStringLiteral("Ctrl+Shift+V")));
        runUntil([&] {
            return box_.document()->characterCount() > tags.size() || clock.elapsed() > 120000;
        });
        const double all = double(clock.nsecsElapsed()) / 1e6;
        settle();
        const double held = watchdog.worstMs();
        if (post_.text() != tags)
            std::printf("%s: the post is not the page's tags!\n", name);
        box_.undo();
        if (!post_.text().isEmpty())
            std::printf("%s: one undo did not empty the post!\n", name);
        return {held, all};
    }

private:
    // The window's thread beats every millisecond; a thread of its own, which
    // touches nothing of Qt's, notes the longest gap between beats.
    class Watchdog {
    public:
        Watchdog() {
            beat_.setInterval(1);
            QObject::connect(&beat_, &QTimer::timeout, &beat_, [this] { last_ = now(); });
            last_ = now();
            beat_.start();
            watcher_ = std::thread([this] {
                while (!done_) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    worst_ = std::max<qint64>(worst_, now() - last_);
                }
            });
        }
        ~Watchdog() {
            done_ = true;
            watcher_.join();
        }
        double worstMs() const { return double(worst_) / 1e6; }
        void reset() {
            last_ = now();
            worst_ = 0;
        }

    private:
        static qint64 now() {
            return std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        }
        QTimer beat_;
        std::atomic<qint64> last_{0};
        std::atomic<qint64> worst_{0};
        std::atomic<bool> done_{false};
        std::thread watcher_;
    };

    PostBuffer post_;
    postbox::PostBox& box_;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList parts = QCoreApplication::arguments().mid(1);
    const auto wanted = [&](const char* part) {
        return parts.isEmpty() || parts.contains(QLatin1String(part));
    };
    if (wanted("startup"))
        startup();

    Registry registry;
    bindAll(registry);
    start(registry);
    PostBench bench(registry);
    if (!QTest::qWaitForWindowExposed(PostBuffer(registry).box().window()))
        return 1;

    // The dictionaries load in the background once the window is up; the
    // changes below are timed with the post checked as it changes.
    runUntil([] { return spelling::Speller::instance().isReady(); });

    const QString small = lines(64 * KiB);
    if (wanted("spell")) {
        std::vector<double> stalls, totals;
        for (quint32 run = 0; run < 5; ++run) {
            const auto [stall, all] = bench.spelled(words(64 * KiB, run));
            stalls.push_back(stall);
            totals.push_back(all);
        }
        print("spell_64kib_ms", median(stalls));
        print("spell_64kib_s", median(totals));
    }
    if (wanted("64kib"))
        print("slowest_64kib_ms", bench.slowest("64kib", small, 7));

    const QString big = lines(1024 * KiB);
    if (wanted("1mib")) {
        const double slowestBig = bench.slowest("1mib", big, 5);
        const double assignBig = bench.assign(big, 5);
        print("slowest_1mib_ms", slowestBig);
        print("assign_1mib_ms", assignBig);
        print("slowest_vs_assign_1mib", slowestBig / assignBig);
        const auto [bareUndo, bareAssign] = PostBench::bareDocument(big, 5);
        print("bare_document_undo_clear_1mib_ms", bareUndo);
        print("bare_document_assign_1mib_ms", bareAssign);
    }

    if (wanted("find")) {
        print("find_all_1mib_ms", bench.findAll(big, QStringLiteral("المنتدى"), 7));
        print("replace_all_1mib_ms",
              bench.replaceAll(big, QStringLiteral("المنتدى"), QStringLiteral("المنتديات"), 5));
    }

    if (wanted("line")) {
        print("line_100kib_ms", bench.slowest("line", oneLine(100 * KiB), 3));
        bench.setWrapping(true);
        print("line_100kib_wrapped_ms", bench.slowest("line_wrapped", oneLine(100 * KiB), 3));
        bench.setWrapping(false);
    }

    if (wanted("resize")) {
        bench.setWrapping(true);
        print("resize_wrapped_1mib_ms", bench.resized(big, 5));
        bench.setWrapping(false);
    }

    if (wanted("key")) {
        const auto [key, edit] = bench.lineEnds("5mib_line", oneLine(qsizetype(5) * 1024 * KiB), 3);
        print("key_5mib_line_ms", key);
        print("edit_5mib_line_ms", edit);
    }

    // The preview reads the post as the board QIRTAZ_BOARD names (a profile's
    // key: "phpbb", "smf" …), the default without it; the part "boards" times
    // it under every board in turn.
    const QByteArray boardKey = qgetenv("QIRTAZ_BOARD");
    for (const board::Profile& profile : board::profiles())
        if (QLatin1StringView(boardKey) == profile.key)
            chooseBoard(registry, profile);
    if (wanted("preview") || wanted("boards")) {
        registry.instance(names::Preview).show();
        PostPreview* preview = openPreview(registry);
        if (!preview || !QTest::qWaitForWindowExposed(preview->window()))
            return 1;
        if (wanted("preview")) {
            print("preview_64kib_ms", bench.previewed(*preview, small, 7));
            print("preview_stall_1mib_ms", bench.typingStall(*preview, big, 60));
        }
        if (!parts.isEmpty() && wanted("boards")) {
            for (const board::Profile& profile : board::profiles()) {
                chooseBoard(registry, profile);
                const std::string key(profile.key.data(), std::size_t(profile.key.size()));
                print(("preview_64kib_ms@" + key).c_str(), bench.previewed(*preview, small, 7));
                print(("preview_stall_1mib_ms@" + key).c_str(),
                      bench.typingStall(*preview, big, 60));
            }
            chooseBoard(registry, board::defaultProfile());
        }
        registry.instance(names::Preview).unload();
    }

    if (wanted("hostile")) {
        QString controls;
        for (int i = 0; controls.size() < 256 * KiB; ++i)
            controls += QStringLiteral("\u202Eabc\u2066[b]\u0000x[/b]\u200F\u202C\n");
        QString tagLines;
        for (int i = 0; i < 100000; ++i)
            tagLines += QStringLiteral("[b][i][color=red]x[/color][/i][/b]\n");
        print("worst_stall_hostile_ms",
              bench.hostile(registry, {
                                          {"10mib_lines", lines(qsizetype(10) * 1024 * KiB)},
                                          {"5mib_line", oneLine(qsizetype(5) * 1024 * KiB)},
                                          {"keys_20mib_line", oneLine(qsizetype(20) * 1024 * KiB)},
                                          {"1mib_img_word",
                                           "[img]http://" + QString(1024 * KiB, u'a') + "[/img]"},
                                          {"100k_tag_lines", tagLines},
                                          {"300k_url", QStringLiteral("[url=").repeated(300000)},
                                          {"controls", controls},
                                      }));
    }

    if (wanted("paste")) {
        struct Page {
            const char* name;
            QString html;
        };
        const Page pages[] = {
            {"5mib", pages::boardPage(qsizetype(5) * 1024 * KiB)},
            {"1mib", pages::boardPage(1024 * KiB)},
            {"6000_tables", pages::nested(QLatin1StringView("table><tr><td"), 6000)},
            {"3000_tables", pages::nested(QLatin1StringView("table><tr><td"), 3000)},
            {"10000_lists", pages::nested(QLatin1StringView("ul><li"), 10000)},
            {"100000_divs", pages::nested(QLatin1StringView("div"), 100000)},
        };
        for (const Page& page : pages) {
            std::vector<double> held, all;
            for (int run = 0; run < 3; ++run) {
                const auto [heldMs, allMs] = bench.pastedPage(page.name, page.html);
                held.push_back(heldMs);
                all.push_back(allMs);
            }
            std::printf("paste_html_%s_ms: %.2f\npaste_html_%s_all_ms: %.2f\n", page.name,
                        median(held), page.name, median(all));
            std::fflush(stdout);
        }
    }

    if (!wanted("memory"))
        return 0;
    bench.fresh(lines(100 * KiB));
    QRandomGenerator random(1);
    bench.commands(50, random); // the caches every session fills
    const double before = PostBench::residentMib();
    bench.commands(1000, random);
    print("memory_growth_1000_mib", PostBench::residentMib() - before);
    return 0;
}
