// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postbox/post_box.h"

#include "post/post.h"

#include "postbox/line.h"
#include "postbox/post_layout.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>
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

struct MoveKey {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Move what;
};

constexpr MoveKey moveKeys[] = {
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

// The keys that change the text, besides typing.
enum class Edit {
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Deselect,
    Delete,
    DeleteWordAfter,
    DeleteWordBefore,
    DeleteRowEnd
};

struct EditKey {
    QKeySequence::StandardKey key;
    Edit what;
};

constexpr EditKey editKeys[] = {
    {QKeySequence::Undo, Edit::Undo},
    {QKeySequence::Redo, Edit::Redo},
    {QKeySequence::Cut, Edit::Cut},
    {QKeySequence::Copy, Edit::Copy},
    {QKeySequence::Paste, Edit::Paste},
    {QKeySequence::SelectAll, Edit::SelectAll},
    {QKeySequence::Deselect, Edit::Deselect},
    {QKeySequence::Delete, Edit::Delete},
    {QKeySequence::DeleteEndOfWord, Edit::DeleteWordAfter},
    {QKeySequence::DeleteStartOfWord, Edit::DeleteWordBefore},
    {QKeySequence::DeleteEndOfLine, Edit::DeleteRowEnd},
};

// Ctrl+Y redoes as well, as on most desktops.
bool isRedoToo(const QKeyEvent* event) {
    return event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier;
}

std::optional<Edit> editFor(const QKeyEvent* event) {
    if (isRedoToo(event))
        return Edit::Redo;
    for (const EditKey& key : editKeys)
        if (event->matches(key.key))
            return key.what;
    return std::nullopt;
}

const MoveKey* moveFor(const QKeyEvent* event, bool* select) {
    for (const MoveKey& key : moveKeys) {
        if (event->matches(key.move) || event->matches(key.select)) {
            *select = event->matches(key.select);
            return &key;
        }
    }
    return nullptr;
}

bool isBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
}

bool isLineBreak(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
}

// What a key types, if it types anything: letters and signs, the format
// controls (ZWNJ, ZWJ, the direction marks), tabs; never a control key.
bool typesText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c == u'\t' ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// How far around a position the text is read for its markup and words: a line
// of megabytes is never read whole for a key.
constexpr int AroundCaret = 1024;

// A paste of megabytes goes in a part at a time, the window painting between.
constexpr qsizetype PastePart = qsizetype(256) * 1024;

// QTextOption has no comparison of its own: the settings the box gives it.
bool sameOption(const QTextOption& a, const QTextOption& b) {
    return a.alignment() == b.alignment() && a.flags() == b.flags() &&
           a.wrapMode() == b.wrapMode() && a.tabStopDistance() == b.tabStopDistance() &&
           a.textDirection() == b.textDirection();
}

// Qt works out where a cursor stands across its line, from the items of a
// layout of the whole line, each time the cursor is set or changes the text
// outside an edit block (for its own Up and Down, which this box does
// itself): every setting and change of a cursor here goes inside one.
void setQuietly(QTextCursor& cursor, int anchor, int position) {
    cursor.beginEditBlock();
    cursor.setPosition(anchor);
    if (position != anchor)
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    cursor.endEditBlock();
}

} // namespace

PostBox::PostBox(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);

    sheets_.push_back(newSheet());
    document_ = sheets_.front().document;
    layout_ = sheets_.front().layout;
    cursor_ = QTextCursor(document_);
    setTextAlignment(Qt::AlignLeft);
    installAccessibility(*this);
}

PostBox::Sheet PostBox::newSheet() {
    auto* document = new QTextDocument(this);
    document->setUndoRedoEnabled(true);
    document->setDefaultFont(scaled());
    if (document_)
        document->setDefaultTextOption(document_->defaultTextOption());
    auto* layout = new PostLayout(document);
    document->setDocumentLayout(layout);
    document->setTextWidth(viewport()->width());
    if (layout_)
        layout->setWrapping(layout_->wraps());

    // Each of these is heard from the sheet on show alone.
    connect(layout, &QAbstractTextDocumentLayout::update, this, [this, layout](const QRectF& rect) {
        if (layout != layout_)
            return;
        if (!rect.isValid() || rect.isEmpty())
            viewport()->update();
        else
            viewport()->update(rect.translated(-scrolled()).toAlignedRect().adjusted(-1, -1, 1, 1));
    });
    connect(layout, &QAbstractTextDocumentLayout::documentSizeChanged, this, [this, layout] {
        if (layout == layout_)
            updateScrollBars();
    });
    // A line at the right edge grew past the left one: everything moved right,
    // and the view follows so that its picture stays still.
    connect(layout, &PostLayout::shifted, this, [this, layout](qreal dx) {
        if (layout != layout_)
            return;
        updateScrollBars();
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + int(std::lround(isRightToLeft() ? -dx : dx)));
    });
    // Lines above the view wrapped into more rows or fewer than they were
    // taken to have: the view follows once the scroll range has grown or shrunk.
    connect(layout, &PostLayout::movedDown, this, [this, layout](qreal y, qreal dy) {
        // y is where the lines were before: moved by the changes not yet followed.
        if (layout == layout_ && y <= scrolled().y() + moved_)
            moved_ += dy;
    });
    connect(document, &QTextDocument::contentsChange, this,
            [this, document](int from, int /*removed*/, int added) {
                if (document != document_)
                    return;
                ++changes_;
                lastChange_ = from + added;
                // A change of its own, not an undo or a redo: what was cleared
                // after this sheet can no longer be redone.
                if (!replaying_)
                    dropSheetsAfter(sheet_);
                if (QAccessible::isActive()) {
                    const int count = document_->characterCount() - 1;
                    QAccessibleTextUpdateEvent changed(
                        this, readerOffset(*this, std::min(from, count), true), QString(),
                        textBetween(std::min(from, count), std::min(from + added, count)));
                    QAccessible::updateAccessibility(&changed);
                }
            });
    // The document tells of a change before its layout has read it: where the
    // caret is drawn is asked once the layout has.
    connect(document, &QTextDocument::contentsChanged, this, [this, document] {
        if (document != document_)
            return;
        caretMoved();
        emit textChanged();
    });
    layout->setMarkupColour(markupColour());
    return {.document = document, .layout = layout, .anchor = 0, .position = 0, .scrolled = {}};
}

