// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postbox/post_layout.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace qirtaz {

using reading::Direction;

// The widths of the shaped lines, those shown right to left apart from the
// others, as the two stand at different edges: the widest of each is at hand
// after a change without a walk over the post.
class LineWidths {
public:
    void add(Direction shown, qreal width) { ++byWidth_[kind(shown)][width]; }
    void remove(Direction shown, qreal width) {
        auto& widths = byWidth_[kind(shown)];
        const auto found = widths.find(width);
        if (found != widths.end() && --found->second == 0)
            widths.erase(found);
    }
    qreal widest(Direction shown) const {
        const auto& widths = byWidth_[kind(shown)];
        return widths.empty() ? 0 : widths.rbegin()->first;
    }

private:
    static std::size_t kind(Direction shown) { return shown == Direction::RightToLeft ? 0 : 1; }

    std::array<std::map<qreal, int>, 2> byWidth_; // width, how many lines have it
};

namespace {

// What the layout keeps of each line between changes.
struct LineData : QTextBlockUserData {
    // A line whose block goes takes its width out of the count with it.
    ~LineData() override { forgetWidth(); }

    bool read = false; // own and extraRows hold for the line's present text
    Direction own = Direction::Neutral;
    Direction shown = Direction::Neutral;
    int extraRows = 0; // line separators inside the line
    // A line too long to lay out whole: the layout of the part of it shown.
    std::unique_ptr<QTextLayout> part;
    qreal width = -1; // of its widest row once shaped; -1 before
    // Where width is counted, by shown; it outlives the layout if need be, as
    // the document frees its lines after its layout.
    std::shared_ptr<LineWidths> widths;

    void setWidth(qreal shaped, const std::shared_ptr<LineWidths>& counted) {
        forgetWidth();
        width = shaped;
        widths = counted;
        widths->add(shown, width);
    }
    // Before the line is shaped again, or shown the other way.
    void forgetWidth() {
        if (width >= 0 && widths)
            widths->remove(shown, width);
        width = -1;
    }
};

LineData* dataOf(const QTextBlock& block) {
    auto* data = static_cast<LineData*>(block.userData());
    if (!data) {
        data = new LineData;
        QTextBlock(block).setUserData(data);
    }
    return data;
}

// A step of idle shaping stays short enough to go unnoticed between keys.
constexpr qint64 ShapingStepNs = 4'000'000;

// Qt lays a line out from the whole of it on every change, at about half a
// microsecond a character before any shaping (reading its scripts, its
// breaks, buffers for every glyph): a line of megabytes held the window up
// for seconds a key. A line longer than LongestWhole is therefore shown in
// part, its first ShownPart characters and a note that the rest is not shown,
// laid out from that part alone. The post keeps every character, and typing,
// undo, the clipboard and the caret's moves work on all of them.
constexpr int LongestWhole = 256 * 1024;
constexpr int ShownPart = 32 * 1024;

QString cutNote() {
    return QStringLiteral(" … بقية السطر لا تُعرض لطوله ");
}

// The layout a line is drawn from: its own, or that of its shown part.
QTextLayout* layoutOf(const QTextBlock& block) {
    const LineData* data = dataOf(block);
    return data->part ? data->part.get() : block.layout();
}

// The part of a line's text that can show inside clip. Each piece of markup
// drawn in its own colour costs a walk over the whole line, so on a line far
// wider than the box only the part in view is looked at: the text found at
// points across the view, with some to spare for runs the other way.
std::pair<qsizetype, qsizetype> visibleText(const QTextLayout& layout, qsizetype length,
                                            const QRectF& clip) {
    constexpr qsizetype Short = 2000;
    constexpr qsizetype Spare = 200;
    constexpr qreal Step = 24;
    if (length <= Short)
        return {0, length};
    qsizetype from = length;
    qsizetype to = 0;
    const QPointF origin = layout.position();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const qreal top = origin.y() + line.y();
        if (top > clip.bottom() || top + line.height() < clip.top())
            continue;
        for (qreal x = clip.left(); x < clip.right() + Step; x += Step) {
            const qsizetype at = line.xToCursor(x - origin.x());
            from = std::min(from, at);
            to = std::max(to, at);
        }
    }
    if (from > to)
        return {0, 0};
    return {std::max<qsizetype>(0, from - Spare), std::min(length, to + Spare)};
}

} // namespace

PostLayout::PostLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document)
    , widths_(std::make_shared<LineWidths>()) {
    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &PostLayout::shapeSome);
    markupColour_ = QColor(0x8c, 0x83, 0x80);
    font_ = document->defaultFont();
    tabStop_ = document->defaultTextOption().tabStopDistance();
    flags_ = document->defaultTextOption().flags();
    alignment_ = document->defaultTextOption().alignment();
    lineHeight_ = std::ceil(QFontMetricsF(font_).height());
}

