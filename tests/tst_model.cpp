// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Long random runs of clicks, typing and closed windows, checked after every
// event against a plain model: the post as a string and the state of each screen.
//
// The seeds are fixed, so every run of the suite checks the same thing: seeds
// 1, 2, 3 ... until QIRTAZ_MODEL_EVENTS events (4,000 unless told) have been
// checked. A failure prints its seed; QIRTAZ_SEED=<seed> replays that one run
// alone, and QIRTAZ_SEED=random runs one new seed and prints it.

#include "post/post.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

#include <cstdio>
#include <map>

using namespace qirtaz;
using namespace qirtaz::testing;

namespace {

// What a dialog's OK adds, from the texts of its boxes, written out the way a
// user reads the board's tags.
struct Dialog {
    const char* screen;
    const char* opener; // a control of the main window; empty: opened from the colour list
    QStringList boxes;  // with their texts on opening
    const char* ok;
    const char* cancel;
    QString (*fragment)(const std::map<QString, QString>& boxes, bool video);
    bool showsMainWindow;
};

QString slot(const std::map<QString, QString>& boxes, const char* name) {
    return boxes.at(QString::fromLatin1(name));
}

const Dialog dialogs[] = {
    {"Form2",
     "Image1",
     {"Text1=http://"},
     "Image1",
     "Image2",
     [](const auto& b, bool) { return "[img]" + slot(b, "Text1") + "[/img]"; },
     true},
    {"Form3",
     "Image3",
     {"Text1=", "Text2=http://"},
     "Image1",
     "Image2",
     [](const auto& b, bool) {
         return "[url=" + slot(b, "Text2") + "]" + slot(b, "Text1") + "[url/]";
     },
     true},
    {"Form4",
     "Image2",
     {"Text1=http://"},
     "Image1",
     "Image2",
     [](const auto& b, bool) { return "[web]" + slot(b, "Text1") + "[/web]"; },
     false},
    {"Form8",
     "Image6",
     {"Text1=http://", "Text2=350", "Text3=400"},
     "Image1",
     "Image2",
     [](const auto& b, bool) {
         return "[FLASH=" + slot(b, "Text1") + "]WIDTH=" + slot(b, "Text3") +
                "HEIGHT=" + slot(b, "Text2") + "[/FLASH]";
     },
     false},
    {"Form19",
     "Image4",
     {"Text1=http://"},
     "Image1",
     "Image2",
     [](const auto& b, bool) { return "[SOUND]" + slot(b, "Text1") + "[/SOUND]"; },
     false},
    {"Form20",
     "Image5",
     {"Text1=http://"},
     "Image1",
     "Image2",
     [](const auto& b, bool video) {
         return video ? "[RAM]" + slot(b, "Text1") + "[/RAM]"
                      : "[RAM2]" + slot(b, "Text1") + "[/RAM2]";
     },
     false},
    {"Form18",
     "Label11",
     {"Text1="},
     "Image1",
     "Image2",
     [](const auto& b, bool) { return "[QUOTE]" + slot(b, "Text1") + "[/QUOTE]"; },
     false},
    {"Form17",
     "Command1",
     {"Text1=", "Text2=", "Text3=", "Text4=", "Text5="},
     "Command2",
     "Image1",
     [](const auto& b, bool) { return "[size=2]" + slot(b, "Text2") + "[/size]"; },
     false},
    {"Form12",
     "",
     {"Text1="},
     "Image1",
     "Image2",
     [](const auto& b, bool) { return "[color=blue]" + slot(b, "Text1") + "[/color]"; },
     true},
};

const QStringList typedTexts = {"", " ", "abc", "[/QUOTE]", "a]b=c", "نص عربي", " x  y "};

} // namespace

// How long one seed's run goes on: long enough for posts to grow and dialogs to
// pile up, short enough that a failure's log can be read.
constexpr int eventsPerRun = 120;

class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void randomRunsMatchTheModel();

private:
    // One seed's run; returns how many events it performed and checked.
    static int run(quint32 seed);
};

namespace {
QtMessageHandler testLog = nullptr;
}

void ModelTest::initTestCase() {
    // The offscreen platform says on every dialog shown that it cannot raise
    // windows or pass on size hints: tens of thousands of lines on a long run,
    // and time spent writing them.
    testLog = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message == u"This plugin does not support raise()" ||
                message == u"This plugin does not support propagateSizeHints()")
                return;
            testLog(type, context, message);
        });
}