PostBox::~PostBox() = default;

void PostBox::setTextCursor(const QTextCursor& cursor) {
    if (cursor.document() != document_)
        return;
    cursor_ = cursor;
    caretMoved();
    ensureCursorVisible();
}

void PostBox::moveCursor(QTextCursor::MoveOperation operation, QTextCursor::MoveMode mode) {
    // Set as positions: Qt's own moves read the line's direction from its
    // letters first, over a whole line of neutral ones if need be.
    const QTextBlock block = cursor_.block();
    int to = cursor_.position();
    switch (operation) {
    case QTextCursor::Start:
        to = 0;
        break;
    case QTextCursor::End:
        to = document_->characterCount() - 1;
        break;
    case QTextCursor::StartOfBlock:
        to = block.position();
        break;
    case QTextCursor::EndOfBlock:
        to = block.position() + block.length() - 1;
        break;
    case QTextCursor::NoMove:
        break;
    default:
        return; // anything else would have Qt lay the whole line out for it
    }
    setQuietly(cursor_, mode == QTextCursor::KeepAnchor ? cursor_.anchor() : to, to);
    caretMoved();
    ensureCursorVisible();
}

QTextCursor PostBox::cursorForPosition(const QPoint& inView) const {
    QTextCursor cursor(document_);
    const int at = positionAt(inView);
    setQuietly(cursor, at, at);
    return cursor;
}

QString PostBox::toPlainText() const {
    return document_->toPlainText();
}

void PostBox::setPlainText(const QString& text) {
    if (sheets_.size() > 1) {
        for (std::size_t i = 0; i < sheets_.size(); ++i)
            if (i != sheet_)
                sheets_[i].document->deleteLater();
        sheets_ = {sheets_[sheet_]};
        sheet_ = 0;
    }
    document_->setPlainText(text);
    cursor_ = QTextCursor(document_);
    caretMoved();
}

void PostBox::insertPlainText(const QString& text) {
    cursor_.beginEditBlock();
    cursor_.insertText(text);
    cursor_.endEditBlock();
    caretMoved();
    ensureCursorVisible();
}

void PostBox::setTextAlignment(Qt::Alignment horizontal) {
    QTextOption option = document_->defaultTextOption();
    // Left is the leading edge, which a right-to-left line mirrors; right is
    // the right edge itself.
    option.setAlignment(horizontal & Qt::AlignRight ? Qt::AlignRight | Qt::AlignAbsolute
                                                    : Qt::AlignLeading);
    option.setWrapMode(QTextOption::NoWrap);
    document_->setDefaultTextOption(option);
    viewport()->update();
}

Qt::Alignment PostBox::textAlignment() const {
    return document_->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask &
           ~Qt::AlignAbsolute;
}

QPointF PostBox::scrolled() const {
    const QScrollBar* h = horizontalScrollBar();
    const qreal x = isRightToLeft() ? h->maximum() - h->value() : h->value();
    return {x, qreal(verticalScrollBar()->value())};
}

QRectF PostBox::caretInDocument(int position) const {
    return layout_->caretRect(position);
}

QRect PostBox::caretInView(int position) const {
    return caretInDocument(position).translated(-scrolled()).toAlignedRect();
}

void PostBox::ensureCursorVisible() {
    const QRectF rect = caretInDocument(cursor_.position()).adjusted(-4, 0, 4, 0);
    const QRectF view(scrolled(), QSizeF(viewport()->size()));
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    qreal x = view.x();
    if (rect.left() < view.left())
        x = rect.left();
    else if (rect.right() > view.right())
        x = rect.right() - view.width();
    if (x != view.x()) {
        updateScrollBars();
        h->setValue(isRightToLeft() ? h->maximum() - int(std::lround(x)) : int(std::lround(x)));
    }
    if (rect.top() < view.top())
        v->setValue(int(std::floor(rect.top())));
    else if (rect.bottom() > view.bottom())
        v->setValue(int(std::ceil(rect.bottom() - view.height())));
}

void PostBox::addMenuAction(QAction* action) {
    menuActions_.append(action);
}

