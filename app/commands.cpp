// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include "app/spelling_ui.h"
#include "board/preview.h"
#include "post/html_paste.h"
#include "post/markup.h"
#include "post/post.h"
#include "postbox/post_box.h"
#include "screens/catalogue.h"
#include "screens/controls.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"
#include "spelling/speller.h"

#include <QAction>
#include <QClipboard>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QToolTip>
#include <QtConcurrent>

#include <atomic>
#include <functional>
#include <memory>

namespace qirtaz {
namespace {

constexpr char16_t MainWindow[] = u"Form1";

postbox::PostBox& boxOf(PostBuffer& post) {
    return static_cast<postbox::PostBox&>(post.box());
}

// Opening and closing around the box's selection, or at its caret; the
// selection then inside the new pair (see post::enclose).
void enclose(PostBuffer& post, QStringView opening, QStringView closing) {
    QTextCursor cursor = boxOf(post).textCursor();
    post::enclose(cursor, opening, closing);
    boxOf(post).setTextCursor(cursor);
    post.changed();
}

// Text in place of the box's selection, or at its caret.
void insert(PostBuffer& post, QStringView text) {
    QTextCursor cursor = boxOf(post).textCursor();
    post::insert(cursor, text);
    boxOf(post).setTextCursor(cursor);
    post.changed();
}

// A page on the clipboard is read into tags on a worker: a long or deeply
// nested one takes a while, and the window answers meanwhile; only the tags go
// into the post, in parts, as one step of the undo history. The pointer says it
// is busy, a note says what on, and Esc gives the paste up with the post as it
// was. One page at a time: a second paste while one is read is left alone.
class PageReading : public QObject {
    static constexpr QLatin1StringView ReadingName{"pageReading"};

public:
    PageReading(Registry& registry, postbox::PostBox& box, const QString& html)
        : QObject(&box)
        , registry_(registry)
        , box_(box)
        , description_(box.accessibleDescription())
        , escape_(QKeySequence(Qt::Key_Escape), box.window()) {
        setObjectName(ReadingName);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        screens::tellDone(&box, QStringLiteral("تُقرأ الصفحة الملصقة… Esc يلغي اللصق"));
        QObject::connect(&escape_, &QShortcut::activated, this, [this] {
            cancelled_->store(true);
            stop();
        });
        // Esc may come between the end of the reading and the news of it.
        QObject::connect(&reading_, &QFutureWatcher<QString>::finished, this, [this] {
            if (cancelled_->load())
                return;
            const QString tags = reading_.result();
            stop();
            if (tags.isEmpty())
                return;
            PostBuffer post(registry_);
            boxOf(post).insertInParts(tags);
            post.changed();
        });
        reading_.setFuture(QtConcurrent::run(
            [html, cancelled = cancelled_] { return paste::boardTags(html, cancelled.get()); }));
    }
    PageReading(const PageReading&) = delete;
    PageReading& operator=(const PageReading&) = delete;
    // Given up or done: the worker, if still at it, stops at its next look.
    ~PageReading() override {
        cancelled_->store(true);
        QGuiApplication::restoreOverrideCursor();
        QToolTip::hideText();
    }

    static void start(Registry& registry, PostBuffer& post) {
        auto& box = boxOf(post);
        if (box.findChild<QObject*>(ReadingName, Qt::FindDirectChildrenOnly))
            return;
        const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
        if (!clipboard)
            return;
        if (clipboard->hasHtml())
            new PageReading(registry, box, clipboard->html());
        else if (const QString text = clipboard->text(); !text.isEmpty())
            insert(post, text);
    }

private:
    // The note no longer holds: a screen reader must not go on reading it as the box's.
    void stop() {
        box_.setAccessibleDescription(description_);
        deleteLater();
    }