void PostLayout::setCursorWidth(int width) {
    cursorWidth_ = width;
    emit update();
}

void PostLayout::setMarkupColour(const QColor& colour) {
    markupColour_ = colour;
    emit update();
}

void PostLayout::setMarks(Marks marks) {
    marks_ = std::move(marks);
    emit update();
}

Direction PostLayout::direction(const QTextBlock& block) const {
    return dataOf(block)->shown;
}

bool PostLayout::anchoredRight(Direction shown) const {
    if (alignment_ & Qt::AlignAbsolute)
        return (alignment_ & Qt::AlignRight) != 0;
    // Leading and trailing edges: the start of a line is on the right in Arabic.
    const bool trailing = (alignment_ & Qt::AlignRight) != 0;
    return (shown == Direction::RightToLeft) != trailing;
}

void PostLayout::settingsChanged() {
    const QTextOption option = document()->defaultTextOption();
    alignment_ = option.alignment();
    const QFont font = document()->defaultFont();
    if (font == font_ && option.tabStopDistance() == tabStop_ && option.flags() == flags_)
        return;
    font_ = font;
    tabStop_ = option.tabStopDistance();
    flags_ = option.flags();
    lineHeight_ = std::ceil(QFontMetricsF(font_).height());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        block.layout()->clearLayout();
        dataOf(block)->forgetWidth();
        dataOf(block)->part.reset();
    }
    nextToShape_ = 0;
}

void PostLayout::documentChanged(int position, int charsRemoved, int charsAdded) {
    QTextDocument* doc = document();
    settingsChanged();
    // The document reports a new page width, a new font or new options as a
    // change of its whole length with its text as it was. A whole new text set
    // with the undo history off (setPlainText) looks the same and keeps the
    // revision, but comes after the document was emptied.
    const bool sameText = position == 0 && charsRemoved == 0 &&
                          charsAdded == doc->characterCount() && doc->revision() == revision_ &&
                          doc->characterCount() == characterCount_;
    characterCount_ = doc->characterCount();
    if (!sameText) {
        revision_ = doc->revision();
        QTextBlock first = doc->findBlock(position);
        QTextBlock last = doc->findBlock(position + charsAdded);
        if (!first.isValid())
            first = doc->lastBlock();
        if (!last.isValid())
            last = doc->lastBlock();
        readLines(first, last);
    }
    measure();
    emit documentSizeChanged(documentSize());
    emit update();
    if (nextToShape_ >= 0)
        idle_.start();
}

void PostLayout::readLines(const QTextBlock& first, const QTextBlock& last) {
    const QTextBlock before = first.previous();
    Direction previous = before.isValid() ? dataOf(before)->shown : Direction::Neutral;
    bool inRange = true;
    bool rowsChanged = extraLines_ > 0;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        LineData* data = dataOf(block);
        const bool fresh = inRange || !data->read;
        if (fresh) {
            const QString text = block.text();
            data->own = reading::ownDirection(text);
            data->extraRows = int(text.count(QChar::LineSeparator));
            data->read = true;
            data->forgetWidth();
            data->part.reset();
            rowsChanged = rowsChanged || data->extraRows > 0;
        }
        const Direction shown = reading::resolved(data->own, previous);
        if (shown != data->shown) {
            // Bidi runs and caret moves depend on the line's direction: shape anew.
            data->forgetWidth();
            data->shown = shown;
            data->part.reset();
            block.layout()->clearLayout();
        } else if (!fresh) {
            break; // this line and all after it read as they did
        }
        previous = shown;
        if (block == last)
            inRange = false;
    }
    if (rowsChanged) {
        extraLines_ = 0;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
            extraLines_ += dataOf(block)->extraRows;
    }
    rowOfBlock_.clear();
    const int from = first.blockNumber();
    if (document()->blockCount() != blockCount_ || rowsChanged) {
        blockCount_ = document()->blockCount();
        rowsChangedFrom_ = rowsChangedFrom_ < 0 ? from : std::min(rowsChangedFrom_, from);
    }
    nextToShape_ = nextToShape_ < 0 ? from : std::min(nextToShape_, from);
}

void PostLayout::shape(const QTextBlock& block) const {
    LineData* data = dataOf(block);
    if (block.length() > LongestWhole && !data->part) {
        QString part = block.text().first(ShownPart);
        if (part.back().isHighSurrogate())
            part.chop(1);
        data->part = std::make_unique<QTextLayout>(part + cutNote(), font_);
    }
    QTextLayout* layout = layoutOf(block);
    if (layout->lineCount() > 0 && data->width >= 0)
        return;
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(data->shown == Direction::LeftToRight ? Qt::LeftToRight
                                                                  : Qt::RightToLeft);
    // Where a line stands is this layout's business, not the line's.
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setFlags(flags_ | QTextOption::IncludeTrailingSpaces);
    option.setTabStopDistance(tabStop_);
    layout->setTextOption(option);
    layout->beginLayout();
    qreal width = 0;
    for (int row = 0;; ++row) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(0);
        line.setPosition(QPointF(0, row * lineHeight_));
        width = std::max(width, line.naturalTextWidth());
        if (line.height() > lineHeight_)
            lineHeight_ = std::ceil(line.height());
    }
    layout->endLayout();
    data->setWidth(width, widths_);
    widthsChanged_ = true;
}