QMenu* PostBox::createContextMenu(int position) {
    auto* menu = new QMenu(this);
    // The words Qt's own text boxes use, so that its Arabic translation applies.
    const auto add = [this, menu](const char* text, const QString& key, const char* name,
                                  bool enabled, void (PostBox::*slot)()) {
        QString label = QCoreApplication::translate("QWidgetTextControl", text);
        if (!key.isEmpty())
            label += u'\t' + key;
        QAction* action = menu->addAction(label);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    const auto keyOf = [](QKeySequence::StandardKey key) {
        return QKeySequence(key).toString(QKeySequence::NativeText);
    };
    const bool selected = cursor_.hasSelection();
    add("&Undo", keyOf(QKeySequence::Undo), "edit-undo", canUndo(), &PostBox::undo);
    add("&Redo", QKeySequence(Qt::CTRL | Qt::Key_Y).toString(QKeySequence::NativeText), "edit-redo",
        canRedo(), &PostBox::redo);
    menu->addSeparator();
    add("Cu&t", keyOf(QKeySequence::Cut), "edit-cut", selected, &PostBox::cut);
    add("&Copy", keyOf(QKeySequence::Copy), "edit-copy", selected, &PostBox::copy);
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    add("&Paste", keyOf(QKeySequence::Paste), "edit-paste", clipboard && clipboard->hasText(),
        &PostBox::paste);
    for (const QPointer<QAction>& action : menuActions_)
        if (action)
            menu->addAction(action);
    QAction* remove = menu->addAction(QCoreApplication::translate("QWidgetTextControl", "Delete"));
    remove->setObjectName(QStringLiteral("edit-delete"));
    remove->setEnabled(selected);
    connect(remove, &QAction::triggered, this, [this] {
        if (cursor_.hasSelection())
            removeRange(cursor_.selectionStart(), cursor_.selectionEnd());
    });
    menu->addSeparator();
    add("Select All", keyOf(QKeySequence::SelectAll), "select-all", !document_->isEmpty(),
        &PostBox::selectAll);
    if (wordMenu_)
        wordMenu_(*menu, position);
    return menu;
}

bool PostBox::readAround(int position, int reach, Around& out) const {
    const QTextBlock block = document_->findBlock(position);
    const int start = block.position();
    const int end = start + block.length() - 1;
    const int from = std::max(start, position - reach);
    const int to = std::min(end, position + reach);
    QString text = textBetween(from, to);
    // A tag starts with "[" and holds no other bracket, an address ends at
    // one: from the last "[" before the position on (or else just after the
    // last "]"), the markup reads as it does from the line's start, and the
    // tag just before the position is read whole.
    qsizetype safe = 0;
    if (from > start) {
        const QStringView before = QStringView(text).first(position - from);
        const qsizetype opening = before.lastIndexOf(u'[');
        const qsizetype closing = before.lastIndexOf(u']');
        safe = opening >= 0 ? opening : closing >= 0 ? closing + 1 : -1;
        if (safe < 0)
            return false;
    }
    out.from = from + int(safe);
    out.text = text.sliced(safe);
    out.spans = reading::ownOrderSpans(out.text);
    // Beyond the last bracket a tag may be cut short by the reach.
    out.readable = out.text.size();
    if (to < end) {
        const qsizetype opening = out.text.lastIndexOf(u'[');
        out.readable = opening < 0 ? out.text.size() : opening;
    }
    out.whole = from == start && to == end;
    return true;
}

PostBox::Around PostBox::around(int position) const {
    Around read;
    for (int reach = AroundCaret; !readAround(position, reach, read); reach *= 4) {
    }
    return read;
}

std::optional<std::pair<int, int>> PostBox::markupAround(int position) const {
    const Around read = around(position);
    const qsizetype at = position - read.from;
    for (const reading::Span& span : read.spans) {
        if (span.start >= at)
            break;
        if (at < span.start + span.length)
            return std::pair{read.from + int(span.start),
                             read.from + int(span.start + span.length)};
    }
    return std::nullopt;
}

std::pair<int, int> PostBox::wordAt(int position) const {
    const QTextBlock block = document_->findBlock(position);
    const int start = block.position();
    const int end = start + block.length() - 1;
    Around read = around(position);
    for (int reach = AroundCaret;;) {
        const auto [from, to] = postbox::wordAt(read.text, read.spans, position - read.from);
        // A run of blanks or signs may go on past what was read: read more.
        const bool cutBefore = from == 0 && read.from > start;
        const bool cutAfter = to == read.text.size() && read.from + read.text.size() < end;
        if (!cutBefore && !cutAfter)
            return {read.from + int(from), read.from + int(to)};
        reach *= 4;
        const int reading = cutBefore ? read.from : position;
        Around more;
        if (readAround(reading, reach + (position - reading), more))
            read = std::move(more);
    }
}

int PostBox::wordStart(int position, bool forwards) const {
    const QTextBlock block = document_->findBlock(position);
    const int start = block.position();
    const int end = start + block.length() - 1;
    // Past the line's end, the next line; before its start, the one before.
    if (forwards && position >= end)
        return std::min(position + 1, document_->characterCount() - 1);
    if (!forwards && position <= start)
        return std::max(position - 1, 0);
    if (forwards) {
        for (int reach = AroundCaret;; reach *= 4) {
            Around read;
            if (!readAround(position, reach, read))
                continue;
            const std::vector<qsizetype> starts = postbox::wordStarts(read.text, read.spans);
            const auto after = std::upper_bound(starts.begin(), starts.end(), position - read.from);
            if (after != starts.end() && *after < read.readable)
                return read.from + int(*after);
            if (read.from + read.text.size() >= end)
                return after != starts.end() ? read.from + int(*after) : end;
        }
    }
    // Back from the position, a stretch at a time: where a stretch holds no
    // word's start, the one before it.
    for (int reading = position, reach = AroundCaret;;) {
        Around read;
        if (!readAround(reading, reach, read)) {
            reach *= 4;
            continue;
        }
        const std::vector<qsizetype> starts = postbox::wordStarts(read.text, read.spans);
        const auto before = std::lower_bound(starts.begin(), starts.end(), position - read.from);
        if (before != starts.begin())
            return read.from + int(*std::prev(before));
        if (read.from <= start)
            return start;
        reading = read.from;
    }
}

void PostBox::undo() {
    undoOrRedo(true);
}

void PostBox::redo() {
    undoOrRedo(false);
}

bool PostBox::canUndo() const {
    return document_->isUndoAvailable() || sheet_ > 0;
}

bool PostBox::canRedo() const {
    return document_->isRedoAvailable() || sheet_ + 1 < sheets_.size();
}

void PostBox::undoOrRedo(bool undo) {
    // Past the first step of this sheet's history lies the clear that began it,
    // past its last the clear that ended it.
    if (undo && !document_->isUndoAvailable()) {
        if (sheet_ > 0)
            turnTo(sheet_ - 1);
        return;
    }
    if (!undo && !document_->isRedoAvailable()) {
        if (sheet_ + 1 < sheets_.size())
            turnTo(sheet_ + 1);
        return;
    }
    // Without a cursor for Qt to set, and the caret then set here, at the end
    // of what changed last.
    lastChange_ = -1;
    replaying_ = true;
    if (undo)
        document_->undo();
    else
        document_->redo();
    replaying_ = false;
    if (lastChange_ >= 0)
        setQuietly(cursor_, lastChange_, lastChange_);
    caretMoved();
    ensureCursorVisible();
}

void PostBox::cut() {
    if (!cursor_.hasSelection())
        return;
    copy();
    removeRange(cursor_.selectionStart(), cursor_.selectionEnd());
}

void PostBox::copy() {
    if (!cursor_.hasSelection())
        return;
    QGuiApplication::clipboard()->setText(
        cursor_.selectedText().replace(QChar::ParagraphSeparator, u'\n'));
}

void PostBox::paste() {
    insertFromMimeData(QGuiApplication::clipboard()->mimeData(), -1);
}

void PostBox::selectAll() {
    setQuietly(cursor_, 0, document_->characterCount() - 1);
    caretMoved();
}

void PostBox::clear() {
    if (document_->isEmpty())
        return;
    dropSheetsAfter(sheet_);
    document_->clearUndoRedoStacks(QTextDocument::RedoStack);
    sheets_.push_back(newSheet());
    turnTo(sheets_.size() - 1);
}

void PostBox::dropSheetsAfter(std::size_t sheet) {
    for (std::size_t i = sheet + 1; i < sheets_.size(); ++i)
        sheets_[i].document->deleteLater();
    sheets_.resize(std::min(sheets_.size(), sheet + 1));
}

void PostBox::turnTo(std::size_t sheet) {
    Sheet& from = sheets_[sheet_];
    from.anchor = cursor_.anchor();
    from.position = cursor_.position();
    from.scrolled = scrolled().toPoint();
    from.layout->setShelved(true);
    const QTextOption option = document_->defaultTextOption();
    const bool wrapping = layout_->wraps();
    const QString before = QAccessible::isActive() ? post::text(*document_) : QString();

    sheet_ = sheet;
    const Sheet& to = sheets_[sheet];
    document_ = to.document;
    layout_ = to.layout;
    // What changed while it was put aside, the font, the alignment, the
    // width, the wrapping. Each of them would have it read all its lines again.
    if (document_->defaultFont() != scaled())
        document_->setDefaultFont(scaled());
    if (!sameOption(document_->defaultTextOption(), option))
        document_->setDefaultTextOption(option);
    if (document_->textWidth() != viewport()->width())
        document_->setTextWidth(viewport()->width());
    layout_->setWrapping(wrapping);
    layout_->setShelved(false);

    const int last = document_->characterCount() - 1;
    cursor_ = QTextCursor(document_);
    setQuietly(cursor_, std::min(to.anchor, last), std::min(to.position, last));
    ++changes_;
    run_ = Run::None;
    lastPosition_ = lastAnchor_ = -1;
    moved_ = 0;
    updateScrollBars();
    QScrollBar* across = horizontalScrollBar();
    across->setValue(isRightToLeft() ? across->maximum() - to.scrolled.x() : to.scrolled.x());
    verticalScrollBar()->setValue(to.scrolled.y());
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent changed(this, 0, before, post::text(*document_));
        QAccessible::updateAccessibility(&changed);
    }
    emit documentReplaced();
    emit textChanged();
    caretMoved();
    ensureCursorVisible();
}