    Registry& registry_;
    postbox::PostBox& box_;
    QString description_;
    QShortcut escape_;
    QFutureWatcher<QString> reading_;
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
};

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

// What the insert menu calls each opener: none for the menu items of their own.
struct Opener {
    const char16_t* control;
    const char16_t* screen;
    const char* key;
    const char* item;
};

constexpr Opener openers[] = {
    {u"Image1", u"Form2", "Ctrl+Shift+I", "صورة [img]…"},
    {u"Image3", u"Form3", "Ctrl+Shift+L", "رابط [url]…"},
    {u"Image2", u"Form4", "Ctrl+Shift+W", "صفحة [web]…"},
    {u"Image6", u"Form8", "Ctrl+Shift+F", "فلاش [FLASH]…"},
    {u"Image4", u"Form19", "Ctrl+Shift+S", "صوت [SOUND]…"},
    {u"Image5", u"Form20", "Ctrl+Shift+R", "مقطع [RAM]…"},
    {u"Label11", u"Form18", "Ctrl+Shift+Q", "اقتباس [QUOTE]…"},
    {u"Image7", u"Form5", "Ctrl+Alt+Q", "اقتباس بالنافذة الثانية…"},
    {u"Image17", u"Form9", "Ctrl+Shift+C", "لون [color]…"},
    {u"Command1", u"Form17", "Ctrl+Shift+T", "حجم الخط [size]…"},
    {u"aaa", u"Form6", "F1", nullptr},
    {u"preview", u"Preview", "F5", nullptr},
};

// Tags around the selection, beside the catalogued commands that add at the end.
// Ctrl+E, which would be centring's first choice, is the box's own end-of-line
// key under X11, so centring is Ctrl+Shift+E, as strike is Ctrl+Shift+X.
struct Pair {
    QStringView opening;
    QStringView closing;
    const char* key;
    const char* item;
};

constexpr Pair pairs[] = {
    {markup::BoldOpen, markup::BoldClose, "Ctrl+B", "غامق [b]"},
    {markup::ItalicOpen, markup::ItalicClose, "Ctrl+I", "مائل [i]"},
    {markup::UnderlineOpen, markup::UnderlineClose, "Ctrl+U", "تسطير [u]"},
    {markup::StrikeOpen, markup::StrikeClose, "Ctrl+Shift+X", "يتوسطه خط [s]"},
    {markup::CentreOpen, markup::CentreClose, "Ctrl+Shift+E", "توسيط [center]"},
};
constexpr const char* PasteAsTagsKey = "Ctrl+Shift+V";

// The menu that lists the window's commands with their keys. F10 opens it, as
// Alt and its underlined letter do.
constexpr char InsertMenu[] = "إ&دراج";
constexpr const char* InsertMenuKey = "F10";

// A menu item that shows a control's key, which stays the control's. The key
// reaches the item only where the menu bar has the focus, and the control then
// too: each press goes to one of the two, ambiguous, and either clicks the control.
class CommandItem : public QAction {
public:
    using QAction::QAction;

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::Shortcut)
            return QAction::event(event);
        trigger();
        return true;
    }
};

// The writing aids work where the user is in the post, so they belong to no
// catalogued control: each is an action of the main window, made on every load.
// Returns them, in the order of the table, the paste last.
QList<QAction*> addWritingAids(Registry& registry, ScreenInstance& mainWindow) {
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
    QList<QAction*> aids;
    for (const Pair& pair : pairs) {
        aids << addAction(pair.key,
                          [pair](PostBuffer& post) { enclose(post, pair.opening, pair.closing); });
        aids.back()->setText(QString::fromUtf8(pair.item));
    }

    QAction* paste = addAction(
        PasteAsTagsKey, [&registry](PostBuffer& post) { PageReading::start(registry, post); });
    paste->setText(QStringLiteral("لصق مع التنسيق"));
    mainWindow.control<postbox::PostBox>(u"Text1").addMenuAction(paste);
    return aids << paste;
}

// Every command of the window in one menu, each with its key, as desktop programs
// show them: the smileys, the dialogs, copy and clear, then the writing aids.
// Choosing an item clicks the control, as its key does; the key stays the
// control's own, which the item shows (see CommandItem).
void addInsertMenu(Registry& registry, ScreenInstance& mainWindow, const QList<QAction*>& aids) {
    screens::ScreenWindow* window = mainWindow.window();
    QMenu* menu = window->menu(QString::fromUtf8(InsertMenu));
    menu->setObjectName(QStringLiteral("insert"));
    screens::setRightToLeft(menu);
    const auto addCommand = [&registry, &mainWindow, window, menu](QStringView control,
                                                                   const QString& text) {
        auto* item = new CommandItem(text, menu);
        menu->addAction(item);
        item->setShortcut(screens::shortcut(&mainWindow.control(control)));
        item->setShortcutContext(Qt::WidgetShortcut);
        QObject::connect(item, &QAction::triggered, window,
                         [&registry, control = control.toString()] {
                             screens::click(&registry.instance(MainWindow).control(control));
                         });
    };
    // The smileys by their keys' order, each called as a screen reader calls it.
    const screens::Screen& entry = *screens::findScreen(MainWindow);
    const auto spoken = [&entry](QStringView control) {
        return QString::fromUtf8(screens::findControl(entry, control)->spoken);
    };
    addCommand(u"Image8", spoken(u"Image8"));
    for (const Smiley& smiley : smileys)
        addCommand(smiley.control, spoken(smiley.control));
    menu->addSeparator();
    for (const Opener& opener : openers)
        if (opener.item)
            addCommand(opener.control, QString::fromUtf8(opener.item));
    menu->addSeparator();
    addCommand(u"Command5", QStringLiteral("نسخ النص كله"));
    addCommand(u"Image19", QStringLiteral("مسح النص"));
    menu->addSeparator();
    menu->addActions(aids);

    auto* opens = new QShortcut(QKeySequence(QString::fromLatin1(InsertMenuKey)), window);
    QObject::connect(opens, &QShortcut::activated, menu, [window, menu] {
        window->menuBar()->setActiveAction(menu->menuAction());
        menu->setActiveAction(menu->actions().front());
    });
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
        auto& box = mainWindow.control<postbox::PostBox>(u"Text1");
        box.setVisible(true);
        box.setEnabled(true);
        checkSpelling(box);
        addInsertMenu(registry, mainWindow, addWritingAids(registry, mainWindow));
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
        boxOf(post).setTextAlignment(Qt::AlignRight);
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
