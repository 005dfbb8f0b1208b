// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commands.h"

#include "app/board_menu.h"
#include "app/find_window.h"
#include "app/spelling_ui.h"
#include "app/view_menu.h"
#include "board/preview.h"
#include "post/html_paste.h"
#include "post/markup.h"
#include "post/post.h"
#include "post/workers.h"
#include "postbox/post_box.h"
#include "screens/catalogue.h"
#include "screens/controls.h"
#include "screens/names.h"
#include "screens/smileys.h"
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

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace qirtaz {
namespace {

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
        reading_.setFuture(QtConcurrent::run(&workers(), [html, cancelled = cancelled_] {
            return paste::boardTags(html, cancelled.get());
        }));
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
// and their place, counted from the top of the right-hand column (screens/smileys.h); what inserts
// a tag is Ctrl+Shift and a letter of the tag's name. The README lists them all.

// A button that typed a code the board does not draw would put plain text in
// the post where the user sees a face.
constexpr bool drawnByTheBoard(std::u16string_view code) {
    for (QStringView known : markup::SmileyCodes)
        if (std::u16string_view(known.utf16(), std::size_t(known.size())) == code)
            return true;
    return false;
}
static_assert(std::all_of(std::begin(screens::smileyButtons), std::end(screens::smileyButtons),
                          [](const auto& smiley) { return drawnByTheBoard(smiley.code); }),
              "a smiley button types a code the board does not draw");

// The smileys in the order of their keys, as the insert menu lists them.
std::vector<const screens::SmileyButton*> smileysByKey() {
    std::vector<const screens::SmileyButton*> byKey;
    for (const screens::SmileyButton& smiley : screens::smileyButtons)
        byKey.push_back(&smiley);
    std::sort(byKey.begin(), byKey.end(),
              [](const auto* a, const auto* b) { return std::strcmp(a->key, b->key) < 0; });
    return byKey;
}

// What the insert menu calls each opener: none for the menu items of their own.
struct Opener {
    names::Name control;
    names::Name screen;
    const char* key;
    const char* item;
};

constexpr Opener openers[] = {
    {names::main::Image, names::ImageDialog, "Ctrl+Shift+I", "صورة [img]…"},
    {names::main::Link, names::LinkDialog, "Ctrl+Shift+L", "رابط [url]…"},
    {names::main::Page, names::PageDialog, "Ctrl+Shift+W", "صفحة [web]…"},
    {names::main::Flash, names::FlashDialog, "Ctrl+Shift+F", "فلاش [FLASH]…"},
    {names::main::Sound, names::SoundDialog, "Ctrl+Shift+S", "صوت [SOUND]…"},
    {names::main::Clip, names::ClipDialog, "Ctrl+Shift+R", "مقطع [RAM]…"},
    {names::main::Quote, names::QuoteDialog, "Ctrl+Shift+Q", "اقتباس [QUOTE]…"},
    {names::main::QuoteFrame, names::QuoteBoxDialog, "Ctrl+Alt+Q", "اقتباس بالنافذة الثانية…"},
    {names::main::Colour, names::ColourList, "Ctrl+Shift+C", "لون [color]…"},
    {names::main::FontSize, names::SizeDialog, "Ctrl+Shift+T", "حجم الخط [size]…"},
    {names::main::AboutItem, names::AboutWindow, "F1", nullptr},
    {names::main::PreviewItem, names::Preview, "F5", nullptr},
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
    mainWindow.control<postbox::PostBox>(names::main::PostBox).addMenuAction(paste);
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
                             screens::click(&registry.instance(names::MainWindow).control(control));
                         });
    };
    // The smileys by their keys' order, each called as a screen reader calls it.
    for (const screens::SmileyButton* smiley : smileysByKey())
        addCommand(smiley->control, QString::fromUtf8(smiley->spoken));
    menu->addSeparator();
    for (const Opener& opener : openers)
        if (opener.item)
            addCommand(opener.control, QString::fromUtf8(opener.item));
    menu->addSeparator();
    addCommand(names::main::Copy, QStringLiteral("نسخ النص كله"));
    addCommand(names::main::Clear, QStringLiteral("مسح النص"));
    menu->addSeparator();
    menu->addActions(aids);

    auto* opens = new QShortcut(QKeySequence(QString::fromLatin1(InsertMenuKey)), window);
    QObject::connect(opens, &QShortcut::activated, menu, [window, menu] {
        window->menuBar()->setActiveAction(menu->menuAction());
        menu->setActiveAction(menu->actions().front());
    });
}

