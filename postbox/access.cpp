// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns of the post box. Qt's own text interface of a
// text box reads its character positions off layouts the box's own layout
// never fills, and is wrong for right-to-left text besides; this one gives
// the post's own text, the caret and the selection in the post's positions,
// and each character where it is drawn: the box around its glyphs.
#include "postbox/post_box.h"
#include "postbox/post_layout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>

#include <algorithm>

namespace qirtaz::postbox {
namespace {

// How far around an offset words and characters are looked for: a line of
// megabytes is not read whole for a word.
constexpr int Reach = 2000;

class PostBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit PostBoxAccessible(PostBox* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    // The text interface.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const QTextCursor cursor = box()->textCursor();
        if (index == 0 && cursor.hasSelection()) {
            *start = cursor.selectionStart();
            *end = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return box()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index != 0)
            return;
        QTextCursor cursor = box()->textCursor();
        cursor.clearSelection();
        box()->setTextCursor(cursor);
    }
    void setSelection(int index, int start, int end) override {
        if (index != 0)
            return;
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(clamped(start));
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        box()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return box()->textCursor().position(); }
    void setCursorPosition(int position) override {
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(clamped(position));
        box()->setTextCursor(cursor);
    }
    QString text(int start, int end) const override {
        start = clamped(start);
        end = clamped(end);
        if (start >= end)
            return {};
        QTextCursor cursor(box()->document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        // The block separators as the post holds them: line feeds.
        return cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    int characterCount() const override { return box()->document()->characterCount() - 1; }

    QRect characterRect(int offset) const override {
        const QRectF inDocument = layout().characterRect(clamped(offset));
        if (inDocument.isNull())
            return {};
        const QRect inView = inDocument.translated(-box()->scrolled()).toAlignedRect();
        return {box()->viewport()->mapToGlobal(inView.topLeft()), inView.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint inView = box()->viewport()->mapFromGlobal(point);
        return layout().hitTest(QPointF(inView) + box()->scrolled(), Qt::ExactHit);
    }
    void scrollToSubstring(int start, int end) override {
        setCursorPosition(end);
        setCursorPosition(start);
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        const auto [from, to] = segment(offset, type);
        *start = from;
        *end = to;
        return text(from, to);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        const auto [from, to] = segment(offset, type);
        if (from <= 0) {
            *start = *end = 0;
            return {};
        }
        return textAtOffset(segment(from - 1, type).first, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        const auto [from, to] = segment(offset, type);
        if (to >= characterCount()) {
            *start = *end = characterCount();
            return {};
        }
        return textAtOffset(to, type, start, end);
    }

    // A misspelt word is said to be one, as browsers say it.
    QString attributes(int offset, int* start, int* end) const override {
        offset = clamped(offset);
        const QTextBlock block = box()->document()->findBlock(offset);
        *start = block.position();
        *end = block.position() + block.length() - 1;
        if (!layout().marks())
            return {};
        const int within = offset - block.position();
        for (const reading::Span& mark : layout().marks()(block)) {
            const int from = block.position() + int(mark.start);
            const int to = from + int(mark.length);
            if (within >= mark.start && within < mark.start + mark.length) {
                *start = from;
                *end = to;
                return QStringLiteral("invalid:spelling;");
            }
            if (to <= offset)
                *start = std::max(*start, to);
            else
                *end = std::min(*end, from);
        }
        return {};
    }

    // The editable text interface.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        QTextCursor cursor(box()->document());
        cursor.setPosition(clamped(start));
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        cursor.insertText(text);
    }

private:
    PostBox* box() const { return static_cast<PostBox*>(widget()); }
    const PostLayout& layout() const {
        return *static_cast<const PostLayout*>(box()->document()->documentLayout());
    }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }

    // The character, word, row or line holding an offset, as post positions.
    std::pair<int, int> segment(int offset, QAccessible::TextBoundaryType type) const {
        offset = clamped(offset);
        const int count = characterCount();
        switch (type) {
        case QAccessible::NoBoundary:
            return {0, count};
        case QAccessible::LineBoundary: {
            const auto [from, to] = layout().rowOf(offset);
            return {from, std::min(to + 1, count)};
        }
        case QAccessible::ParagraphBoundary: {
            const QTextBlock block = box()->document()->findBlock(offset);
            return {block.position(), std::min(block.position() + block.length(), count)};
        }
        case QAccessible::CharBoundary:
        case QAccessible::WordBoundary:
        case QAccessible::SentenceBoundary:
            break;
        }
        const QTextBlock block = box()->document()->findBlock(offset);
        const int blockStart = block.position();
        const int blockEnd = blockStart + block.length() - 1;
        if (offset >= blockEnd)
            return {offset, std::min(offset + 1, count)}; // the line's end
        const int from = std::max(blockStart, offset - Reach);
        const int to = std::min(blockEnd, offset + Reach);
        const QString around = text(from, to);
        const auto kind = type == QAccessible::CharBoundary   ? QTextBoundaryFinder::Grapheme
                          : type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                              : QTextBoundaryFinder::Sentence;
        QTextBoundaryFinder finder(kind, around);
        // Words run from the start of one to the start of the next.
        const auto isStart = [&finder, type] {
            return type != QAccessible::WordBoundary ||
                   finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem);
        };
        finder.setPosition(offset - from + 1);
        qsizetype start = finder.toPreviousBoundary();
        while (start > 0 && !isStart())
            start = finder.toPreviousBoundary();
        finder.setPosition(offset - from);
        qsizetype end = finder.toNextBoundary();
        while (end >= 0 && end < around.size() && !isStart())
            end = finder.toNextBoundary();
        return {from + int(std::max<qsizetype>(start, 0)),
                from + int(end < 0 ? around.size() : end)};
    }
};

QAccessibleInterface* accessiblePostBox(const QString& /*className*/, QObject* object) {
    if (auto* box = qobject_cast<PostBox*>(object))
        return new PostBoxAccessible(box);
    return nullptr;
}

} // namespace

void installAccessibility(PostBox& box) {
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(accessiblePostBox);
    // Qt made the box its own interface when the box was named, before it
    // had this layout: that one goes, and the next to ask gets this one.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&box);
        made && !dynamic_cast<PostBoxAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace qirtaz::postbox
