// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/preview_view.h"

#include "board/render.h"
#include "screens/smileys.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace qirtaz {
namespace {

// To a screen reader the page is a text to read, line by line or word by word,
// like the text browser it stands in for, with the reader's selection; it has
// no caret.
class AccessiblePage : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessiblePage(PreviewView* view)
        : QAccessibleWidget(view, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = spokenAt(page()->selectionStart());
        *endOffset = spokenAt(page()->selectionEnd());
    }
    int selectionCount() const override {
        return page()->selectionStart() != page()->selectionEnd() ? 1 : 0;
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    // Where the reader's selection ends, so that a screen reader follows a jump to a problem.
    int cursorPosition() const override { return spokenAt(page()->selectionEnd()); }
    void setCursorPosition(int) override {}

    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override {
        const QString& all = page()->spoken().text;
        startOffset = std::clamp(startOffset, 0, int(all.size()));
        endOffset = std::clamp(endOffset, startOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(page()->spoken().text.size()); }

    QRect characterRect(int spokenOffset) const override {
        const QTextDocument* document = page()->document();
        if (!document)
            return {};
        const int offset = documentAt(spokenOffset);
        const QTextBlock block = document->findBlock(offset);
        const QTextLayout* layout = block.layout();
        if (!block.isValid() || !layout)
            return {};
        const int within = offset - block.position();
        const QTextLine line = layout->lineForTextPosition(within);
        if (!line.isValid())
            return {};
        const qreal x = line.cursorToX(within);
        const qreal next = line.cursorToX(within + 1);
        QRectF rect(std::min(x, next), line.y(), std::max(1.0, std::abs(next - x)), line.height());
        rect.translate(layout->position());
        const qreal scale = page()->scale();
        rect = QRectF(rect.topLeft() * scale, rect.size() * scale).translated(-viewOffset());
        return {page()->viewport()->mapToGlobal(rect.topLeft().toPoint()), rect.size().toSize()};
    }

    int offsetAtPoint(const QPoint& point) const override {
        const QTextDocument* document = page()->document();
        if (!document)
            return -1;
        const QPointF at =
            QPointF(page()->viewport()->mapFromGlobal(point) + viewOffset()) / page()->scale();
        const int position = document->documentLayout()->hitTest(at, Qt::ExactHit);
        return position < 0 ? -1 : spokenAt(position);
    }

    void scrollToSubstring(int startIndex, int) override {
        const QRect rect = characterRect(startIndex);
        if (rect.isValid()) {
            const QPoint at = page()->viewport()->mapFromGlobal(rect.topLeft());
            QScrollBar* down = page()->verticalScrollBar();
            down->setValue(down->value() + at.y() - page()->viewport()->height() / 3);
        }
    }

    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    PreviewView* page() const { return static_cast<PreviewView*>(widget()); }
    int spokenAt(int position) const {
        const std::vector<int>& from = page()->spoken().fromDocument;
        return from.empty() ? 0 : from[std::size_t(std::clamp(position, 0, int(from.size()) - 1))];
    }
    int documentAt(int offset) const {
        const std::vector<int>& to = page()->spoken().toDocument;
        return to.empty() ? 0 : to[std::size_t(std::clamp(offset, 0, int(to.size()) - 1))];
    }
    QPoint viewOffset() const {
        return {page()->horizontalScrollBar()->value(), page()->verticalScrollBar()->value()};
    }
};

// What the main window's smiley button says of the picture the preview draws,
// meaning and code: "qirtaz-board:grin" is "وجه ضاحك :D".
QString pictureSpoken(const QString& name) {
    static const QString prefix = QStringLiteral("qirtaz-board:");
    if (!name.startsWith(prefix))
        return {};
    const QByteArray picture = name.sliced(prefix.size()).toLatin1();
    for (const screens::SmileyButton& smiley : screens::smileyButtons)
        if (picture == smiley.picture)
            return QString::fromUtf8(smiley.spoken);
    return {};
}

bool unspoken(QChar c) {
    return c.unicode() == 0x2060 || board::withoutDirectionMarks(QStringView(&c, 1)).isEmpty();
}

QAccessibleInterface* accessiblePage(const QString& className, QObject* object) {
    if (className == QLatin1String(PreviewView::staticMetaObject.className()))
        return new AccessiblePage(static_cast<PreviewView*>(object));
    return nullptr;
}

} // namespace

PreviewView::PreviewView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    static const bool accessible = [] {
        QAccessible::installFactory(accessiblePage);
        return true;
    }();
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

PreviewView::~PreviewView() = default;

int PreviewView::wantedWidth() const {
    return int(viewport()->width() / scale_);
}

void PreviewView::setScale(qreal scale) {
    if (scale <= 0 || scale == scale_)
        return;
    // The place at the top of the view stays there.
    const qreal top = verticalScrollBar()->value() / scale_;
    scale_ = scale;
    adjustBars();
    verticalScrollBar()->setValue(int(std::lround(top * scale_)));
    viewport()->update();
    if (wantsLayout())
        emit resized();
}

QPointF PreviewView::toDocument(QPointF onViewport) const {
    return (onViewport + QPointF(offset())) / scale_;
}

void PreviewView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        wheeled_ = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheeled_ += event->angleDelta().y();
    const int steps = wheeled_ / 120;
    wheeled_ -= steps * 120;
    if (steps != 0)
        emit zoomAsked(steps);
    event->accept();
}

