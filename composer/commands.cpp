#include "composer/commands.h"

#include "composer/markup.h"
#include "composer/post.h"
#include "composer/post_layout.h"
#include "composer/preview.h"
#include "screens/controls.h"
#include "shell/registry.h"
#include "shell/startup.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace qirtaz {
namespace {

constexpr char16_t MainWindow[] = u"Form1";

struct Smiley {
    const char16_t* control;
    QStringView code;
};

// Image13 and Image15 look different and give the same code. Image8 is bound on
// its own, as it also right-aligns the post box.
constexpr Smiley smileys[] = {
    {u"Image10", markup::Mad},     {u"Image11", markup::Wink},   {u"Image12", markup::Eek},
    {u"Image13", markup::Sad},     {u"Image14", markup::Tongue}, {u"Image15", markup::Sad},
    {u"Image9", markup::Confused},
};

struct Opener {
    const char16_t* control;
    const char16_t* screen;
};

constexpr Opener openers[] = {
    {u"Image1", u"Form2"},    {u"Image3", u"Form3"},  {u"Image2", u"Form4"},
    {u"Image7", u"Form5"},    {u"Image6", u"Form8"},  {u"Label11", u"Form18"},
    {u"Image4", u"Form19"},   {u"Image5", u"Form20"}, {u"Image17", u"Form9"},
    {u"Command1", u"Form17"}, {u"aaa", u"Form6"},     {u"preview", u"Preview"},
};

} // namespace

void bindMainWindow(Registry& registry) {
    addPreview(registry);
    registry.setLoadStep(MainWindow, [&registry](ScreenInstance& mainWindow) {
        auto& box = mainWindow.control<screens::MultiLineBox>(u"Text1");
        box.setVisible(true);
        box.setEnabled(true);
        installReadingOrder(box);
        mainWindow.control<QAction>(u"preview").setShortcut(QKeySequence(Qt::Key_F5));
        if (PostPreview* preview = openPreview(registry))
            preview->follow(box.document());
    });

    for (const Smiley& smiley : smileys) {
        registry.bind(MainWindow, smiley.control,
                      [&registry, code = smiley.code] { PostBuffer(registry).append(code); });
    }
    registry.bind(MainWindow, u"Image8", [&registry] {
        PostBuffer post(registry);
        post.append(markup::Grin);
        post.box().setTextAlignment(Qt::AlignRight);
    });

    for (const Opener& opener : openers) {
        registry.bind(MainWindow, opener.control,
                      [&registry, screen = opener.screen] { registry.instance(screen).show(); });
    }

    registry.bind(MainWindow, u"Image19", [&registry] { PostBuffer(registry).clear(); });

    // Its caption promises a copy of the post, ready to paste into the board.
    registry.bind(MainWindow, u"Command5", [&registry] {
        QGuiApplication::clipboard()->setText(PostBuffer(registry).text());
    });

    registry.bind(MainWindow, u"Command4", [&registry] { exitSequence(registry); });
}

} // namespace qirtaz