bool PostBox::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The box's own keys are the box's, whatever the window binds.
        auto* key = static_cast<QKeyEvent*>(event);
        if (handlesKey(key)) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool PostBox::handlesKey(const QKeyEvent* event) const {
    bool select = false;
    if (moveFor(event, &select) || editFor(event) || isBackspace(event) || isLineBreak(event))
        return true;
    // Letters with Alt or Ctrl are the window's keys first, as in Qt's own boxes.
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    return (mods == Qt::NoModifier || mods == Qt::ShiftModifier) && event->key() < Qt::Key_Escape &&
           typesText(event);
}

void PostBox::keyPressEvent(QKeyEvent* event) {
    if (move(event) || edit(event)) {
        event->accept();
        return;
    }
    if (isBackspace(event)) {
        if (cursor_.hasSelection())
            removeRange(cursor_.selectionStart(), cursor_.selectionEnd());
        else if (cursor_.position() > 0) {
            // One code point, as Qt's own boxes do: a letter's mark goes alone.
            // Backspaces in a row are one step of the undo history.
            goOnOrBegin(Run::Erasing);
            cursor_.deletePreviousChar();
            endRun(Run::Erasing);
            caretMoved();
            ensureCursorVisible();
        }
    } else if (isLineBreak(event)) {
        type(event->modifiers() & Qt::ShiftModifier ? QString(QChar::LineSeparator)
                                                    : QStringLiteral("\n"));
    } else if (typesText(event)) {
        type(event->text());
    } else {
        event->ignore();
        return;
    }
    event->accept();
}