bool PreviewView::wantsLayout() const {
    return !document_ || std::lround(document_->textWidth()) != wantedWidth();
}

void PreviewView::setDocument(std::unique_ptr<QTextDocument> document) {
    // A selection ends with the rendering it was made in: the same positions
    // in another rendering hold other words, and one highlighted through every
    // later change says nothing about what a copy would take.
    document_ = std::move(document);
    plain_.reset();
    spoken_.reset();
    anchor_ = position_ = 0;
    selecting_ = dragging_ = false;
    adjustBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void PreviewView::documentGrew() {
    plain_.reset();
    spoken_.reset();
    adjustBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

const PreviewView::Spoken& PreviewView::spoken() const {
    if (spoken_)
        return *spoken_;
    Spoken& spoken = spoken_.emplace();
    if (!document_)
        return spoken;
    spoken.fromDocument.assign(std::size_t(document_->characterCount()) + 1, 0);
    QString& text = spoken.text;
    const auto say = [&spoken, &text](const QString& words, int position) {
        text += words;
        spoken.toDocument.insert(spoken.toDocument.end(), std::size_t(words.size()), position);
    };
    QString link;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        if (block != document_->begin())
            say(QStringLiteral("\n"), block.position() - 1);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const int position = fragment.position();
            const QString address = format.property(board::LinkProperty).toString();
            if (address != link) {
                if (!link.isEmpty())
                    say(QStringLiteral(" (") + link + u')', position);
                if (!address.isEmpty())
                    say(QStringLiteral("رابط: "), position);
                link = address;
            }
            const QString characters = fragment.text();
            const int spokenAt = int(text.size());
            for (int i = 0; i < int(characters.size()); ++i)
                spoken.fromDocument[std::size_t(position) + std::size_t(i)] = spokenAt;
            if (format.hasProperty(board::SpokenProperty)) {
                say(board::withoutDirectionMarks(format.stringProperty(board::SpokenProperty)),
                    position);
            } else if (format.isImageFormat()) {
                say(pictureSpoken(format.toImageFormat().name()), position);
            } else {
                for (int i = 0; i < int(characters.size()); ++i) {
                    spoken.fromDocument[std::size_t(position) + std::size_t(i)] = int(text.size());
                    if (!unspoken(characters[i])) {
                        text += characters[i];
                        spoken.toDocument.push_back(position + i);
                    }
                }
            }
        }
    }
    const int end = document_->characterCount() - 1;
    if (!link.isEmpty())
        say(QStringLiteral(" (") + link + u')', end);
    for (int p = end; p < int(spoken.fromDocument.size()); ++p)
        spoken.fromDocument[std::size_t(p)] = int(text.size());
    spoken.toDocument.push_back(end);
    return spoken;
}

void PreviewView::showRange(int position, int length) {
    if (!document_)
        return;
    anchor_ = std::clamp(position, 0, lastPosition());
    position_ = std::clamp(position + length, 0, lastPosition());
    const QTextBlock block = document_->findBlock(anchor_);
    if (const QTextLayout* layout = block.layout(); layout && block.isValid()) {
        const QTextLine line = layout->lineForTextPosition(anchor_ - block.position());
        const qreal y = (layout->position().y() + (line.isValid() ? line.y() : 0)) * scale_;
        QScrollBar* down = verticalScrollBar();
        if (y < down->value() || y + 20 > down->value() + viewport()->height())
            down->setValue(int(y) - viewport()->height() / 3);
    }
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent selected(this, spoken().fromDocument[std::size_t(anchor_)],
                                               spoken().fromDocument[std::size_t(position_)]);
        QAccessible::updateAccessibility(&selected);
    }
}

QString PreviewView::toPlainText() const {
    if (!document_)
        return {};
    if (!plain_)
        plain_ = document_->toPlainText();
    return *plain_;
}

int PreviewView::lastPosition() const {
    return document_ ? document_->characterCount() - 1 : 0;
}

int PreviewView::positionAt(QPoint onViewport) const {
    if (!document_)
        return 0;
    const int at = document_->documentLayout()->hitTest(toDocument(onViewport), Qt::FuzzyHit);
    return std::clamp(at, 0, lastPosition());
}

QString PreviewView::selectedText() const {
    if (!document_ || anchor_ == position_)
        return {};
    return board::readerText(*document_, selectionStart(), selectionEnd());
}

