// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postbox/post_layout.h"

#include "post/idle_turn.h"
#include "postbox/line.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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
    int separators = 0;    // line separators inside the line
    int extraRows = 0;     // rows beyond its first: a separator or a wrap each
    qsizetype length = -1; // of the text as read
    // The text as read after a change, for the next build of the line to take
    // rather than copy a long line once more.
    QString text;
    postbox::Line line;
    qreal width = -1; // of its widest row once laid out; -1 before
    // Where width is counted, by shown; it outlives the layout if need be, as
    // the document frees its lines after its layout.
    std::shared_ptr<LineWidths> widths;

    void setWidth(qreal laidOut, const std::shared_ptr<LineWidths>& counted) {
        forgetWidth();
        width = laidOut;
        widths = counted;
        widths->add(shown, width);
    }
    // Before the line is laid out again, or shown the other way.
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

// The part of shown, from .. to of the post's positions in the piece, as
// positions in its text: the characters themselves, not the controls around.
std::pair<int, int> shownRange(const postbox::Piece& piece, qsizetype from, qsizetype to) {
    from = std::max(from, piece.from);
    to = std::min(to, piece.to);
    if (from >= to)
        return {0, 0};
    // The first character sits after every control before or at it; the last
    // one likewise.
    const auto charAt = [&piece](qsizetype position) {
        const qsizetype offset = position - piece.from;
        const auto after = std::partition_point(
            piece.controls.begin(), piece.controls.end(),
            [offset](const postbox::Piece::Control& c) { return c.at <= offset; });
        return offset + (after - piece.controls.begin());
    };
    return {int(charAt(from)), int(charAt(to - 1) + 1)};
}