bool PostBox::move(const QKeyEvent* event) {
    bool select = false;
    const MoveKey* found = moveFor(event, &select);
    if (!found)
        return false;
    const int position = cursor_.position();
    int to = position;
    const bool vertical = found->what == Move::Up || found->what == Move::Down ||
                          found->what == Move::PageUp || found->what == Move::PageDown;
    if (!vertical || position != verticalAt_)
        verticalX_ = caretInDocument(position).left();
    const int page = std::max(1, int(viewport()->height() / layout_->lineHeight()) - 1);
    switch (found->what) {
    case Move::Left:
    case Move::Right: {
        const bool leftwards = found->what == Move::Left;
        if (cursor_.hasSelection() && !select) {
            // The selection's edge on that side.
            const int start = cursor_.selectionStart(), end = cursor_.selectionEnd();
            const bool startLeft = caretInDocument(start).left() <= caretInDocument(end).left();
            to = (startLeft == leftwards) ? start : end;
        } else {
            to = layout_->besideOnScreen(position, leftwards);
        }
        break;
    }
    case Move::WordLeft:
    case Move::WordRight:
        to = layout_->wordBesideOnScreen(position, found->what == Move::WordLeft);
        break;
    case Move::RowStart:
        to = layout_->rowOf(position).first;
        break;
    case Move::RowEnd:
        to = layout_->rowOf(position).second;
        break;
    case Move::Up:
    case Move::Down:
        to = layout_->rowsAway(position, found->what == Move::Up ? -1 : 1, verticalX_);
        break;
    case Move::PageUp:
    case Move::PageDown: {
        const int rows = found->what == Move::PageUp ? -page : page;
        to = layout_->rowsAway(position, rows, verticalX_);
        QScrollBar* v = verticalScrollBar();
        v->setValue(v->value() + int(std::lround(rows * layout_->lineHeight())));
        break;
    }
    case Move::Start:
        to = 0;
        break;
    case Move::End:
        to = document_->characterCount() - 1;
        break;
    }
    placeCaret(to, select);
    verticalAt_ = vertical ? to : -1;
    ensureCursorVisible();
    return true;
}

bool PostBox::edit(const QKeyEvent* event) {
    const std::optional<Edit> what = editFor(event);
    if (!what)
        return false;
    const int position = cursor_.position();
    const int last = document_->characterCount() - 1;
    const bool deletes = *what == Edit::Delete || *what == Edit::DeleteWordAfter ||
                         *what == Edit::DeleteWordBefore || *what == Edit::DeleteRowEnd;
    if (deletes && cursor_.hasSelection()) {
        removeRange(cursor_.selectionStart(), cursor_.selectionEnd());
        return true;
    }
    switch (*what) {
    case Edit::Undo:
        undo();
        break;
    case Edit::Redo:
        redo();
        break;
    case Edit::Cut:
        cut();
        break;
    case Edit::Copy:
        copy();
        break;
    case Edit::Paste:
        paste();
        break;
    case Edit::SelectAll:
        selectAll();
        break;
    case Edit::Deselect:
        placeCaret(position, false);
        break;
    case Edit::DeleteRowEnd: {
        // To the row's end; at its end, the break after it.
        const int end = layout_->rowOf(position).second;
        removeRange(position, end > position ? end : std::min(position + 1, last));
        break;
    }
    case Edit::Delete: {
        // The next character as the writer sees one: a letter with its marks,
        // an emoji whole.
        const QString text = textBetween(position, std::min(position + AroundCaret, last));
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
        const qsizetype next = text.isEmpty() ? -1 : graphemes.toNextBoundary();
        removeRange(position, std::min(position + int(next > 0 ? next : 1), last));
        break;
    }
    case Edit::DeleteWordAfter:
    case Edit::DeleteWordBefore: {
        const int to = wordStart(position, *what == Edit::DeleteWordAfter);
        removeRange(std::min(position, to), std::max(position, to));
        break;
    }
    }
    return true;
}

void PostBox::type(const QString& text) {
    // Typed text merges into the step of the letters typed before it, as in
    // any text box; replacing a selection is one step with what replaced it.
    goOnOrBegin(Run::Typing);
    cursor_.insertText(text);
    endRun(Run::Typing);
    caretMoved();
    ensureCursorVisible();
    restartBlink();
}

