// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the post box lays its lines out so that Arabic reads right.
//
// Each line runs the way its first strong letter outside markup says (see
// reading.h) and starts at its own edge of the box: an Arabic line at the right
// edge, running leftwards, an English line at the left edge. A line longer than
// the box runs on past the far edge, so the start of every line is in view at
// once, and the horizontal scroll bar reaches whatever runs over on either side.
// Tags and smiley codes are drawn in a muted colour of their own. All of it is
// display: the text, its undo history and the clipboard never see it.
//
// Only the lines a change touched are read again; a line is shaped when it is
// first drawn or asked about, and the rest in short steps while the program is
// idle, so a change to a long post costs what the change costs. The widths of
// the shaped lines are kept as they come and go, so the widest line of either
// direction, which the scroll range follows, is known without a walk.

#include "post/reading.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qirtaz {

class LineWidths;

class PostLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
    // Read and set by the text box for its caret.
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)

public:
    explicit PostLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    int cursorWidth() const { return cursorWidth_; }
    void setCursorWidth(int width);

    void setMarkupColour(const QColor& colour);

    // Words to underline with a red wavy line (misspelt ones, say): for a line,
    // their places within it, in the post's positions. Display only.
    using Marks = std::function<std::vector<reading::Span>(const QTextBlock&)>;
    void setMarks(Marks marks);
    const Marks& marks() const { return marks_; }
    // The marks of some lines changed: draws them anew.
    void marksChanged() { emit update(); }
    // Parts of a line drawn in a format of their own (the matches of a search,
    // say): their places within the line and their formats. Display only.
    using Highlights = std::function<QList<QTextLayout::FormatRange>(const QTextBlock&)>;
    void setHighlights(Highlights highlights);
    const Highlights& highlights() const { return highlights_; }

    // Lines wrap at the box's width, or run on past its far edge (see line.h).
    // A line is wrapped when first drawn or asked about, the rest in short
    // steps while the program is idle, as they are shaped; until then a line
    // is taken to be as many rows as its characters say.
    void setWrapping(bool on);
    bool wraps() const { return wrapping_; }

    // The direction a line is shown in.
    reading::Direction direction(const QTextBlock& block) const;
    // True once every line has been shaped.
    bool isComplete() const { return nextToShape_ < 0; }
    // Shapes every line now.
    void complete();
    // A layout put aside (its document out of view, kept for the undo
    // history) shapes nothing while the program is idle, until taken up again.
    void setShelved(bool shelved);

    // Where the caret at a position of the post is drawn, in the document.
    QRectF caretRect(int position) const;
    // Where the character at a position of the post is drawn: the box around
    // its glyphs, in the document.
    QRectF characterRect(int position) const;
    // The position of the post one character to the left or the right on the
    // screen, on to the next row at a row's end; position itself at the post's
    // ends.
    int besideOnScreen(int position, bool leftwards) const;
    // The position of the post at the start of the nearest word (or the
    // row's edge) to the left or the right on the screen; where the row has
    // none that way, as besideOnScreen.
    int wordBesideOnScreen(int position, bool leftwards) const;
    // Where the row (the line, or its part between line separators) holding a
    // position starts and ends in the post.
    std::pair<int, int> rowOf(int position) const;
    // The position rows rows down (up when negative) at x, in the document.
    int rowsAway(int position, int rows, qreal x) const;
    qreal lineHeight() const { return lineHeight_; }

signals:
    // Everything moved right by dx pixels: a line starting at the right edge grew
    // past the left one. A view keeps its picture still by scrolling as far.
    void shifted(qreal dx);
    // The lines below y moved down by dy pixels (up when negative): a line
    // above them was wrapped into more rows, or fewer, than it was taken to
    // have. A view keeps its picture still by scrolling as far.
    void movedDown(qreal y, qreal dy);

protected:
    void documentChanged(int position, int charsRemoved, int charsAdded) override;

private:
    struct Geometry {
        qreal left = 0;  // how far lines run over the box's left edge
        qreal right = 0; // and over its right edge
        qreal page = 0;  // the box's own width inside its margins
    };
    // A position of the post as the box shows it.
    struct Spot {
        QTextBlock block;
        std::size_t row = 0;
        std::size_t piece = 0;
        qsizetype shown = 0; // in the piece's text
    };

    bool anchoredRight(reading::Direction shown) const;
    // The lines first to last changed, removed characters at position of the
    // post giving way to added ones.
    void readLines(const QTextBlock& first, const QTextBlock& last, int position, int removed,
                   int added);
    // Cuts a line into pieces and lays out those of a short line.
    void prepare(const QTextBlock& block) const;
    void arrange(const QTextBlock& block) const;
    QTextLayout& layoutOf(const QTextBlock& block, std::size_t row, std::size_t piece) const;
    QPointF origin(const QTextBlock& block, std::size_t row, std::size_t piece) const;
    Spot spotOf(int position) const;
    int positionOf(const Spot& spot) const;
    qreal top(const QTextBlock& block) const;
    QTextBlock blockAt(qreal y) const;
    int positionAt(const QTextBlock& block, std::size_t row, qreal x) const;
    void measure();
    void shapeSome();
    void settingsChanged();
    // The lines' rows are no longer of use: each is wrapped anew when next
    // asked for.
    void rewrapAll();
    qreal wrapWidth() const;
    // How many rows a line not wrapped yet is taken to have beyond its first.
    int estimatedExtra(qsizetype length, int separators) const;
    // The line's rows as built, counted.
    void countRows(const QTextBlock& block) const;
    qreal advance(QStringView text) const;

    int cursorWidth_ = 1;
    QColor markupColour_;
    Marks marks_;
    Highlights highlights_;
    QFont font_;
    qreal tabStop_ = 0;
    QTextOption::Flags flags_;
    qreal estimate_ = 8; // a character's width before its piece is shaped
    int revision_ = -1;
    int characterCount_ = -1; // as the last change left it
    Qt::Alignment alignment_;

    mutable qreal lineHeight_ = 0;
    mutable bool widthsChanged_ = false;
    mutable int paints_ = 0; // how many times the box was drawn
    Geometry geometry_;
    std::shared_ptr<LineWidths> widths_;        // of the lines laid out
    mutable qsizetype extraLines_ = 0;          // rows of lines beyond their first
    mutable std::vector<qsizetype> rowOfBlock_; // only while there are extra lines

    bool wrapping_ = false;
    qreal wrappedAt_ = -1;                   // the width the lines were last wrapped at
    mutable QHash<QString, qreal> advances_; // of the words wrapped, in font_
    mutable std::optional<QFontMetricsF> metrics_;

    int nextToShape_ = -1; // block number the idle shaping goes on from
    bool shelved_ = false;
    QTimer idle_;
};

} // namespace qirtaz