QMimeData* PreviewView::selectionData() const {
    auto* data = new QMimeData;
    data->setText(selectedText());
    return data;
}

void PreviewView::selectAll() {
    if (!document_)
        return;
    anchor_ = 0;
    position_ = lastPosition();
    viewport()->update();
}

void PreviewView::copy() const {
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QPoint PreviewView::offset() const {
    const QScrollBar* across = horizontalScrollBar();
    const int x = isRightToLeft() ? across->maximum() - across->value() : across->value();
    return {x, verticalScrollBar()->value()};
}

void PreviewView::adjustBars() {
    const QSize page = viewport()->size();
    const QSizeF size = document_ ? document_->documentLayout()->documentSize() * scale_ : QSizeF();
    QScrollBar* down = verticalScrollBar();
    QScrollBar* across = horizontalScrollBar();
    down->setRange(0, std::max(0, int(std::ceil(size.height())) - page.height()));
    down->setPageStep(page.height());
    across->setRange(0, std::max(0, int(std::ceil(size.width())) - page.width()));
    across->setPageStep(page.width());
}

void PreviewView::paintEvent(QPaintEvent* event) {
    if (!document_)
        return;
    QPainter painter(viewport());
    const QPoint at = offset();
    painter.translate(-at);
    painter.scale(scale_, scale_);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    const QRectF shown(event->rect().translated(at));
    context.clip = QRectF(shown.topLeft() / scale_, shown.size() / scale_);
    if (anchor_ != position_) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(document_.get());
        selection.cursor.setPosition(anchor_);
        selection.cursor.setPosition(position_, QTextCursor::KeepAnchor);
        selection.format.setBackground(palette().brush(QPalette::Highlight));
        selection.format.setForeground(palette().brush(QPalette::HighlightedText));
        context.selections.append(selection);
    }
    painter.setClipRect(context.clip);
    document_->documentLayout()->draw(&painter, context);
}

void PreviewView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    adjustBars();
    if (wantsLayout())
        emit resized();
}

bool PreviewView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // Links show their address, tags the board will not take what is wrong.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = document_ ? document_->documentLayout()
                                            ->formatAt(toDocument(help->pos()))
                                            .toCharFormat()
                                            .toolTip()
                                      : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else // made safe by the board's rendering: typed text is never markup of the tip
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PreviewView::keyPressEvent(QKeyEvent* event) {
    // Ctrl+A and Ctrl+C select and copy; Home and End go to the top and the
    // foot of the post; the arrows and the page keys scroll as in any scroll
    // area; the rest goes to the window.
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::MoveToStartOfDocument) || event->key() == Qt::Key_Home)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event->matches(QKeySequence::MoveToEndOfDocument) || event->key() == Qt::Key_End)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void PreviewView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int at = positionAt(event->position().toPoint());
    // A press inside the selection may start dragging it out, as text is
    // dragged from any text widget; a click there without a drag ends it.
    if (!(event->modifiers() & Qt::ShiftModifier) && at >= selectionStart() &&
        at < selectionEnd()) {
        dragging_ = true;
        pressedAt_ = event->position().toPoint();
        return;
    }
    position_ = at;
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = position_;
    selecting_ = true;
    viewport()->update();
}

void PreviewView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        if ((event->position().toPoint() - pressedAt_).manhattanLength() <
            QApplication::startDragDistance())
            return;
        dragging_ = false;
        auto* drag = new QDrag(this);
        drag->setMimeData(selectionData());
        drag->exec(Qt::CopyAction);
        return;
    }
    if (!selecting_)
        return QAbstractScrollArea::mouseMoveEvent(event);
    position_ = positionAt(event->position().toPoint());
    viewport()->update();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_) {
        dragging_ = false;
        anchor_ = position_ = positionAt(event->position().toPoint());
        viewport()->update();
        return;
    }
    if (!selecting_)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    // As on any X desktop, what is selected can be pasted with the middle button.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && anchor_ != position_)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void PreviewView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !document_)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    QTextCursor word(document_.get());
    word.setPosition(positionAt(event->position().toPoint()));
    word.select(QTextCursor::WordUnderCursor);
    anchor_ = word.anchor();
    position_ = word.position();
    viewport()->update();
}

void PreviewView::contextMenuEvent(QContextMenuEvent* event) {
    // The same words as the post box's own menu, in the platform's Arabic.
    QMenu menu(this);
    QAction* copying = menu.addAction(QCoreApplication::translate("QWidgetTextControl", "&Copy"),
                                      this, &PreviewView::copy);
    copying->setShortcut(QKeySequence::Copy);
    copying->setEnabled(anchor_ != position_);
    menu.addSeparator();
    QAction* all = menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"),
                                  this, &PreviewView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(document_ && !document_->isEmpty());
    menu.exec(event->globalPos());
}

} // namespace qirtaz