qreal PostLayout::top(const QTextBlock& block) const {
    const qreal margin = document()->documentMargin();
    if (extraLines_ == 0)
        return margin + block.blockNumber() * lineHeight_;
    if (rowOfBlock_.empty()) {
        qsizetype row = 0;
        rowOfBlock_.reserve(std::size_t(document()->blockCount()));
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            rowOfBlock_.push_back(row);
            row += 1 + dataOf(b)->extraRows;
        }
    }
    return margin + qreal(rowOfBlock_[std::size_t(block.blockNumber())]) * lineHeight_;
}

QTextBlock PostLayout::blockAt(qreal y) const {
    const QTextDocument* doc = document();
    const qreal row = std::floor((y - doc->documentMargin()) / lineHeight_);
    if (row <= 0)
        return doc->begin();
    if (extraLines_ == 0)
        return row >= doc->blockCount() ? doc->lastBlock() : doc->findBlockByNumber(int(row));
    (void)top(doc->begin()); // fills rowOfBlock_
    const auto after = std::upper_bound(rowOfBlock_.begin(), rowOfBlock_.end(), qsizetype(row));
    return doc->findBlockByNumber(int(after - rowOfBlock_.begin()) - 1);
}

void PostLayout::place(const QTextBlock& block) const {
    shape(block);
    const LineData* data = dataOf(block);
    const qreal margin = document()->documentMargin();
    qreal x = margin + geometry_.left;
    if (anchoredRight(data->shown))
        x += geometry_.page - data->width;
    layoutOf(block)->setPosition(QPointF(x, top(block)));
}

void PostLayout::measure() {
    widthsChanged_ = false;
    const QTextDocument* doc = document();
    const qreal pageWidth = doc->pageSize().width();
    Geometry geometry;
    geometry.page = std::max<qreal>(0, pageWidth - 2 * doc->documentMargin());
    qreal widestRight = 0;
    qreal widestLeft = 0;
    // A line not shown right to left stands where a left-to-right one does.
    for (const Direction shown : {Direction::RightToLeft, Direction::LeftToRight}) {
        qreal& widest = anchoredRight(shown) ? widestRight : widestLeft;
        widest = std::max(widest, widths_->widest(shown));
    }
    geometry.left = std::max<qreal>(0, widestRight - geometry.page);
    geometry.right = std::max<qreal>(0, widestLeft - geometry.page);
    const qreal shift = geometry.left - geometry_.left;
    const bool moved = geometry.left != geometry_.left || geometry.page != geometry_.page ||
                       alignment_ != placedAlignment_ || lineHeight_ != placedLineHeight_;
    geometry_ = geometry;
    placedAlignment_ = alignment_;
    placedLineHeight_ = lineHeight_;
    // Lines already shaped learn where they stand now, for whoever asks their
    // layout directly (a screen reader's character positions, say): all of
    // them when the lines moved sideways, those below a change of rows else.
    const int from = moved ? 0 : rowsChangedFrom_;
    rowsChangedFrom_ = -1;
    if (from >= 0) {
        for (QTextBlock block = doc->findBlockByNumber(from); block.isValid(); block = block.next())
            if (layoutOf(block)->lineCount() > 0 && dataOf(block)->width >= 0)
                place(block);
    }
    if (shift != 0)
        emit shifted(shift);
}

void PostLayout::shapeSome() {
    if (nextToShape_ < 0)
        return;
    QElapsedTimer step;
    step.start();
    QTextBlock block = document()->findBlockByNumber(nextToShape_);
    while (block.isValid() && step.nsecsElapsed() < ShapingStepNs) {
        shape(block);
        block = block.next();
    }
    nextToShape_ = block.isValid() ? block.blockNumber() : -1;
    if (widthsChanged_) {
        const QSizeF before = documentSize();
        const qreal left = geometry_.left;
        measure();
        if (documentSize() != before || geometry_.left != left) {
            emit documentSizeChanged(documentSize());
            emit update();
        }
    }
    if (nextToShape_ >= 0)
        idle_.start();
}

void PostLayout::complete() {
    while (nextToShape_ >= 0)
        shapeSome();
}

QSizeF PostLayout::documentSize() const {
    const QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const qreal rows = doc->blockCount() + extraLines_;
    return {2 * margin + geometry_.left + geometry_.page + geometry_.right,
            2 * margin + rows * lineHeight_};
}