void PostBox::goOnOrBegin(Run run) {
    // On from the last key's step while nothing else changed the post or
    // moved the caret since.
    if (run_ == run && changes_ == runChanges_ && cursor_.position() == runAt_ &&
        !cursor_.hasSelection())
        cursor_.joinPreviousEditBlock();
    else
        cursor_.beginEditBlock();
}

void PostBox::endRun(Run run) {
    cursor_.endEditBlock();
    run_ = run;
    runChanges_ = changes_;
    runAt_ = cursor_.position();
}

void PostBox::removeRange(int from, int to) {
    if (from >= to)
        return;
    cursor_.beginEditBlock();
    cursor_.setPosition(from);
    cursor_.setPosition(to, QTextCursor::KeepAnchor);
    cursor_.removeSelectedText();
    cursor_.endEditBlock();
    caretMoved();
    ensureCursorVisible();
    restartBlink();
}

void PostBox::insertFromMimeData(const QMimeData* source, int at) {
    if (!source || !source->hasText())
        return;
    if (at >= 0)
        setQuietly(cursor_, at, at);
    insertInParts(source->text());
}

void PostBox::insertInParts(const QString& text) {
    // Straight in, as typed text goes, rather than through a document of its
    // own first. A paste of megabytes goes in a part at a time, cut inside
    // its lines if need be, all of it one step of the undo history; between
    // the parts the window paints and answers, though it takes no key or
    // click until the last part is in. "\r\n", "\r" and U+2029 each become a
    // line break, as the document makes them.
    QPointer<PostBox> alive(this);
    QTextCursor cursor = cursor_;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = std::min(text.size(), from + PastePart);
        if (to < text.size()) {
            const qsizetype lineEnd = text.lastIndexOf(u'\n', to - 1);
            if (lineEnd > from)
                to = lineEnd + 1;
            // Never between the halves of a character or of "\r\n".
            if (text[to - 1].isHighSurrogate() || text[to - 1] == u'\r')
                --to;
        }
        if (from == 0)
            cursor.beginEditBlock();
        else
            cursor.joinPreviousEditBlock();
        cursor.insertText(QStringView(text).sliced(from, to - from).toString());
        cursor.endEditBlock();
        from = to;
        if (from < text.size()) {
            cursor_ = cursor;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (!alive)
                return;
        }
    }
    // What is typed next is a step of its own, not a part of the paste.
    document_->setModified(false);
    cursor_ = cursor;
    caretMoved();
    ensureCursorVisible();
}

void PostBox::placeCaret(int position, bool keepAnchor) {
    position = std::clamp(position, 0, document_->characterCount() - 1);
    if (keepAnchor) {
        const int anchor = cursor_.anchor();
        if (const auto markup = markupAround(position);
            markup && !(markup->first < anchor && anchor < markup->second))
            position = position > anchor ? markup->second : markup->first;
    }
    setQuietly(cursor_, keepAnchor ? cursor_.anchor() : position, position);
    caretMoved();
    restartBlink();
}

void PostBox::caretMoved() {
    const int position = cursor_.position();
    const int anchor = cursor_.anchor();
    if (position == lastPosition_ && anchor == lastAnchor_)
        return;
    const bool selectionWas = lastPosition_ != lastAnchor_;
    lastPosition_ = position;
    lastAnchor_ = anchor;
    repaintCaret();
    if (selectionWas || position != anchor)
        viewport()->update();
    emit cursorPositionChanged();
    if (selectionWas || position != anchor)
        emit selectionChanged();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, readerOffset(*this, position));
        QAccessible::updateAccessibility(&moved);
        if (position != anchor) {
            QAccessibleTextSelectionEvent selected(this,
                                                   readerOffset(*this, std::min(position, anchor)),
                                                   readerOffset(*this, std::max(position, anchor)));
            QAccessible::updateAccessibility(&selected);
        }
    }
}

void PostBox::restartBlink() {
    caretOn_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash >= 2)
        blink_.start(flash / 2, this);
    else
        blink_.stop();
    repaintCaret();
}

void PostBox::repaintCaret() {
    const QRectF now = caretInDocument(cursor_.position()).adjusted(-2, 0, 2, 0);
    const QPointF offset = scrolled();
    viewport()->update(caretShown_.translated(-offset).toAlignedRect());
    viewport()->update(now.translated(-offset).toAlignedRect());
    caretShown_ = now;
}

void PostBox::updateScrollBars() {
    const QSizeF size = layout_->documentSize();
    const QSize view = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, int(std::ceil(size.width())) - view.width()));
    h->setPageStep(view.width());
    h->setSingleStep(20);
    v->setRange(0, std::max(0, int(std::ceil(size.height())) - view.height()));
    v->setPageStep(view.height());
    if (moved_ != 0) {
        v->setValue(v->value() + int(std::lround(moved_)));
        moved_ = 0;
    }
    v->setSingleStep(std::max(1, int(layout_->lineHeight())));
}

int PostBox::positionAt(QPointF inView) const {
    const int found = layout_->hitTest(inView + scrolled(), Qt::FuzzyHit);
    return found < 0 ? document_->characterCount() - 1 : found;
}