void bindKey(Registry& registry, QStringView control, const char* key) {
    registry.bindKey(names::MainWindow, QKeySequence(QString::fromLatin1(key)), control);
}

} // namespace

QString exitMessage() {
    return QStringLiteral("للأي اقتراح او استفسار .. المراسله على ") +
           QStringLiteral("qirtaz@example.org");
}

// The program keeps nothing between runs, so the post the user has not copied
// out yet lives only in the box: one stray key or click must not throw it away.
bool mayLeave(Registry& registry) {
    ScreenInstance& main = registry.instance(names::MainWindow);
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
    addFindWindow(registry);
    registry.setLoadStep(names::MainWindow, [&registry](ScreenInstance& mainWindow) {
        auto& box = mainWindow.control<postbox::PostBox>(names::main::PostBox);
        box.setVisible(true);
        box.setEnabled(true);
        checkSpelling(box);
        addInsertMenu(registry, mainWindow, addWritingAids(registry, mainWindow));
        addFindCommands(registry, mainWindow);
        addBoardMenu(registry, mainWindow);
        if (QMenuBar* bar = mainWindow.window()->menuBar())
            if (auto* view = bar->findChild<QMenu*>(QStringLiteral("view")))
                addSpellingSwitch(*view, spelling::Speller::instance());
        if (QMenuBar* bar = mainWindow.window()->menuBar())
            if (auto* view = bar->findChild<QMenu*>(QStringLiteral("view")))
                addViewItems(*mainWindow.window(), *view, box);
        mainWindow.window()->setCloseGuard([&registry] { return mayLeave(registry); });
        if (PostPreview* preview = openPreview(registry))
            preview->follow(box.document());
        // A clear, or its undo or redo, hands the post to another document.
        QObject::connect(&box, &postbox::PostBox::documentReplaced, &box, [&registry, &box] {
            if (PostPreview* preview = openPreview(registry))
                preview->follow(box.document());
        });
    });

    for (const screens::SmileyButton* smiley : smileysByKey()) {
        registry.bind(names::MainWindow, smiley->control,
                      [&registry, code = QStringView(smiley->code), right = smiley->alignsRight] {
                          PostBuffer post(registry);
                          post.append(code);
                          if (right)
                              boxOf(post).setTextAlignment(Qt::AlignRight);
                      });
        bindKey(registry, smiley->control, smiley->key);
    }

    for (const Opener& opener : openers) {
        registry.bind(names::MainWindow, opener.control,
                      [&registry, screen = opener.screen] { registry.instance(screen).show(); });
        bindKey(registry, opener.control, opener.key);
    }

    registry.bind(names::MainWindow, names::main::Clear,
                  [&registry] { PostBuffer(registry).clear(); });
    bindKey(registry, names::main::Clear, "Ctrl+Shift+Del");

    // Its caption promises a copy of the post, ready to paste into the board. The
    // caret goes back into the post, so that editing (and Ctrl+Z) goes on there.
    registry.bind(names::MainWindow, names::main::Copy, [&registry] {
        PostBuffer post(registry);
        QGuiApplication::clipboard()->setText(post.text());
        post.box().setFocus(Qt::OtherFocusReason);
        screens::tellDone(&registry.instance(names::MainWindow).control<QWidget>(names::main::Copy),
                          QStringLiteral("نُسخ النص كله، الصقه في المنتدى"));
    });
    bindKey(registry, names::main::Copy, "Ctrl+Shift+P");

    registry.bind(names::MainWindow, names::main::Exit, [&registry] { exitSequence(registry); });
    bindKey(registry, names::main::Exit, "Ctrl+Q");
}

} // namespace qirtaz
