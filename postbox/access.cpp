// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns of the post box. Qt's own text interface of a
// text box reads its character positions off layouts the box's own layout
// never fills, and is wrong for right-to-left text besides; this one gives
// the post's own text, the caret and the selection, and each character where
// it is drawn: the box around its glyphs.
//
// A screen reader counts characters, an emoji one, where the document counts
// UTF-16 units, an emoji two; Qt's bridge to AT-SPI hands every offset on as
// it is. So the offsets here count characters, turned into the document's
// positions on the way in and back on the way out.
#include "postbox/post_box.h"
#include "postbox/post_layout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>

#include <algorithm>
#include <vector>

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
    ~PostBoxAccessible() override { QObject::disconnect(watching_); }
    PostBoxAccessible(const PostBoxAccessible&) = delete;
    PostBoxAccessible& operator=(const PostBoxAccessible&) = delete;

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
            *start = offsetOf(cursor.selectionStart());
            *end = offsetOf(cursor.selectionEnd());
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
        cursor.setPosition(positionOf(start));
        cursor.setPosition(positionOf(end), QTextCursor::KeepAnchor);
        box()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return offsetOf(box()->textCursor().position()); }
    void setCursorPosition(int offset) override {
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(positionOf(offset));
        box()->setTextCursor(cursor);
    }
    QString text(int start, int end) const override {
        return textOf(positionOf(start), positionOf(end));
    }
    int characterCount() const override { return offsetOf(size()); }

    QRect characterRect(int offset) const override {
        const QRectF inDocument = boxOf(offset);
        if (inDocument.isNull())
            return {};
        const QRect inView = inDocument.translated(-box()->scrolled()).toAlignedRect();
        return {box()->viewport()->mapToGlobal(inView.topLeft()), inView.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPointF inDocument =
            QPointF(box()->viewport()->mapFromGlobal(point)) + box()->scrolled();
        const int at = layout().hitTest(inDocument, Qt::ExactHit);
        if (at < 0)
            return at;
        // The place nearest the point is mostly an edge of the character under
        // it; else that character is further along the row.
        const auto under = [this, inDocument](int offset) {
            return offset >= 0 && offset < characterCount() && boxOf(offset).contains(inDocument);
        };
        const int nearest = offsetOf(at);
        for (const int offset : {nearest, nearest - 1})
            if (under(offset))
                return offset;
        const auto [from, to] = layout().rowOf(at);
        for (int offset = offsetOf(from); offset <= offsetOf(to); ++offset)
            if (under(offset))
                return offset;
        return nearest;
    }
    void scrollToSubstring(int start, int end) override {
        setCursorPosition(end);
        setCursorPosition(start);
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        return spoken(segment(positionOf(offset), type), start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        const auto [from, to] = segment(positionOf(offset), type);
        if (from <= 0) {
            *start = *end = 0;
            return {};
        }
        return spoken(segment(segment(from - 1, type).first, type), start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        const auto [from, to] = segment(positionOf(offset), type);
        if (to >= size()) {
            *start = *end = characterCount();
            return {};
        }
        return spoken(segment(to, type), start, end);
    }

    QString attributes(int offset, int* start, int* end) const override {
        int from = 0, to = 0;
        QString said = attributesAt(positionOf(offset), &from, &to);
        *start = offsetOf(from);
        *end = offsetOf(to);
        return said;
    }

    // The editable text interface.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        QTextCursor cursor(box()->document());
        cursor.setPosition(positionOf(start));
        cursor.setPosition(positionOf(end), QTextCursor::KeepAnchor);
        cursor.insertText(text);
    }

    // A position of the post as a reader counts it, just after a change to
    // the text if changed says so.
    int readerOffset(int position, bool changed) const {
        if (changed)
            pairsKnown_ = false;
        return offsetOf(position);
    }

private:
    PostBox* box() const { return static_cast<PostBox*>(widget()); }
    const PostLayout& layout() const {
        return *static_cast<const PostLayout*>(box()->document()->documentLayout());
    }
    // The number of positions in the post.
    int size() const { return box()->document()->characterCount() - 1; }
    int clamped(int position) const { return std::clamp(position, 0, size()); }

    // Each surrogate pair as the document holds it and as a reader counts it,
    // found again after a change.
    struct Pairs {
        std::vector<int> positions;
        std::vector<int> offsets;
    };
    const Pairs& pairs() const {
        QTextDocument* document = box()->document();
        if (document != watched_) {
            QObject::disconnect(watching_);
            watching_ = QObject::connect(document, &QTextDocument::contentsChange,
                                         [this] { pairsKnown_ = false; });
            watched_ = document;
            pairsKnown_ = false;
        }
        if (!std::exchange(pairsKnown_, true)) {
            pairs_.positions.clear();
            pairs_.offsets.clear();
            const QString text = document->toRawText();
            for (qsizetype i = 0; i + 1 < text.size(); ++i)
                if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
                    const int at = int(i++);
                    pairs_.offsets.push_back(at - int(pairs_.positions.size()));
                    pairs_.positions.push_back(at);
                }
        }
        return pairs_;
    }
    // The character at a position, or the one a position splits.
    int offsetOf(int position) const {
        const std::vector<int>& before = pairs().positions;
        return position - int(std::ranges::lower_bound(before, position) - before.begin());
    }
    int positionOf(int offset) const {
        const std::vector<int>& before = pairs().offsets;
        return clamped(offset + int(std::ranges::lower_bound(before, offset) - before.begin()));
    }

    // Where a character is drawn in the document: the box around its glyphs.
    QRectF boxOf(int offset) const {
        const int at = positionOf(offset);
        QRectF glyphs = layout().characterRect(at);
        if (box()->document()->characterAt(at).isHighSurrogate())
            glyphs |= layout().characterRect(at + 1); // both halves of its glyph
        return glyphs;
    }

    QString textOf(int from, int to) const {
        if (from >= to)
            return {};
        QTextCursor cursor(box()->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        // The block separators as the post holds them: line feeds.
        return cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    // What a reader gets of a stretch of the post: its text and its offsets.
    QString spoken(std::pair<int, int> stretch, int* start, int* end) const {
        *start = offsetOf(stretch.first);
        *end = offsetOf(stretch.second);
        return textOf(stretch.first, stretch.second);
    }

    // A misspelt word is said to be one, as browsers say it.
    QString attributesAt(int offset, int* start, int* end) const {
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

    // The character, word, row or line holding a position, in positions.
    std::pair<int, int> segment(int offset, QAccessible::TextBoundaryType type) const {
        offset = clamped(offset);
        const int count = size();
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
        const QString around = textOf(from, to);
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

    mutable const QTextDocument* watched_ = nullptr;
    mutable QMetaObject::Connection watching_;
    mutable bool pairsKnown_ = false;
    mutable Pairs pairs_;
};

QAccessibleInterface* accessiblePostBox(const QString& /*className*/, QObject* object) {
    auto* box = qobject_cast<PostBox*>(object);
    if (box)
        return new PostBoxAccessible(box);
    return nullptr;
}

} // namespace

int readerOffset(PostBox& box, int position, bool textChanged) {
    auto* read = dynamic_cast<PostBoxAccessible*>(QAccessible::queryAccessibleInterface(&box));
    if (!read)
        return position;
    return read->readerOffset(position, textChanged);
}

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
