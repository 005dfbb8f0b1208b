// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The caret of the post box, moved and shown as the box's own layout draws the
// lines. The text box would move it by the lines' logical order and take its
// place from layouts it never sees: Left would go right on an Arabic line that
// opens with a tag, and the view would scroll to the wrong end of a long line.
#include "postbox/post_layout.h"

#include <QCoreApplication>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextEdit>

#include <cmath>

namespace qirtaz::postbox {
namespace {

enum class Move {
    Left,
    Right,
    WordLeft,
    WordRight,
    RowStart,
    RowEnd,
    Up,
    Down,
    PageUp,
    PageDown,
    Start,
    End
};

struct Key {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Move what;
};

constexpr Key keys[] = {
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::Left},
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::Right},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Move::WordLeft},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Move::WordRight},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::RowStart},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::RowEnd},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::Up},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::Down},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PageUp},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::PageDown},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::Start},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::End},
};

class Caret : public QObject {
    Q_OBJECT
public:
    Caret(QTextEdit& box, PostLayout& layout)
        : QObject(&box)
        , box_(box)
        , layout_(layout) {
        box.installEventFilter(this);
        // The text box's own control blinks the caret and repaints where it
        // thinks the caret is; it is told where the layout draws it instead.
        // Its requests to show the caret name a place taken from layouts this
        // box never fills (the start of the line): the box scrolled sideways
        // on a click or a key. They show the caret where it is drawn instead.
        for (QObject* child : box.children())
            if (qstrcmp(child->metaObject()->className(), "QWidgetTextControl") == 0) {
                child->installEventFilter(this);
                QObject::disconnect(child, SIGNAL(visibilityRequest(QRectF)), nullptr, nullptr);
                connect(child, SIGNAL(visibilityRequest(QRectF)), this, SLOT(showCaret()));
            }
        connect(&box, &QTextEdit::cursorPositionChanged, this, [this] { repaintCaret(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &box_) {
            if (event->type() == QEvent::Timer)
                repaintCaret();
            return false;
        }
        switch (event->type()) {
        case QEvent::KeyPress: {
            // The moves are the layout's; everything else as the box does it.
            return moveFor(static_cast<QKeyEvent*>(event));
        }
        case QEvent::InputMethodQuery: {
            static_cast<QObject&>(box_).event(event);
            auto* query = static_cast<QInputMethodQueryEvent*>(event);
            if (query->queries() & Qt::ImCursorRectangle)
                query->setValue(Qt::ImCursorRectangle, inView(caret()).toAlignedRect());
            return true;
        }
        default:
            return false;
        }
    }

private:
    QRectF caret() const { return layout_.caretRect(box_.textCursor().position()); }

    QPointF offset() const { return scrolled(box_); }
    QRectF inView(const QRectF& rect) const { return rect.translated(-offset()); }

    void repaintCaret() {
        const QRectF now = caret().adjusted(-2, 0, 2, 0);
        emit layout_.update(shown_ | now);
        shown_ = now;
    }

public slots:
    // Scrolls as little as shows the caret where the layout draws it.
    void showCaret() {
        const QRectF rect = caret().adjusted(-4, 0, 4, 0);
        const QRectF view(offset(), QSizeF(box_.viewport()->size()));
        QScrollBar* h = box_.horizontalScrollBar();
        QScrollBar* v = box_.verticalScrollBar();
        qreal x = view.x();
        if (rect.left() < view.left())
            x = rect.left();
        else if (rect.right() > view.right())
            x = rect.right() - view.width();
        if (x != view.x())
            h->setValue(box_.isRightToLeft() ? h->maximum() - int(std::lround(x))
                                             : int(std::lround(x)));
        if (rect.top() < view.top())
            v->setValue(int(std::floor(rect.top())));
        else if (rect.bottom() > view.bottom())
            v->setValue(int(std::ceil(rect.bottom() - view.height())));
    }

private:
    bool moveFor(QKeyEvent* event) {
        const Key* found = nullptr;
        bool select = false;
        for (const Key& key : keys) {
            if (event->matches(key.move) || event->matches(key.select)) {
                found = &key;
                select = event->matches(key.select);
                break;
            }
        }
        if (!found)
            return false;
        QTextCursor cursor = box_.textCursor();
        const int position = cursor.position();
        int to = position;
        const bool vertical = found->what == Move::Up || found->what == Move::Down ||
                              found->what == Move::PageUp || found->what == Move::PageDown;
        if (!vertical || position != verticalAt_)
            verticalX_ = caret().left();
        const int page = std::max(1, int(box_.viewport()->height() / layout_.lineHeight()) - 1);
        const auto rightToLeft = [this](int at) {
            const QTextBlock block = box_.document()->findBlock(at);
            return layout_.direction(block) == reading::Direction::RightToLeft;
        };
        switch (found->what) {
        case Move::Left:
        case Move::Right: {
            const bool leftwards = found->what == Move::Left;
            if (cursor.hasSelection() && !select) {
                // The selection's edge on that side.
                const int start = cursor.selectionStart(), end = cursor.selectionEnd();
                const bool startLeft =
                    layout_.caretRect(start).left() <= layout_.caretRect(end).left();
                to = (startLeft == leftwards) ? start : end;
            } else {
                to = layout_.besideOnScreen(position, leftwards);
            }
            break;
        }
        case Move::WordLeft:
        case Move::WordRight:
            to = layout_.wordAfter(position,
                                   (found->what == Move::WordRight) != rightToLeft(position));
            break;
        case Move::RowStart:
            to = layout_.rowOf(position).first;
            break;
        case Move::RowEnd:
            to = layout_.rowOf(position).second;
            break;
        case Move::Up:
        case Move::Down:
            to = layout_.rowsAway(position, found->what == Move::Up ? -1 : 1, verticalX_);
            break;
        case Move::PageUp:
        case Move::PageDown: {
            const int rows = found->what == Move::PageUp ? -page : page;
            to = layout_.rowsAway(position, rows, verticalX_);
            QScrollBar* v = box_.verticalScrollBar();
            v->setValue(v->value() + int(std::lround(rows * layout_.lineHeight())));
            break;
        }
        case Move::Start:
            to = 0;
            break;
        case Move::End:
            to = box_.document()->characterCount() - 1;
            break;
        }
        cursor.setPosition(to, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        box_.setTextCursor(cursor);
        verticalAt_ = vertical ? to : -1;
        showCaret();
        event->accept();
        return true;
    }

    QTextEdit& box_;
    PostLayout& layout_;
    QRectF shown_;        // where the caret was last drawn
    qreal verticalX_ = 0; // where Up and Down aim, kept from one to the next
    int verticalAt_ = -1; // the position the last of them left the caret at
};

} // namespace

void followCaret(QTextEdit& box, PostLayout& layout) {
    new Caret(box, layout);
}

QPointF scrolled(const QTextEdit& box) {
    const QScrollBar* h = box.horizontalScrollBar();
    const qreal x = box.isRightToLeft() ? h->maximum() - h->value() : h->value();
    return {x, qreal(box.verticalScrollBar()->value())};
}

QRect caretInView(const QTextEdit& box, int position) {
    const auto* layout = qobject_cast<const PostLayout*>(box.document()->documentLayout());
    if (!layout)
        return box.cursorRect();
    return layout->caretRect(position).translated(-scrolled(box)).toAlignedRect();
}

} // namespace qirtaz::postbox

#include "caret.moc"
