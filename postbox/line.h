// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A line of the post as the box shows it.
//
// Inside an Arabic line the bidirectional algorithm would turn "[/color]" into
// "[color/]" and ":D" into "D:". So each line is laid out from a string of its
// own in which every tag, smiley code and bare address stands between the
// isolate controls U+2066 and U+2069: they read left to right as typed, and the
// words around them keep their order. The post never holds the controls; each
// piece of the line keeps where they stand, to map the post's positions to the
// string shown and back.
//
// A long line is cut into pieces of a few thousand characters, each laid out on
// its own and set side by side in the line's direction, so that a change
// shapes one piece again rather than the whole line. The cuts fall at blanks
// between words of the line's own direction, where the text itself says, so
// that a change leaves the other pieces, and their shapes, as they were.

#include "post/reading.h"

#include <QFont>
#include <QLoggingCategory>
#include <QString>
#include <QTextLayout>

#include <functional>
#include <memory>
#include <vector>

namespace qirtaz::postbox {

Q_DECLARE_LOGGING_CATEGORY(postboxLog)

inline constexpr QChar Isolate = u'\u2066';            // left-to-right isolate
inline constexpr QChar RightToLeftIsolate = u'\u2067'; // inside markup, around Arabic words
inline constexpr QChar PopIsolate = u'\u2069';

// A stretch of a row laid out on its own.
struct Piece {
    struct Control {
        qsizetype at = 0; // where in the line's text, from the piece's start
        bool opens = false;
    };

    qsizetype from = 0; // where it starts and ends in its line
    qsizetype to = 0;
    QString shown;                 // its text with the controls
    std::vector<Control> controls; // those in shown, in order

    // From a position in the line (from to to) to one in shown. A position
    // where markup starts or ends stands outside the controls, with the words
    // around it.
    qsizetype toShown(qsizetype position) const;
    // From a position in shown to one in the line.
    qsizetype fromShown(qsizetype index) const;
    // Where its words start, as positions in the line (see wordStarts).
    std::vector<qsizetype> wordStarts() const;
};

// What counts as a word: each piece of markup (spans, as ownOrderSpans gives
// them for text), and each run of letters, digits and their marks outside
// markup. Blanks, signs and emoji stand between words.
// Where the words of text start, in order.
std::vector<qsizetype> wordStarts(QStringView text, const std::vector<reading::Span>& spans);
// The word holding position (or ending there, at the text's end); where there
// is none, the run of blanks, or of signs, there.
std::pair<qsizetype, qsizetype> wordAt(QStringView text, const std::vector<reading::Span>& spans,
                                       qsizetype position);

// No piece of a long row is shorter than MinPiece or longer than MaxPiece.
inline constexpr qsizetype MinPiece = 1024;
inline constexpr qsizetype MaxPiece = 4096;

// Cuts the row line[from, to), which holds no line separator, into pieces.
// spans are ownOrderSpans(line).
std::vector<Piece> cutRow(QStringView line, qsizetype from, qsizetype to, bool rightToLeft,
                          const std::vector<reading::Span>& spans);

// Wraps the row line[from, to) at width: where each of its rows ends, the
// last at to. A row ends after the blanks that follow a word and holds as many
// words as fit, blanks at its end not counted; a tag, smiley code or address
// (spans) stays whole with the text joined to it, unless it alone is wider
// than width, when it breaks between characters as a word that long does.
// advance gives the width of a stretch of the line.
using Advance = std::function<qreal(QStringView)>;
// A row may also end early, at the first end settled says is one.
std::vector<qsizetype> wrapRow(QStringView line, qsizetype from, qsizetype to,
                               const std::vector<reading::Span>& spans, qreal width,
                               const Advance& advance,
                               const std::function<bool(qsizetype)>& settled = {});

// What a line is laid out with.
struct Shaping {
    QFont font;
    QTextOption::Flags flags;
    qreal tabStop = 0;
    qreal estimate = 8; // the width a character is taken to have before it is shaped
};

// A piece and its shape, once it has one.
struct ShapedPiece : Piece {
    std::unique_ptr<QTextLayout> layout;
    qreal width = -1; // once shaped; it outlasts the layout
    qreal x = 0;      // from its row's left edge
    int usedAt = 0;   // when it was last drawn or asked about
    // Every place the caret can stand in the piece, from left to right on the
    // screen: x from the piece's left edge, and the position in the line.
    struct Stop {
        qreal x = 0;
        qsizetype position = 0;
    };
    std::vector<Stop> stops; // made when first asked for, while the layout lasts