void ModelTest::randomRunsMatchTheModel() {
    const QByteArray asked = qgetenv("QIRTAZ_SEED");
    if (!asked.isEmpty()) {
        // A replay passes or fails on what the program does, never on how much
        // this one seed happens to do.
        const quint32 seed =
            asked == "random" ? QRandomGenerator::global()->generate() : asked.toUInt();
        const int performed = run(seed);
        std::fprintf(stderr, "%d events from seed %u\n", performed, seed);
        return;
    }

    const int wanted = qEnvironmentVariableIsSet("QIRTAZ_MODEL_EVENTS")
                           ? qEnvironmentVariableIntValue("QIRTAZ_MODEL_EVENTS")
                           : 4000;
    // Runs that stop doing anything (a main window that no longer opens, say)
    // would pass every check: the seeds run out long before the events do.
    const auto lastSeed = quint32(wanted / 10 + 1);
    int performed = 0;
    quint32 seed = 1;
    for (; performed < wanted && seed <= lastSeed; ++seed) {
        performed += run(seed);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY2(performed >= wanted,
             qPrintable(QStringLiteral("only %1 events in %2 runs").arg(performed).arg(seed - 1)));
    std::fprintf(stderr, "%d events in %u runs\n", performed, seed - 1);
}

int ModelTest::run(quint32 seed) {
    QRandomGenerator random(seed);
    QStringList log;
    // Where a failure happened: the seed and the events that led there.
    const auto where = [&] {
        const QStringList last = log.mid(std::max<qsizetype>(0, log.size() - 30));
        return "seed " + QByteArray::number(seed) + ", event " + QByteArray::number(log.size()) +
               ", the last of them: " + last.join(u"; ").toUtf8();
    };

    Program program;
    Registry& registry = program.registry;
    MessageBoxes boxes;
    QString post;                                        // the model of the post
    std::map<QString, std::map<QString, QString>> typed; // the model of open dialogs' boxes
    std::map<QString, bool> video;

    const auto shown = [&](QStringView screen) {
        return registry.state(screen) == ScreenState::Shown;
    };
    const auto opened = [&](const Dialog& dialog) {
        const QString name = QString::fromLatin1(dialog.screen);
        if (typed.count(name))
            return; // already open: keeps what was typed
        for (const QString& box : dialog.boxes)
            typed[name][box.section(u'=', 0, 0)] = box.section(u'=', 1);
        video[name] = false;
    };
    const auto mainWindowBack = [&] {
        if (registry.state(u"Form1") != ScreenState::Shown &&
            !registry.instance(u"Form1").isLoaded())
            post.clear(); // a fresh main window starts with an empty post
    };

    for (int step = 0; step < eventsPerRun * 10 && log.size() < eventsPerRun && !program.finished;
         ++step) {
        const Dialog& dialog = dialogs[random.bounded(int(std::size(dialogs)))];
        const QString name = QString::fromLatin1(dialog.screen);
        switch (random.bounded(7)) {
        case 0: // open the dialog
            if (!shown(u"Form1"))
                break;
            if (*dialog.opener) {
                log << "open " + name;
                click(registry, u"Form1", QString::fromLatin1(dialog.opener));
            } else {
                log << "open " + name + " through the colour list";
                click(registry, u"Form1", u"Image17");
                click(registry, u"Form9", u"Label12");
            }
            opened(dialog);
            break;
        case 1: { // type into one of its boxes
            if (!shown(name))
                break;
            const QString box =
                dialog.boxes[random.bounded(int(dialog.boxes.size()))].section(u'=', 0, 0);
            const QString& text = typedTexts[random.bounded(int(typedTexts.size()))];
            log << "type '" + text + "' into " + name + "." + box;
            auto& edit = qirtaz::testing::box(registry, name, box);
            edit.selectAll();
            edit.del();
            edit.setFocus();
            typeText(&edit, text);
            typed[name][box] = text;
            break;
        }
        case 2: // choose the video button where there is one
            if (!shown(name) || name != u"Form20")
                break;
            log << "choose video";
            click(registry, name, u"Option2");
            video[name] = true;
            break;
        case 3: // OK
            if (!shown(name))
                break;
            log << "OK on " + name;
            mainWindowBack();
            click(registry, name, QString::fromLatin1(dialog.ok));
            post += dialog.fragment(typed[name], video[name]);
            typed.erase(name);
            break;
        case 4: // cancel, or close through the frame
            if (!shown(name))
                break;
            log << "close " + name;
            if (random.bounded(2))
                click(registry, name, QString::fromLatin1(dialog.cancel));
            else
                windowOf(registry, name)->close();
            typed.erase(name);
            if (name == u"Form12" && registry.state(u"Form9") == ScreenState::Shown)
                windowOf(registry, u"Form9")->close(); // keep the model's screens few
            break;
        case 5: // a smiley, or the user's own typing at the end of the post
            if (!shown(u"Form1"))
                break;
            if (random.bounded(2)) {
                log << "smiley";
                click(registry, u"Form1", u"Image11");
                post += ";)";
            } else {
                log << "type in the post";
                auto& box = static_cast<postbox::PostBox&>(PostBuffer(registry).box());
                box.setFocus();
                box.moveCursor(QTextCursor::End);
                typeText(&box, QStringLiteral("ك x"));
                post += QStringLiteral("ك x");
            }
            break;
        case 6: // close the main window now and then, while a dialog stays open
            if (!shown(u"Form1") || typed.empty() || random.bounded(3))
                break;
            {
                // An uncopied post is asked about first; staying keeps the window.
                const bool asked = !post.isEmpty() && QGuiApplication::clipboard()->text() != post;
                boxes.leave = random.bounded(2);
                log << QStringLiteral("close the main window, %1")
                           .arg(QLatin1String(boxes.leave ? "leave" : "stay"));
                windowOf(registry, u"Form1")->close();
                if (shown(u"Form1") != (asked && !boxes.leave)) {
                    QTest::qFail(where() + ": the main window went, or stayed, unasked", __FILE__,
                                 __LINE__);
                    return int(log.size());
                }
                break;
            }
        }
        if (QTest::currentTestFailed()) {
            qWarning("%s", where().constData());
            return int(log.size());
        }
        if (program.finished)
            break;
        if (registry.instance(u"Form1").isLoaded() && postText(registry) != post) {
            QTest::qFail(where() + ": the post differs from the model", __FILE__, __LINE__);
            return int(log.size());
        }
        for (const Dialog& d : dialogs) {
            const QString n = QString::fromLatin1(d.screen);
            if (shown(n) != (typed.count(n) > 0)) {
                QTest::qFail(where() + ": " + n.toUtf8() + (shown(n) ? " is" : " is not") +
                                 " shown",
                             __FILE__, __LINE__);
                return int(log.size());
            }
        }
        flushDeletes();
    }
    return int(log.size());
}

QTEST_MAIN(ModelTest)
#include "tst_model.moc"