QRectF PostLayout::frameBoundingRect(QTextFrame* /*frame*/) const {
    return {QPointF(0, 0), documentSize()};
}

QRectF PostLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid())
        return {};
    place(block);
    const LineData* data = dataOf(block);
    return {layoutOf(block)->position(), QSizeF(data->width, (1 + data->extraRows) * lineHeight_)};
}

int PostLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    const QTextBlock block = blockAt(point.y());
    if (!block.isValid())
        return -1;
    place(block);
    const QTextLayout* layout = layoutOf(block);
    const QPointF inside = point - layout->position();
    QTextLine line = layout->lineAt(0);
    for (int i = 1; i < layout->lineCount() && layout->lineAt(i).y() <= inside.y(); ++i)
        line = layout->lineAt(i);
    if (accuracy == Qt::ExactHit) {
        const QRectF rect = line.naturalTextRect();
        if (!rect.contains(QPointF(inside.x(), rect.top())) || inside.y() < 0 ||
            inside.y() >= line.y() + lineHeight_)
            return -1;
    }
    const int at = line.xToCursor(inside.x());
    // Within a line shown in part, the note stands for the rest of the line.
    return block.position() + (dataOf(block)->part && at > ShownPart ? block.length() - 1 : at);
}

void PostLayout::draw(QPainter* painter, const PaintContext& context) {
    const QRectF clip =
        context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), documentSize());
    QTextCharFormat muted;
    muted.setForeground(markupColour_);
    muted.setBackground(context.palette.brush(QPalette::Base));

    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    for (QTextBlock block = blockAt(clip.top()); block.isValid(); block = block.next()) {
        place(block);
        QTextLayout* layout = layoutOf(block);
        if (layout->position().y() > clip.bottom())
            break;
        const bool part = dataOf(block)->part != nullptr;
        const int start = block.position();
        const int end = start + (part ? layout->text().size() : block.length());

        // Tags first, so that the selection is drawn over them; a note that
        // the rest of the line is not shown too.
        QList<QTextLayout::FormatRange> ranges;
        const QString text = part ? layout->text() : block.text();
        if (part) {
            const int note = int(cutNote().size());
            ranges.append({int(text.size()) - note, note, muted});
        }
        const auto [from, to] = visibleText(*layout, text.size(), clip);
        for (const reading::Span& span :
             reading::markupSpans(QStringView(text).sliced(from, to - from)))
            ranges.append({int(from + span.start), int(span.length), muted});
        if (marks_) {
            QTextCharFormat wavy;
            wavy.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            wavy.setUnderlineColor(Qt::red);
            const int shown = int(text.size()) - (part ? int(cutNote().size()) : 0);
            for (const reading::Span& mark : marks_(block))
                if (mark.start < shown)
                    ranges.append({int(mark.start),
                                   int(std::min<qsizetype>(mark.length, shown - mark.start)),
                                   wavy});
        }
        for (const Selection& selection : context.selections) {
            const int from = std::max(selection.cursor.selectionStart(), start);
            const int to = std::min(selection.cursor.selectionEnd(), end);
            if (from < to)
                ranges.append({from - start, to - from, selection.format});
        }
        layout->draw(painter, QPointF(0, 0), ranges, clip);
        const int blockEnd = start + block.length();
        if (context.cursorPosition >= start && context.cursorPosition < blockEnd)
            layout->drawCursor(painter, QPointF(0, 0),
                               std::min(context.cursorPosition - start,
                                        int(text.size()) - (part ? int(cutNote().size()) : 0)),
                               cursorWidth_);
    }
    painter->restore();
    if (widthsChanged_)
        idle_.start(); // a line shaped just now may widen the document
}

void installReadingOrder(QTextEdit& box) {
    auto* layout = new PostLayout(box.document());
    const QPalette palette = box.palette();
    // Half way between the text and the paper: read as part of the line, yet
    // plainly not a word of it.
    const QColor text = palette.color(QPalette::Text);
    const QColor paper = palette.color(QPalette::Base);
    layout->setMarkupColour(QColor((text.red() * 45 + paper.red() * 55) / 100,
                                   (text.green() * 45 + paper.green() * 55) / 100,
                                   (text.blue() * 45 + paper.blue() * 55) / 100));
    box.document()->setDocumentLayout(layout);
    QObject::connect(layout, &PostLayout::shifted, &box, [&box, layout](qreal dx) {
        QScrollBar* bar = box.horizontalScrollBar();
        const int width = int(std::ceil(layout->documentSize().width()));
        bar->setRange(0, std::max(0, width - box.viewport()->width()));
        bar->setValue(bar->value() + int(std::lround(dx)));
    });
}

} // namespace qirtaz
