// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/spelling_ui.h"

#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "spelling/post_checker.h"
#include "spelling/speller.h"

#include <QAction>
#include <QContextMenuEvent>
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

// The box's menu, with the suggestions for a marked word at its top.
class WordMenu : public QObject {
public:
    WordMenu(screens::MultiLineBox& box, PostChecker& checker)
        : QObject(&box)
        , box_(box)
        , checker_(checker) {
        box.installEventFilter(this);
        box.viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ContextMenu)
            return false;
        const auto* asked = static_cast<QContextMenuEvent*>(event);
        int position = 0;
        QPoint where;
        if (watched == box_.viewport() && asked->reason() != QContextMenuEvent::Keyboard) {
            position = box_.cursorForPosition(asked->pos()).position();
            where = asked->globalPos();
        } else if (watched == &box_ && asked->reason() == QContextMenuEvent::Keyboard) {
            position = box_.textCursor().position();
            where = box_.viewport()->mapToGlobal(
                postbox::caretInView(box_, box_.textCursor().position()).center());
        } else {
            return false;
        }
        // A click on a word's last letter may give the position after it.
        std::optional<reading::Span> word = checker_.markAt(position);
        if (!word && position > 0)
            word = checker_.markAt(position - 1);
        if (!word)
            return false;
        show(*word, where);
        return true;
    }

private:
    void show(reading::Span span, QPoint where) {
        QTextCursor cursor(box_.document());
        cursor.setPosition(int(span.start));
        cursor.setPosition(int(span.start + span.length), QTextCursor::KeepAnchor);
        const QString word = cursor.selectedText();

        const std::unique_ptr<QMenu> menu(box_.createContextMenu());
        QAction* first = menu->actions().value(0);
        auto* waiting = new QAction(QStringLiteral("جارٍ البحث عن اقتراحات…"), menu.get());
        waiting->setEnabled(false);
        menu->insertAction(first, waiting);
        auto* ignore = new QAction(QStringLiteral("تجاهل الكلمة"), menu.get());
        menu->insertAction(first, ignore);
        menu->insertSeparator(first);
        connect(ignore, &QAction::triggered, this, [word] { Speller::instance().ignore(word); });

        QPointer<QMenu> open = menu.get();
        const auto fill = [this, open, waiting, cursor, word](const QStringList& suggestions) {
            if (!open)
                return;
            for (const QString& suggestion : suggestions) {
                auto* item = new QAction(suggestion, open);
                open->insertAction(waiting, item);
                connect(item, &QAction::triggered, this, [cursor, word, suggestion]() mutable {
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
            auto* watcher = new QFutureWatcher<QStringList>(menu.get());
            connect(watcher, &QFutureWatcherBase::finished, menu.get(),
                    [watcher, fill] { fill(watcher->result()); });
            watcher->setFuture(suggestions);
        }
        menu->exec(where);
    }

    screens::MultiLineBox& box_;
    PostChecker& checker_;
};

// Loads the dictionaries once the box is first on screen, so that the window
// shows as fast as it did without them.
class LoadWhenShown : public QObject {
public:
    explicit LoadWhenShown(QWidget& viewport)
        : QObject(&viewport) {
        viewport.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, &Speller::instance(), [] { Speller::instance().load(); });
            deleteLater();
        }
        return false;
    }
};

} // namespace

void checkSpelling(screens::MultiLineBox& box) {
    auto* layout = qobject_cast<PostLayout*>(box.document()->documentLayout());
    if (!layout)
        return;
    Speller& speller = Speller::instance();
    auto* checker = new PostChecker(box.document(), speller);
    QPointer<screens::MultiLineBox> shown = &box;
    checker->setView({
        .caret = [shown] { return shown ? shown->textCursor().position() : -1; },
        .firstShown =
            [shown] {
                return shown ? shown->cursorForPosition({0, 0}).blockNumber() : 0;
            },
    });
    QObject::connect(&box, &QTextEdit::cursorPositionChanged, checker, &PostChecker::caretMoved);
    layout->setMarks([checker](const QTextBlock& block) { return checker->marks(block); });
    QObject::connect(checker, &PostChecker::marksChanged, layout, &PostLayout::marksChanged);
    new WordMenu(box, *checker);
    if (!speller.isReady())
        new LoadWhenShown(*box.viewport());
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