    // Its width, or until it is shaped one of estimate a character.
    qreal widthOr(qreal estimate) const { return width >= 0 ? width : estimate * qreal(to - from); }
};

struct Row {
    qsizetype from = 0;              // in the line's text; to is at a line separator or the end
    qsizetype to = 0;                // or, when the line wraps there, where the next row starts
    bool soft = false;               // the line wraps at to
    std::vector<ShapedPiece> pieces; // in the line's order
    qreal width = 0;
};

class Line {
public:
    bool isBuilt() const { return built_; }
    // The text or direction changed: pieces are cut again when next asked,
    // reusing the shapes of those that did not change.
    void invalidate() {
        built_ = false;
        whole_ = true;
    }
    // removed characters at at gave way to added ones: only the pieces near
    // them are read and cut again when next asked, the others kept as they
    // are, moved.
    void edited(qsizetype at, qsizetype removed, qsizetype added);
    // The font or the options changed: nothing shaped is of use any longer.
    void forgetShapes();

    // Rows no wider than width, unless width is 0 (see wrapRow).
    void build(QStringView text, bool rightToLeft, qreal width = 0, const Advance& advance = {});
    const std::vector<Row>& rows() const { return rows_; }
    // The tags and smiley codes of the line, as reading::markupSpans gives them.
    const std::vector<reading::Span>& markup() const { return markup_; }
    std::vector<Row>& rows() { return rows_; }
    bool rightToLeft() const { return rightToLeft_; }

    // The row holding a position of the line, and the piece within it (at a
    // cut, the piece that starts there).
    std::size_t rowAt(qsizetype position) const;
    std::size_t pieceAt(const Row& row, qsizetype position) const;

    // Lays a piece out if it has no layout; returns its layout, whose height
    // is reported through lineHeight.
    QTextLayout& shape(ShapedPiece& piece, const Shaping& shaping, qreal& lineHeight);
    // The piece's stops, made from its layout.
    static const std::vector<ShapedPiece::Stop>& stopsOf(ShapedPiece& piece);
    // Sets each piece's x from the widths known so far (estimate a
    // character for those not shaped yet) and returns the widest row's width.
    qreal arrange(qreal estimate);
    // True while some piece has never been shaped.
    bool hasUnmeasured() const { return unmeasured_ > 0; }
    // Shapes one piece never shaped; false when there was none. On a line of
    // many pieces, its layout goes again unless it was used at keepFrom or
    // later, so that a line of megabytes does not hold the shapes of all of it.
    bool measureOne(const Shaping& shaping, qreal& lineHeight, int keepFrom);

private:
    void buildWhole(QStringView text, bool rightToLeft, qreal width, const Advance& advance);
    // Reads and cuts again the text around the change; false when the change
    // is one it cannot take apart from the rest (it added or took a line
    // separator), and nothing was done.
    bool buildNear(QStringView text);
    // The same for a wrapped line: wraps again from the row before the
    // change until a row ends where one ended before.
    bool wrapNear(QStringView text, qreal width, const Advance& advance);

    std::vector<Row> rows_;
    std::vector<reading::Span> spans_; // reading::ownOrderSpans of the text
    std::vector<reading::Span> markup_;
    qsizetype length_ = 0; // of the text as last built
    // What changed since: changedFrom_ .. changedTo_ of the text as it is now,
    // which is delta_ longer.
    qsizetype changedFrom_ = 0;
    qsizetype changedTo_ = 0;
    qsizetype delta_ = 0;
    bool whole_ = true; // nothing of the line as built is of use
    bool built_ = false;
    bool rightToLeft_ = false;
    qreal width_ = 0; // it was wrapped at, or 0
    qsizetype unmeasured_ = 0;
};

} // namespace qirtaz::postbox
