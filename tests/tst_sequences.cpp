// Long random runs of clicks, typing and closed windows, checked after every
// step against a plain model: the post as a string and the state of each screen.
// A failure prints the seed; QIRTAZ_SEED=<seed> replays it.

#include "composer/post.h"
#include "screens/controls.h"
#include "support.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

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

class SequencesTest : public QObject {
    Q_OBJECT

private slots:
    void randomRunsMatchTheModel();
};

void SequencesTest::randomRunsMatchTheModel() {
    const quint32 firstSeed = qEnvironmentVariableIsSet("QIRTAZ_SEED")
                                  ? quint32(qEnvironmentVariableIntValue("QIRTAZ_SEED"))
                                  : QRandomGenerator::global()->generate();
    const int runs = qEnvironmentVariableIsSet("QIRTAZ_SEED") ? 1 : 12;
    int performed = 0;
    for (int run = 0; run < runs; ++run) {
        const quint32 seed = firstSeed + quint32(run);
        QRandomGenerator random(seed);
        const QByteArray where = "seed " + QByteArray::number(seed);

        Program program;
        Registry& registry = program.registry;
        QString post;                                        // the model of the post
        std::map<QString, std::map<QString, QString>> typed; // the model of open dialogs' boxes
        std::map<QString, bool> video;
        QStringList log;

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

        for (int step = 0; step < 400 && log.size() < 40 && !program.finished; ++step) {
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
                const QString text = typedTexts[random.bounded(int(typedTexts.size()))];
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
                    auto& box = PostBuffer(registry).box();
                    box.setFocus();
                    box.moveCursor(QTextCursor::End);
                    typeText(&box, QStringLiteral("ك x"));
                    post += QStringLiteral("ك x");
                }
                break;
            case 6: // close the main window now and then, while a dialog stays open
                if (!shown(u"Form1") || typed.empty() || random.bounded(3))
                    break;
                log << "close the main window";
                windowOf(registry, u"Form1")->close();
                break;
            }
            if (QTest::currentTestFailed())
                QFAIL(where + ": " + log.join(u"; ").toUtf8());
            if (program.finished)
                break;
            if (registry.instance(u"Form1").isLoaded())
                QVERIFY2(postText(registry) == post, where + ": " + log.join(u"; ").toUtf8());
            for (const Dialog& d : dialogs) {
                const QString n = QString::fromLatin1(d.screen);
                QVERIFY2(shown(n) == (typed.count(n) > 0),
                         where + ": " + n.toUtf8() + " after " + log.join(u"; ").toUtf8());
            }
            flushDeletes();
        }
        performed += log.size();
    }
    // The runs must have done something worth checking.
    QVERIFY2(performed > runs * 15, qPrintable(QString::number(performed)));
    qInfo("%d steps in %d runs from seed %u", performed, runs, firstSeed);
}

QTEST_MAIN(SequencesTest)
#include "tst_sequences.moc"