QString PostBox::textBetween(int from, int to) const {
    if (from >= to)
        return {};
    QTextCursor cursor(document_);
    setQuietly(cursor, from, to);
    return cursor.selectedText();
}

QVariant PostBox::inputMethodQuery(Qt::InputMethodQuery query) const {
    const int position = cursor_.position();
    const QTextBlock block = cursor_.block();
    // The text around the caret, as far as an input method needs it.
    const int from = std::max(block.position(), position - AroundCaret);
    const int to = std::min(block.position() + block.length() - 1, position + AroundCaret);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return QRectF(caretInView(position).translated(viewport()->pos()));
    case Qt::ImAnchorRectangle:
        return QRectF(caretInView(cursor_.anchor()).translated(viewport()->pos()));
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return position - from;
    case Qt::ImAnchorPosition:
        return std::clamp(cursor_.anchor(), from, to) - from;
    case Qt::ImSurroundingText:
        return textBetween(from, to);
    case Qt::ImCurrentSelection:
        return cursor_.selectedText();
    case Qt::ImAbsolutePosition:
        return position;
    case Qt::ImTextBeforeCursor:
        return textBetween(from, position);
    case Qt::ImTextAfterCursor:
        return textBetween(position, to);
    case Qt::ImMaximumTextLength:
        return {};
    case Qt::ImHints:
        return int(inputMethodHints());
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void PostBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        cursor_.beginEditBlock();
        if (event->replacementLength() > 0) {
            const int last = document_->characterCount() - 1;
            const int from = cursor_.position() + event->replacementStart();
            cursor_.setPosition(std::clamp(from, 0, last));
            cursor_.setPosition(std::clamp(from + event->replacementLength(), 0, last),
                                QTextCursor::KeepAnchor);
        }
        cursor_.insertText(event->commitString());
        cursor_.endEditBlock();
        caretMoved();
        ensureCursorVisible();
    }
    preedit_ = event->preeditString();
    preeditCursor_ = int(preedit_.size());
    for (const QInputMethodEvent::Attribute& a : event->attributes())
        if (a.type == QInputMethodEvent::Cursor)
            preeditCursor_ = a.start;
    viewport()->update();
    event->accept();
}

void PostBox::mousePressEvent(QMouseEvent* event) {
    const int position = positionAt(event->position());
    if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection())
            insertFromMimeData(clipboard->mimeData(QClipboard::Selection), position);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pointer_ = event->position().toPoint();
    dragging_ = true;
    if (tripleClick_.isActive() &&
        (event->position().toPoint() - tripleClickAt_).manhattanLength() <
            QApplication::startDragDistance()) {
        tripleClick_.stop();
        const QTextBlock block = document_->findBlock(position);
        dragUnit_ = Unit::Line;
        dragOrigin_ = {block.position(), block.position() + block.length() - 1};
        setQuietly(cursor_, dragOrigin_.first, dragOrigin_.first);
        placeCaret(dragOrigin_.second, true);
        return;
    }
    dragUnit_ = Unit::Character;
    placeCaret(position, event->modifiers() & Qt::ShiftModifier);
    dragOrigin_ = {cursor_.anchor(), cursor_.anchor()};
}

void PostBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int position = positionAt(event->position());
    dragUnit_ = Unit::Word;
    dragging_ = true;
    dragOrigin_ = wordAt(position);
    setQuietly(cursor_, dragOrigin_.first, dragOrigin_.second);
    caretMoved();
    tripleClickAt_ = event->position().toPoint();
    tripleClick_.start(QGuiApplication::styleHints()->mouseDoubleClickInterval(), this);
}

void PostBox::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    pointer_ = event->position().toPoint();
    if (viewport()->rect().contains(pointer_))
        autoScroll_.stop();
    else if (!autoScroll_.isActive())
        autoScroll_.start(50, this);
    const int position = positionAt(pointer_);
    switch (dragUnit_) {
    case Unit::Character:
        placeCaret(position, true);
        break;
    case Unit::Word:
    case Unit::Line: {
        // Whole words, or lines, from the one first chosen.
        std::pair<int, int> reached;
        if (dragUnit_ == Unit::Word) {
            reached = wordAt(position);
        } else {
            const QTextBlock block = document_->findBlock(position);
            reached = {block.position(), block.position() + block.length() - 1};
        }
        const bool forwards = reached.first >= dragOrigin_.first;
        setQuietly(cursor_, forwards ? dragOrigin_.first : dragOrigin_.second,
                   forwards ? std::max(reached.second, dragOrigin_.second) : reached.first);
        caretMoved();
        break;
    }
    }
    ensureCursorVisible();
}

void PostBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    autoScroll_.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (cursor_.hasSelection() && clipboard->supportsSelection())
        clipboard->setText(cursor_.selectedText().replace(QChar::ParagraphSeparator, u'\n'),
                           QClipboard::Selection);
}

void PostBox::autoScroll() {
    if (!dragging_) {
        autoScroll_.stop();
        return;
    }
    const QRect view = viewport()->rect();
    const QPoint inside(std::clamp(pointer_.x(), view.left(), view.right()),
                        std::clamp(pointer_.y(), view.top(), view.bottom()));
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const int step = std::max(1, int(layout_->lineHeight()));
    if (pointer_.y() < view.top())
        v->setValue(v->value() - step);
    else if (pointer_.y() > view.bottom())
        v->setValue(v->value() + step);
    if (pointer_.x() < view.left())
        h->setValue(h->value() - 20);
    else if (pointer_.x() > view.right())
        h->setValue(h->value() + 20);
    if (dragUnit_ == Unit::Character)
        placeCaret(positionAt(inside), true);
}