// The part of a piece's text that can show inside clip, for a piece drawn at
// left. Each range drawn in a colour of its own costs Qt a pass over the whole
// piece, so only the ranges in view are given: the text found at points
// across the view, with some to spare for runs the other way.
std::pair<qsizetype, qsizetype> visibleText(const QTextLayout& layout, qreal left,
                                            const QRectF& clip) {
    const qsizetype length = layout.text().size();
    const QTextLine line = layout.lineAt(0);
    if (left >= clip.left() && left + line.naturalTextWidth() <= clip.right())
        return {0, length};
    constexpr qsizetype Spare = 200;
    constexpr qreal Step = 24;
    qsizetype from = length;
    qsizetype to = 0;
    for (qreal x = clip.left(); x < clip.right() + Step; x += Step) {
        const qsizetype at = line.xToCursor(x - left);
        from = std::min(from, at);
        to = std::max(to, at);
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
    connect(&idle_, &QTimer::timeout, this, [this] {
        if (!shelved_)
            shapeSome();
    });
    markupColour_ = QColor(0x8c, 0x83, 0x80);
    font_ = document->defaultFont();
    tabStop_ = document->defaultTextOption().tabStopDistance();
    flags_ = document->defaultTextOption().flags();
    alignment_ = document->defaultTextOption().alignment();
    lineHeight_ = std::ceil(QFontMetricsF(font_).height());
    estimate_ = QFontMetricsF(font_).averageCharWidth();
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

void PostLayout::setHighlights(Highlights highlights) {
    highlights_ = std::move(highlights);
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
    estimate_ = QFontMetricsF(font_).averageCharWidth();
    advances_.clear();
    metrics_.reset();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        dataOf(block)->forgetWidth();
        dataOf(block)->line.forgetShapes();
    }
    nextToShape_ = 0;
    if (wrapping_)
        rewrapAll();
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
    if (wrapping_ && wrapWidth() != wrappedAt_)
        rewrapAll();
    if (!sameText) {
        revision_ = doc->revision();
        QTextBlock first = doc->findBlock(position);
        QTextBlock last = doc->findBlock(position + charsAdded);
        if (!first.isValid())
            first = doc->lastBlock();
        if (!last.isValid())
            last = doc->lastBlock();
        readLines(first, last, position, charsRemoved, charsAdded);
    }
    measure();
    emit documentSizeChanged(documentSize());
    emit update();
    if (nextToShape_ >= 0)
        idle_.start();
}

void PostLayout::readLines(const QTextBlock& first, const QTextBlock& last, int position,
                           int removed, int added) {
    const QTextBlock before = first.previous();
    Direction previous = before.isValid() ? dataOf(before)->shown : Direction::Neutral;
    bool inRange = true;
    bool rowsChanged = extraLines_ > 0;
    // Many lines at once (a paste of megabytes) are read from one copy of the
    // text rather than from a copy of each.
    const QString whole =
        last.blockNumber() - first.blockNumber() > 256 ? document()->toRawText() : QString();
    // Where each line starts, counted on from the first rather than asked of
    // the document line by line, which walks its tree each time.
    qsizetype start = first.position();
    for (QTextBlock block = first; block.isValid(); start += block.length(), block = block.next()) {
        LineData* data = dataOf(block);
        const bool fresh = inRange || !data->read;
        if (fresh) {
            QString copy = whole.isEmpty() ? block.text() : QString();
            const QStringView text = whole.isEmpty()
                                         ? QStringView(copy)
                                         : QStringView(whole).sliced(start, block.length() - 1);
            // A change within the line, which took nothing from the lines
            // around it.
            const qsizetype at = position - start;
            const bool within = first == last && data->read &&
                                data->length + added - removed == text.size() && at >= 0 &&
                                at + added <= text.size();
            data->own = reading::ownDirection(text);
            // A line without a separator gets one only from what came in.
            if (within && data->separators == 0)
                data->separators = int(text.sliced(at, added).count(QChar::LineSeparator));
            else
                data->separators = int(text.count(QChar::LineSeparator));
            data->extraRows =
                wrapping_ ? estimatedExtra(text.size(), data->separators) : data->separators;
            data->read = true;
            data->length = text.size();
            // A change within one line is cut again near where it fell.
            if (within)
                data->line.edited(at, removed, added);
            else
                data->line.invalidate();
            data->text = within ? std::move(copy) : QString();
            rowsChanged = rowsChanged || data->extraRows > 0;
        }
        const Direction shown = reading::resolved(data->own, previous);
        if (shown != data->shown) {
            // Bidi runs and caret moves depend on the line's direction.
            data->forgetWidth();
            data->shown = shown;
            data->line.invalidate();
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
    nextToShape_ = nextToShape_ < 0 ? from : std::min(nextToShape_, from);
}

void PostLayout::prepare(const QTextBlock& block) const {
    LineData* data = dataOf(block);
    postbox::Line& line = data->line;
    if (line.isBuilt() && data->width >= 0)
        return;
    if (!line.isBuilt()) {
        const QString text = data->text.isNull() ? block.text() : data->text;
        if (wrapping_)
            line.build(text, data->shown == Direction::RightToLeft, wrapWidth(),
                       [this](QStringView stretch) { return advance(stretch); });
        else
            line.build(text, data->shown == Direction::RightToLeft);
        data->text = QString();
        countRows(block);
    }
    // A line of a few pieces is shaped whole at once, as its width is then
    // exact; a longer one is taken to be as wide as its characters say until
    // its pieces are shaped, those in view first.
    std::size_t pieces = 0;
    for (const postbox::Row& row : line.rows())
        pieces += row.pieces.size();
    if (pieces <= 8) {
        const postbox::Shaping shaping{font_, flags_, tabStop_, estimate_};
        while (line.measureOne(shaping, lineHeight_, 0)) {
        }
    }
    arrange(block);
}

void PostLayout::countRows(const QTextBlock& block) const {
    LineData* data = dataOf(block);
    const int extra = int(data->line.rows().size()) - 1;
    const int moved = extra - data->extraRows;
    if (moved == 0)
        return;
    const qreal below = top(block) + (1 + qreal(data->extraRows)) * lineHeight_;
    data->extraRows = extra;
    extraLines_ += moved;
    // The lines after it move down or up as many rows.
    if (!rowOfBlock_.empty())
        for (auto i = std::size_t(block.blockNumber()) + 1; i < rowOfBlock_.size(); ++i)
            rowOfBlock_[i] += moved;
    widthsChanged_ = true;
    emit const_cast<PostLayout*>(this)->movedDown(below, qreal(moved) * lineHeight_);
}

qreal PostLayout::advance(QStringView text) const {
    const QString key = text.toString();
    if (const auto found = advances_.constFind(key); found != advances_.constEnd())
        return *found;
    if (!metrics_)
        metrics_.emplace(font_);
    const qreal width = key.contains(u'\t') ? std::max(tabStop_, metrics_->horizontalAdvance(key))
                                            : metrics_->horizontalAdvance(key);
    // Words come again and again in a post; a line of random letters brings
    // new ones without end, and they go once there are many.
    if (advances_.size() > 100'000)
        advances_.clear();
    advances_.insert(key, width);
    return width;
}

qreal PostLayout::wrapWidth() const {
    const QTextDocument* doc = document();
    // Room for the caret after the row's last letter.
    return std::max<qreal>(1,
                           doc->pageSize().width() - 2 * doc->documentMargin() - cursorWidth_ - 1);
}

int PostLayout::estimatedExtra(qsizetype length, int separators) const {
    return std::max(separators, int(qreal(length) * estimate_ / wrapWidth()));
}

void PostLayout::setWrapping(bool on) {
    if (on == wrapping_)
        return;
    wrapping_ = on;
    rewrapAll();
    measure();
    emit documentSizeChanged(documentSize());
    emit update();
}

void PostLayout::rewrapAll() {
    wrappedAt_ = wrapWidth();
    extraLines_ = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        LineData* data = dataOf(block);
        data->forgetWidth();
        data->line.invalidate();
        data->extraRows =
            wrapping_ ? estimatedExtra(block.length() - 1, data->separators) : data->separators;
        extraLines_ += data->extraRows;
    }
    rowOfBlock_.clear();
    nextToShape_ = 0;
    idle_.start();
}

void PostLayout::arrange(const QTextBlock& block) const {
    LineData* data = dataOf(block);
    const qreal width = data->line.arrange(estimate_);
    if (width != data->width) {
        data->setWidth(width, widths_);
        widthsChanged_ = true;
    }
}

QTextLayout& PostLayout::layoutOf(const QTextBlock& block, std::size_t row,
                                  std::size_t piece) const {
    LineData* data = dataOf(block);
    postbox::ShapedPiece& shaped = data->line.rows()[row].pieces[piece];
    shaped.usedAt = paints_;
    if (shaped.layout)
        return *shaped.layout;
    const qreal before = shaped.width;
    QTextLayout& layout =
        data->line.shape(shaped, {font_, flags_, tabStop_, estimate_}, lineHeight_);
    if (shaped.width != before)
        arrange(block);
    return layout;
}

QPointF PostLayout::origin(const QTextBlock& block, std::size_t row, std::size_t piece) const {
    const LineData* data = dataOf(block);
    const postbox::Row& r = data->line.rows()[row];
    qreal x = document()->documentMargin() + geometry_.left;
    if (anchoredRight(data->shown))
        x += geometry_.page - r.width;
    return {x + r.pieces[piece].x, top(block) + qreal(row) * lineHeight_};
}

PostLayout::Spot PostLayout::spotOf(int position) const {
    Spot spot;
    spot.block = document()->findBlock(position);
    if (!spot.block.isValid())
        spot.block = document()->lastBlock();
    prepare(spot.block);
    const postbox::Line& line = dataOf(spot.block)->line;
    const qsizetype at =
        std::clamp<qsizetype>(position - spot.block.position(), 0, spot.block.length() - 1);
    spot.row = line.rowAt(at);
    spot.piece = line.pieceAt(line.rows()[spot.row], at);
    const postbox::Piece& piece = line.rows()[spot.row].pieces[spot.piece];
    spot.shown = piece.toShown(at);
    // The caret is kept in post positions and drawn in shown ones: a position
    // that did not come back would move the caret by itself on the next key.
    Q_ASSERT(piece.fromShown(spot.shown) == at);
    return spot;
}

int PostLayout::positionOf(const Spot& spot) const {
    const postbox::Piece& piece = dataOf(spot.block)->line.rows()[spot.row].pieces[spot.piece];
    return spot.block.position() + int(piece.fromShown(spot.shown));
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
    // Wrapped, a row is wider than the box only by a character wider than it,
    // which is cut at the edge rather than the view scrolling sideways.
    if (!wrapping_) {
        geometry.left = std::max<qreal>(0, widestRight - geometry.page);
        geometry.right = std::max<qreal>(0, widestLeft - geometry.page);
    }
    const qreal shift = geometry.left - geometry_.left;
    geometry_ = geometry;
    if (shift != 0)
        emit shifted(shift);
}

void PostLayout::setShelved(bool shelved) {
    shelved_ = shelved;
    if (shelved)
        idle_.stop();
    else if (nextToShape_ >= 0)
        idle_.start();
}

void PostLayout::shapeSome() {
    if (nextToShape_ < 0)
        return;
    // A step of idle shaping stays short enough to go unnoticed between keys.
    const idle::Step step;
    const postbox::Shaping shaping{font_, flags_, tabStop_, estimate_};
    // Lines wrapped now may have more rows or fewer than they were taken to.
    const QSizeF before = documentSize();
    QTextBlock block = document()->findBlockByNumber(nextToShape_);
    while (block.isValid() && !step.over()) {
        prepare(block);
        postbox::Line& line = dataOf(block)->line;
        bool measured = false;
        while (!step.over() && line.measureOne(shaping, lineHeight_, paints_ - 1))
            measured = true;
        if (measured)
            arrange(block);
        if (line.hasUnmeasured())
            break;
        block = block.next();
    }
    nextToShape_ = block.isValid() ? block.blockNumber() : -1;
    if (widthsChanged_) {
        const qreal left = geometry_.left;
        measure();
        if (documentSize() != before || geometry_.left != left)
            emit documentSizeChanged(documentSize());
        emit update();
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
    prepare(block);
    const LineData* data = dataOf(block);
    qreal x = document()->documentMargin() + geometry_.left;
    if (anchoredRight(data->shown))
        x += geometry_.page - data->width;
    return {QPointF(x, top(block)), QSizeF(data->width, (1 + data->extraRows) * lineHeight_)};
}

int PostLayout::positionAt(const QTextBlock& block, std::size_t row, qreal x) const {
    postbox::Row& r = dataOf(block)->line.rows()[row];
    const bool rightToLeft = dataOf(block)->line.rightToLeft();
    // The pieces from left to right on the screen.
    const std::size_t count = r.pieces.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t k = rightToLeft ? count - 1 - i : i;
        const QPointF at = origin(block, row, k);
        if (x >= at.x() + r.pieces[k].widthOr(estimate_) && i + 1 < count)
            continue;
        (void)layoutOf(block, row, k);
        const QPointF shaped = origin(block, row, k); // the piece's width may be known now
        // The place the caret can stand nearest x, where it is drawn: at the
        // edge of a run the other way round, the position Qt's own hit test
        // gives there is drawn at the run's other edge.
        const auto& stops = postbox::Line::stopsOf(r.pieces[k]);
        if (stops.empty())
            break;
        const qreal inside = x - shaped.x();
        auto after = std::partition_point(
            stops.begin(), stops.end(),
            [inside](const postbox::ShapedPiece::Stop& stop) { return stop.x < inside; });
        if (after == stops.end() ||
            (after != stops.begin() && inside - std::prev(after)->x < after->x - inside))
            --after;
        // Where the line wraps, the row's end is the next row's start: the
        // nearest place the caret stands on this row instead.
        if (r.soft && after->position == r.to) {
            const postbox::ShapedPiece::Stop* nearest = nullptr;
            for (const postbox::ShapedPiece::Stop& stop : stops)
                if (stop.position != r.to &&
                    (!nearest || std::abs(stop.x - inside) < std::abs(nearest->x - inside)))
                    nearest = &stop;
            if (nearest)
                return block.position() + int(nearest->position);
        }
        return block.position() + int(after->position);
    }
    return block.position() + int(r.from);
}

int PostLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    const QTextBlock block = blockAt(point.y());
    if (!block.isValid())
        return -1;
    prepare(block);
    const LineData* data = dataOf(block);
    const qreal inside = point.y() - top(block);
    const std::size_t row = std::clamp<std::size_t>(
        inside < 0 ? 0 : std::size_t(inside / lineHeight_), 0, data->line.rows().size() - 1);
    if (accuracy == Qt::ExactHit) {
        const postbox::Row& r = data->line.rows()[row];
        const qreal left = origin(block, row, 0).x() - r.pieces[0].x;
        if (point.x() < left || point.x() >= left + r.width || inside < 0 ||
            inside >= (1 + qreal(data->extraRows)) * lineHeight_)
            return -1;
    }
    return positionAt(block, row, point.x());
}

QRectF PostLayout::caretRect(int position) const {
    const Spot spot = spotOf(position);
    QTextLayout& layout = layoutOf(spot.block, spot.row, spot.piece);
    const QPointF at = origin(spot.block, spot.row, spot.piece);
    const qreal x = layout.lineAt(0).cursorToX(int(spot.shown));
    return {at.x() + x, at.y(), qreal(cursorWidth_), lineHeight_};
}

QRectF PostLayout::characterRect(int position) const {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid() || position >= block.position() + block.length() - 1)
        return {};
    const Spot spot = spotOf(position);
    const postbox::Row& row = dataOf(block)->line.rows()[spot.row];
    if (position - block.position() >= row.to)
        return {}; // a line separator
    const postbox::Piece& piece = row.pieces[spot.piece];
    const qsizetype within = position - block.position();
    const auto [from, to] = shownRange(piece, within, within + 1);
    QTextLayout& layout = layoutOf(block, spot.row, spot.piece);
    const QTextLine line = layout.lineAt(0);
    const QPointF at = origin(block, spot.row, spot.piece);
    QRectF box;
    for (const QGlyphRun& run : line.glyphRuns(from, to - from))
        box |= run.boundingRect();
    if (box.isEmpty()) {
        int index = from;
        const qreal leading = line.cursorToX(&index, QTextLine::Leading);
        index = from;
        const qreal trailing = line.cursorToX(&index, QTextLine::Trailing);
        box = QRectF(QPointF(std::min(leading, trailing), 0),
                     QPointF(std::max(leading, trailing), 0));
    }
    return {at.x() + box.left(), at.y(), box.width(), lineHeight_};
}

int PostLayout::besideOnScreen(int position, bool leftwards) const {
    const Spot spot = spotOf(position);
    const qreal from = caretRect(position).left();
    postbox::Line& line = dataOf(spot.block)->line;
    postbox::Row& row = line.rows()[spot.row];
    // The nearest place the caret can stand that way on the screen, in the
    // caret's piece or else in the one beside it.
    const bool rightToLeft = line.rightToLeft();
    const std::size_t beside = (leftwards == rightToLeft) ? spot.piece + 1 : spot.piece - 1;
    for (const std::size_t k : {spot.piece, beside}) {
        if (k >= row.pieces.size())
            continue;
        (void)layoutOf(spot.block, spot.row, k);
        const qreal left = origin(spot.block, spot.row, k).x();
        const auto& stops = postbox::Line::stopsOf(row.pieces[k]);
        constexpr qreal Apart = 0.5; // drawn as one place below this
        const auto found = std::partition_point(
            stops.begin(), stops.end(),
            [&](const postbox::ShapedPiece::Stop& stop) { return left + stop.x < from - Apart; });
        if (leftwards && found != stops.begin()) {
            // Of those drawn at the same place, the one nearest in the line.
            auto best = std::prev(found);
            for (auto it = best; it->x == best->x; --it) {
                if (std::abs(it->position - (position - spot.block.position())) <
                    std::abs(best->position - (position - spot.block.position())))
                    best = it;
                if (it == stops.begin())
                    break;
            }
            return spot.block.position() + int(best->position);
        }
        if (!leftwards) {
            auto after = std::partition_point(found, stops.end(),
                                              [&](const postbox::ShapedPiece::Stop& stop) {
                                                  return left + stop.x <= from + Apart;
                                              });
            if (after != stops.end()) {
                auto best = after;
                for (auto it = after; it != stops.end() && it->x == after->x; ++it)
                    if (std::abs(it->position - (position - spot.block.position())) <
                        std::abs(best->position - (position - spot.block.position())))
                        best = it;
                return spot.block.position() + int(best->position);
            }
        }
    }
    // The row's end: on to the start of the next row in reading order, or
    // back to the end of the one before.
    const bool onwards = leftwards == rightToLeft;
    const int start = spot.block.position() + int(row.from);
    const int end = spot.block.position() + int(row.to);
    if (onwards && row.soft)
        return end;
    if (onwards)
        return end + 1 < document()->characterCount() ? end + 1 : position;
    return start > 0 ? start - 1 : position;
}

int PostLayout::wordBesideOnScreen(int position, bool leftwards) const {
    const Spot spot = spotOf(position);
    const qreal from = caretRect(position).left();
    postbox::Line& line = dataOf(spot.block)->line;
    postbox::Row& row = line.rows()[spot.row];
    const bool rightToLeft = line.rightToLeft();
    // The pieces from the caret's on, that way across the screen; the first
    // to hold a word's start or the row's edge that way has the nearest.
    const std::size_t last = row.pieces.size() - 1;
    const std::size_t screenLeft = rightToLeft ? last : 0; // the piece at the row's left edge
    const std::size_t screenRight = rightToLeft ? 0 : last;
    const bool onwards = leftwards == rightToLeft; // in the line's order
    constexpr qreal Apart = 0.5;                   // drawn as one place below this
    for (std::size_t k = spot.piece; k <= last; k = onwards ? k + 1 : k - 1) {
        (void)layoutOf(spot.block, spot.row, k);
        const qreal left = origin(spot.block, spot.row, k).x();
        postbox::ShapedPiece& piece = row.pieces[k];
        const auto& stops = postbox::Line::stopsOf(piece);
        const std::vector<qsizetype> starts = piece.wordStarts();
        const auto candidate = [&](const postbox::ShapedPiece::Stop& stop) {
            return (k == screenLeft && &stop == &stops.front()) ||
                   (k == screenRight && &stop == &stops.back()) ||
                   std::binary_search(starts.begin(), starts.end(), stop.position);
        };
        const postbox::ShapedPiece::Stop* best = nullptr;
        for (const postbox::ShapedPiece::Stop& stop : stops) {
            const qreal x = left + stop.x;
            if ((leftwards ? x >= from - Apart : x <= from + Apart) || !candidate(stop))
                continue;
            if (!best || (leftwards ? stop.x > best->x : stop.x < best->x))
                best = &stop;
        }
        if (best)
            return spot.block.position() + int(best->position);
        if (k == (onwards ? last : 0))
            break;
    }
    return besideOnScreen(position, leftwards);
}

std::pair<int, int> PostLayout::rowOf(int position) const {
    const Spot spot = spotOf(position);
    const postbox::Row& row = dataOf(spot.block)->line.rows()[spot.row];
    // Where the line wraps, the row ends before the place the next one starts.
    qsizetype end = row.to;
    if (row.soft && end > row.from) {
        --end;
        if (end > row.from && spot.block.text().at(end).isLowSurrogate())
            --end;
    }
    return {spot.block.position() + int(row.from), spot.block.position() + int(end)};
}

int PostLayout::rowsAway(int position, int rows, qreal x) const {
    const Spot spot = spotOf(position);
    // Rows counted through the lines, each as many rows as it has.
    QTextBlock block = spot.block;
    qsizetype row = qsizetype(spot.row) + rows;
    while (row < 0) {
        block = block.previous();
        if (!block.isValid())
            return 0;
        prepare(block);
        row += 1 + dataOf(block)->extraRows;
    }
    while (row > dataOf(block)->extraRows) {
        row -= 1 + dataOf(block)->extraRows;
        block = block.next();
        if (!block.isValid())
            return document()->characterCount() - 1;
        prepare(block);
    }
    prepare(block);
    return positionAt(block, std::size_t(row), x);
}

void PostLayout::draw(QPainter* painter, const PaintContext& context) {
    ++paints_;
    const QRectF clip =
        context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), documentSize());
    QTextCharFormat muted;
    muted.setForeground(markupColour_);
    muted.setBackground(context.palette.brush(QPalette::Base));

    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    for (QTextBlock block = blockAt(clip.top()); block.isValid(); block = block.next()) {
        prepare(block);
        const qreal y = top(block);
        if (y > clip.bottom())
            break;
        const LineData* data = dataOf(block);
        const postbox::Line& line = data->line;
        const int start = block.position();
        const std::vector<reading::Span> marks =
            marks_ ? marks_(block) : std::vector<reading::Span>();
        const QList<QTextLayout::FormatRange> highlights =
            highlights_ ? highlights_(block) : QList<QTextLayout::FormatRange>();
        const int blockEnd = start + block.length();
        const bool caretHere = context.cursorPosition >= start && context.cursorPosition < blockEnd;
        const Spot caret = caretHere ? spotOf(context.cursorPosition) : Spot();
        for (std::size_t r = 0; r < line.rows().size(); ++r) {
            const qreal rowTop = y + qreal(r) * lineHeight_;
            if (rowTop > clip.bottom() || rowTop + lineHeight_ < clip.top())
                continue;
            const postbox::Row& row = line.rows()[r];
            // Shaping a piece in view may change where the others stand: the
            // pieces in view are shaped before any is drawn.
            std::vector<std::size_t> inView;
            for (int pass = 0; pass < 4; ++pass) {
                inView.clear();
                bool shaped = false;
                for (std::size_t k = 0; k < row.pieces.size(); ++k) {
                    const qreal left = origin(block, r, k).x();
                    if (left > clip.right() ||
                        left + row.pieces[k].widthOr(estimate_) < clip.left())
                        continue;
                    inView.push_back(k);
                    shaped = shaped || !row.pieces[k].layout;
                    (void)layoutOf(block, r, k);
                }
                if (!shaped)
                    break;
            }
            for (const std::size_t k : inView) {
                const postbox::ShapedPiece& piece = row.pieces[k];
                QTextLayout& layout = layoutOf(block, r, k);
                const QPointF at = origin(block, r, k);
                const auto [first, last] = visibleText(layout, at.x(), clip);
                const qsizetype seenFrom = piece.fromShown(first), seenTo = piece.fromShown(last);
                QList<QTextLayout::FormatRange> ranges;
                // Tags first, so that the selection is drawn over them.
                const auto& markup = line.markup();
                for (auto span = std::partition_point(markup.begin(), markup.end(),
                                                      [seenFrom](const reading::Span& s) {
                                                          return s.start + s.length <= seenFrom;
                                                      });
                     span != markup.end() && span->start < seenTo; ++span) {
                    const auto [from, to] =
                        shownRange(piece, span->start, span->start + span->length);
                    if (from < to)
                        ranges.append({from, to - from, muted});
                }
                if (!marks.empty()) {
                    QTextCharFormat wavy;
                    wavy.setUnderlineStyle(QTextCharFormat::WaveUnderline);
                    wavy.setUnderlineColor(Qt::red);
                    for (const reading::Span& mark : marks) {
                        const auto [from, to] =
                            shownRange(piece, mark.start, mark.start + mark.length);
                        if (from < to)
                            ranges.append({from, to - from, wavy});
                    }
                }
                for (const QTextLayout::FormatRange& highlight : highlights) {
                    const auto [from, to] =
                        shownRange(piece, highlight.start, highlight.start + highlight.length);
                    if (from < to)
                        ranges.append({from, to - from, highlight.format});
                }
                for (const Selection& selection : context.selections) {
                    const auto [from, to] =
                        shownRange(piece, selection.cursor.selectionStart() - start,
                                   selection.cursor.selectionEnd() - start);
                    if (from < to)
                        ranges.append({from, to - from, selection.format});
                }
                layout.draw(painter, at, ranges, clip);
                if (caretHere && caret.row == r && caret.piece == k)
                    layout.drawCursor(painter, at, int(caret.shown), cursorWidth_);
            }
        }
    }
    painter->restore();
    if (widthsChanged_)
        idle_.start(); // a line shaped just now may widen the document
}

} // namespace qirtaz
