// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/spelling_ui.h"

#include "app/wiring.h"
#include "postbox/post_box.h"
#include "postbox/post_layout.h"
#include "spelling/post_checker.h"
#include "spelling/speller.h"

#include <QAction>
#include <QFutureWatcher>
#include <QMenu>
#include <QPointer>
#include <QTextCursor>
#include <QTimer>

#include <memory>

namespace qirtaz {
namespace {

using spelling::PostChecker;
using spelling::Speller;

// The suggestions for a marked word at the top of the box's menu, filled in
// as they come while the menu is open.
void suggest(QMenu& menu, PostChecker& checker, postbox::PostBox& box, int position) {
    // A click on a word's last letter may give the position after it.
    std::optional<reading::Span> span = checker.markAt(position);
    if (!span && position > 0)
        span = checker.markAt(position - 1);
    if (!span)
        return;
    QTextCursor cursor(box.document());
    cursor.setPosition(int(span->start));
    cursor.setPosition(int(span->start + span->length), QTextCursor::KeepAnchor);
    const QString word = cursor.selectedText();

    QAction* first = menu.actions().value(0);
    auto* waiting = new QAction(QStringLiteral("جارٍ البحث عن اقتراحات…"), &menu);
    waiting->setEnabled(false);
    menu.insertAction(first, waiting);
    auto* ignore = new QAction(QStringLiteral("تجاهل الكلمة"), &menu);
    menu.insertAction(first, ignore);
    menu.insertSeparator(first);
    QObject::connect(ignore, &QAction::triggered, &box,
                     [word] { Speller::instance().ignore(word); });

    QPointer<QMenu> open = &menu;
    QPointer<postbox::PostBox> shown = &box;
    const auto fill = [open, shown, waiting, cursor, word](const QStringList& suggestions) {
        if (!open || !shown)
            return;
        for (const QString& suggestion : suggestions) {
            auto* item = new QAction(suggestion, open);
            open->insertAction(waiting, item);
            QObject::connect(item, &QAction::triggered, shown,
                             [cursor, word, suggestion]() mutable {
                                 // The word as it was when the menu opened, or nothing.
                                 if (cursor.selectedText() != word)
                                     return;
                                 cursor.beginEditBlock();
                                 cursor.insertText(suggestion);
                                 cursor.endEditBlock();
                             });
        }
        if (suggestions.isEmpty())
            waiting->setText(QStringLiteral("لا اقتراحات"));
        else
            open->removeAction(waiting);
    };
    const QFuture<QStringList> suggestions = Speller::instance().suggestions(word);
    if (suggestions.isFinished()) {
        fill(suggestions.result());
    } else {
        auto* watcher = new QFutureWatcher<QStringList>(&menu);
        QObject::connect(watcher, &QFutureWatcherBase::finished, &menu,
                         [watcher, fill] { fill(watcher->result()); });
        watcher->setFuture(suggestions);
    }
}

} // namespace

void checkSpelling(postbox::PostBox& box) {
    // The marks are drawn by the box's own layout; in a document laid out by
    // another, they would be kept where nothing ever draws them.
    if (box.document()->documentLayout() != &box.postLayout()) {
        qCWarning(appLog, "spelling asked of a post box whose document another layout lays out: "
                          "its words go unchecked");
        return;
    }
    Speller& speller = Speller::instance();
    // A checker for each document the post goes over to; one put aside by a
    // clear keeps its own, and its marks, for the undo.
    auto current = std::make_shared<QPointer<PostChecker>>();
    const auto attach = [&box, &speller, current] {
        if (*current)
            (*current)->setShelved(true);
        QTextDocument* document = box.document();
        if ((*current = PostChecker::of(*document))) {
            (*current)->setShelved(false);
            return;
        }
        PostLayout& layout = box.postLayout();
        auto* checker = new PostChecker(document, speller);
        *current = checker;
        QPointer<postbox::PostBox> alive = &box;
        const auto onShow = [alive, document] { return alive && alive->document() == document; };
        checker->setView({
            .caret = [alive, onShow] { return onShow() ? alive->textCursor().position() : -1; },
            .firstShown =
                [alive, onShow] {
                    return onShow() ? alive->cursorForPosition({0, 0}).blockNumber() : 0;
                },
        });
        QObject::connect(&box, &postbox::PostBox::cursorPositionChanged, checker,
                         [checker, onShow] {
                             if (onShow())
                                 checker->caretMoved();
                         });
        layout.setMarks([checker](const QTextBlock& block) { return checker->marks(block); });
        QObject::connect(checker, &PostChecker::marksChanged, &layout, &PostLayout::marksChanged);
    };
    attach();
    QObject::connect(&box, &postbox::PostBox::documentReplaced, &box, attach);
    box.setWordMenu([&box](QMenu& menu, int position) {
        if (PostChecker* checker = PostChecker::of(*box.document()))
            suggest(menu, *checker, box, position);
    });
    // The dictionaries load once the box is first on screen, so that the
    // window shows as fast as it did without them.
    if (!speller.isReady())
        QObject::connect(
            &box, &postbox::PostBox::firstShown, &speller,
            [] { QTimer::singleShot(0, &Speller::instance(), [] { Speller::instance().load(); }); },
            Qt::SingleShotConnection);
}

void addSpellingSwitch(QMenu& menu, Speller& speller) {
    auto* item = menu.addAction(QStringLiteral("التدقيق الإملائي"));
    item->setObjectName(QStringLiteral("spelling"));
    item->setCheckable(true);
    item->setChecked(speller.isEnabled());
    item->setShortcut(QKeySequence(Qt::Key_F7));
    menu.setToolTipsVisible(true);
    QObject::connect(item, &QAction::toggled, &speller, &Speller::setEnabled);
    const auto tell = [item, &speller] {
        item->setChecked(speller.isEnabled());
        if (speller.isReady() && !speller.missing().isEmpty())
            item->setToolTip(QStringLiteral("لم يوجد قاموس لهذه اللغات، فلا تُدقَّق كلماتها: ") +
                             speller.missing().join(QStringLiteral("، ")));
    };
    tell();
    QObject::connect(&speller, &Speller::ready, item, tell);
    QObject::connect(&speller, &Speller::changed, item, tell);
}

} // namespace qirtaz