void PostBox::contextMenuEvent(QContextMenuEvent* event) {
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const int position =
        byKeyboard ? cursor_.position() : positionAt(viewport()->mapFrom(this, event->pos()));
    const QPoint where = byKeyboard
                             ? viewport()->mapToGlobal(caretInView(cursor_.position()).center())
                             : event->globalPos();
    const std::unique_ptr<QMenu> menu(createContextMenu(position));
    menu->exec(where);
}

void PostBox::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void PostBox::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void PostBox::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasText())
        return;
    event->acceptProposedAction();
    insertFromMimeData(event->mimeData(), positionAt(event->position()));
}

void PostBox::paintEvent(QPaintEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        emit firstShown();
    }
    QPainter painter(viewport());
    const QPointF offset = scrolled();
    painter.translate(-offset);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(event->rect()).translated(offset);
    context.palette = palette();
    const bool focused = hasFocus();
    context.cursorPosition = focused && caretOn_ && preedit_.isEmpty() ? cursor_.position() : -1;
    if (cursor_.hasSelection()) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = cursor_;
        const QPalette::ColorGroup group = focused ? QPalette::Active : QPalette::Inactive;
        selection.format.setBackground(palette().brush(group, QPalette::Highlight));
        selection.format.setForeground(palette().brush(group, QPalette::HighlightedText));
        context.selections.append(selection);
    }
    layout_->draw(&painter, context);
    if (!preedit_.isEmpty()) {
        // What the input method is composing, at the caret, underlined.
        const QRectF caret = caretInDocument(cursor_.position());
        QFont underlined = font();
        underlined.setUnderline(true);
        painter.setFont(underlined);
        const QFontMetricsF metrics(underlined);
        const QRectF box(caret.topLeft(),
                         QSizeF(metrics.horizontalAdvance(preedit_) + 2, layout_->lineHeight()));
        painter.fillRect(box, palette().brush(QPalette::Base));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, preedit_);
        const qreal x = box.left() + metrics.horizontalAdvance(preedit_.left(preeditCursor_));
        painter.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
    }
}

void PostBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // Wrapped anew, what was at the top of the view stays there.
    const int top = wraps() && verticalScrollBar()->value() > 0 ? positionAt(QPointF(0, 0)) : -1;
    moved_ = 0;
    document_->setTextWidth(viewport()->width());
    updateScrollBars();
    if (top >= 0)
        verticalScrollBar()->setValue(int(std::floor(caretInDocument(top).top())));
}

void PostBox::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(isRightToLeft() ? -dx : dx, dy);
}

void PostBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    if (cursor_.hasSelection())
        viewport()->update();
}

void PostBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blink_.stop();
    caretOn_ = false;
    repaintCaret();
    if (cursor_.hasSelection())
        viewport()->update();
}

void PostBox::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blink_.timerId()) {
        caretOn_ = !caretOn_;
        repaintCaret();
    } else if (event->timerId() == tripleClick_.timerId()) {
        tripleClick_.stop();
    } else if (event->timerId() == autoScroll_.timerId()) {
        autoScroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void PostBox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        document_->setDefaultFont(scaled());
    else if (event->type() == QEvent::PaletteChange)
        for (const Sheet& sheet : sheets_)
            sheet.layout->setMarkupColour(markupColour());
}

QFont PostBox::scaled() const {
    QFont lettering = font();
    if (lettering.pointSizeF() > 0)
        lettering.setPointSizeF(lettering.pointSizeF() * scale_);
    else
        lettering.setPixelSize(std::max(1, int(std::lround(lettering.pixelSize() * scale_))));
    return lettering;
}

void PostBox::setScale(qreal scale) {
    if (scale <= 0 || scale == scale_)
        return;
    scale_ = scale;
    document_->setDefaultFont(scaled());
    updateScrollBars();
    caretMoved();
    ensureCursorVisible();
}

void PostBox::setWrapping(bool on) {
    if (on == layout_->wraps())
        return;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    document_->setTextWidth(viewport()->width());
    layout_->setWrapping(on);
    horizontalScrollBar()->setValue(isRightToLeft() ? horizontalScrollBar()->maximum() : 0);
    updateScrollBars();
    caretMoved();
    ensureCursorVisible();
}

bool PostBox::wraps() const {
    return layout_->wraps();
}

void PostBox::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        wheeled_ = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch is 120 eighths of a degree; a touchpad's smaller ones add up.
    wheeled_ += event->angleDelta().y();
    const int steps = wheeled_ / 120;
    wheeled_ -= steps * 120;
    if (steps != 0)
        emit zoomAsked(steps);
    event->accept();
}

QColor PostBox::markupColour() const {
    // Half way between the text and the paper: read as part of the line, yet
    // plainly not a word of it.
    const QColor text = palette().color(QPalette::Text);
    const QColor paper = palette().color(QPalette::Base);
    return {(text.red() * 45 + paper.red() * 55) / 100,
            (text.green() * 45 + paper.green() * 55) / 100,
            (text.blue() * 45 + paper.blue() * 55) / 100};
}

} // namespace qirtaz::postbox
