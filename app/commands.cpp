// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include "app/spelling_ui.h"
#include "board/preview.h"
#include "post/html_paste.h"
#include "post/markup.h"
#include "post/post.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "shell/registry.h"
#include "spelling/speller.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include <functional>

namespace qirtaz {
namespace {

constexpr char16_t MainWindow[] = u"Form1";

// Every command has a key, so that the whole window works from the keyboard.
// None is one of the post box's own editing keys (Ctrl+A, C, V, X, Z, and under X11
// Ctrl+D, E, K; Ctrl+Shift+Z, Ctrl+Shift+A, Ctrl+Shift+U), and F5 stays free. The smileys are Alt
// and their place, counted from the top of the right-hand column; what inserts a tag is Ctrl+Shift
// and a letter of the tag's name. The README lists them all.
struct Smiley {
    const char16_t* control;
    QStringView code;
    const char* key;
};

// Image13 and Image15 look different and give the same code. Image8 is bound on
// its own, as it also right-aligns the post box.
constexpr Smiley smileys[] = {
    {u"Image9", markup::Confused, "Alt+2"}, {u"Image11", markup::Wink, "Alt+3"},
    {u"Image12", markup::Eek, "Alt+4"},     {u"Image13", markup::Sad, "Alt+5"},
    {u"Image10", markup::Mad, "Alt+6"},     {u"Image14", markup::Tongue, "Alt+7"},
    {u"Image15", markup::Sad, "Alt+8"},
};
constexpr const char* GrinKey = "Alt+1";

struct Opener {
    const char16_t* control;
    const char16_t* screen;
    const char* key;
};

constexpr Opener openers[] = {
    {u"Image1", u"Form2", "Ctrl+Shift+I"},    // img
    {u"Image3", u"Form3", "Ctrl+Shift+L"},    // link
    {u"Image2", u"Form4", "Ctrl+Shift+W"},    // web
    {u"Image6", u"Form8", "Ctrl+Shift+F"},    // FLASH
    {u"Image4", u"Form19", "Ctrl+Shift+S"},   // SOUND
    {u"Image5", u"Form20", "Ctrl+Shift+R"},   // RAM
    {u"Label11", u"Form18", "Ctrl+Shift+Q"},  // QUOTE
    {u"Image7", u"Form5", "Ctrl+Alt+Q"},      // the other quote dialog
    {u"Image17", u"Form9", "Ctrl+Shift+C"},   // color
    {u"Command1", u"Form17", "Ctrl+Shift+T"}, // text size
    {u"aaa", u"Form6", "F1"},
    {u"preview", u"Preview", "F5"},
};

// Tags around the selection, beside the catalogued commands that add at the end.
// Ctrl+E, which would be centring's first choice, is the box's own end-of-line
// key under X11, so centring is Ctrl+Shift+E, as strike is Ctrl+Shift+X.
struct Pair {
    QStringView opening;
    QStringView closing;
    const char* key;
};

constexpr Pair pairs[] = {
    {markup::BoldOpen, markup::BoldClose, "Ctrl+B"},
    {markup::ItalicOpen, markup::ItalicClose, "Ctrl+I"},
    {markup::UnderlineOpen, markup::UnderlineClose, "Ctrl+U"},
    {markup::StrikeOpen, markup::StrikeClose, "Ctrl+Shift+X"},
    {markup::CentreOpen, markup::CentreClose, "Ctrl+Shift+E"},
};
constexpr const char* PasteAsTagsKey = "Ctrl+Shift+V";

// The writing aids work where the user is in the post, so they belong to no
// catalogued control: each is an action of the main window, made on every load.
void addWritingAids(Registry& registry, ScreenInstance& mainWindow) {
    QWidget* window = mainWindow.window();
    auto addAction = [&registry, window](const char* key, std::function<void(PostBuffer&)> edit) {
        auto* action = new QAction(window);
        action->setShortcut(QKeySequence(QString::fromLatin1(key)));
        QObject::connect(action, &QAction::triggered, window, [&registry, edit] {
            registry.run([&registry, &edit] {
                PostBuffer post(registry);
                edit(post);
                post.box().setFocus(Qt::ShortcutFocusReason);
            });
        });
        window->addAction(action);
        return action;
    };
    for (const Pair& pair : pairs)
        addAction(pair.key, [pair](PostBuffer& post) { post.enclose(pair.opening, pair.closing); });

    QAction* paste = addAction(PasteAsTagsKey, [](PostBuffer& post) {
        const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
        // Qt's reader of HTML takes seconds over a page of deeply nested lists or tables.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const QString text = clipboard ? paste::boardTags(*clipboard) : QString();
        QGuiApplication::restoreOverrideCursor();
        if (!text.isEmpty())
            post.insert(text);
    });
    paste->setText(QStringLiteral("لصق مع التنسيق"));
    mainWindow.control<screens::MultiLineBox>(u"Text1").addMenuAction(paste);
}

void bindKey(Registry& registry, QStringView control, const char* key) {
    registry.bindKey(MainWindow, QKeySequence(QString::fromLatin1(key)), control);
}

} // namespace

QString exitMessage() {
    return QStringLiteral("للأي اقتراح او استفسار .. المراسله على ") +
           QStringLiteral("qirtaz@example.org");
}

// The program keeps nothing between runs, so the post the user has not copied
// out yet lives only in the box: one stray key or click must not throw it away.
bool mayLeave(Registry& registry) {
    ScreenInstance& main = registry.instance(MainWindow);
    if (!main.isLoaded())
        return true;
    const QString post = PostBuffer(registry).text();
    if (post.isEmpty() || QGuiApplication::clipboard()->text() == post)
        return true;
    return registry.question(QStringLiteral("لم يُنسخ الموضوع بعد، وسيضيع إذا خرجت.\nهل تريد "
                                            "الخروج وفقدان الموضوع؟"),
                             QStringLiteral("خروج وفقدان الموضوع"), QStringLiteral("البقاء"));
}

void exitSequence(Registry& registry) {
    if (!mayLeave(registry))
        return;
    registry.messageBox(exitMessage());
    registry.end();
}

void bindMainWindow(Registry& registry) {
    addPreview(registry);
    registry.setLoadStep(MainWindow, [&registry](ScreenInstance& mainWindow) {
        auto& box = mainWindow.control<screens::MultiLineBox>(u"Text1");
        box.setVisible(true);
        box.setEnabled(true);
        installReadingOrder(box);
        checkSpelling(box);
        addWritingAids(registry, mainWindow);
        if (QMenuBar* bar = mainWindow.window()->menuBar())
            if (auto* view = bar->findChild<QMenu*>(QStringLiteral("view")))
                addSpellingSwitch(*view, spelling::Speller::instance());
        mainWindow.window()->setCloseGuard([&registry] { return mayLeave(registry); });
        if (PostPreview* preview = openPreview(registry))
            preview->follow(box.document());
    });

    for (const Smiley& smiley : smileys) {
        registry.bind(MainWindow, smiley.control,
                      [&registry, code = smiley.code] { PostBuffer(registry).append(code); });
        bindKey(registry, smiley.control, smiley.key);
    }
    registry.bind(MainWindow, u"Image8", [&registry] {
        PostBuffer post(registry);
        post.append(markup::Grin);
        post.box().setTextAlignment(Qt::AlignRight);
    });
    bindKey(registry, u"Image8", GrinKey);

    for (const Opener& opener : openers) {
        registry.bind(MainWindow, opener.control,
                      [&registry, screen = opener.screen] { registry.instance(screen).show(); });
        bindKey(registry, opener.control, opener.key);
    }

    registry.bind(MainWindow, u"Image19", [&registry] { PostBuffer(registry).clear(); });
    bindKey(registry, u"Image19", "Ctrl+Shift+Del");

    // Its caption promises a copy of the post, ready to paste into the board. The
    // caret goes back into the post, so that editing (and Ctrl+Z) goes on there.
    registry.bind(MainWindow, u"Command5", [&registry] {
        PostBuffer post(registry);
        QGuiApplication::clipboard()->setText(post.text());
        post.box().setFocus(Qt::OtherFocusReason);
        screens::tellDone(&registry.instance(MainWindow).control<QWidget>(u"Command5"),
                          QStringLiteral("نُسخ النص كله، الصقه في المنتدى"));
    });
    bindKey(registry, u"Command5", "Ctrl+Shift+P");

    registry.bind(MainWindow, u"Command4", [&registry] { exitSequence(registry); });
    bindKey(registry, u"Command4", "Ctrl+Q");
}

} // namespace qirtaz
