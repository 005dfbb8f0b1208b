// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board's reading of a post (board/board.h) as a QTextDocument, for the
// preview: QtGui's, with the pictures, and so for the window's thread only.

#include "board/board.h"

#include <QLoggingCategory>
#include <QTextFormat>

#include <memory>
#include <vector>

class QTextDocument;
class QTextFragment;

namespace qirtaz::board {

Q_DECLARE_LOGGING_CATEGORY(boardLog)

// Fills the document with the parsed post, clearing it first if need be and
// turning its undo history off (a preview is not edited). Sizes follow the
// document's default font, so set that first. Pictures go in as the document's
// own image resources. Links are shown, with their address as tooltip, but
// carry no anchor: nothing in the preview can be opened. On a display of
// pixelRatio device pixels to a point above 1, the pictures are drawn from
// their drawings at the display's own pixel size.
//
// A document belongs to the thread that shapes and paints it: Qt keeps its
// fonts' engines per thread, so a document laid out in a worker refers to
// engines that die with that worker. Render in the window's thread.
void render(const Parsed& parsed, QTextDocument& into, qreal pixelRatio = 1);

// Where a tag shown as typed and marked lies: in the post, and in the document.
struct Mark {
    Span post;
    int position = 0; // in the document
    int length = 0;
};

// The same, a little at a time, for a window that must not wait: each step()
// adds what follows, about units code units of the post, as one edit of the
// document, whose layout (once its text width is set) takes in only what the
// step added. A very long paragraph goes on in further blocks of the same
// look, so no block takes long to lay out.
class Renderer;
class Rendering {
public:
    Rendering(std::shared_ptr<const Parsed> parsed, QTextDocument& into, qreal pixelRatio = 1);
    ~Rendering();
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;

    // True once the whole post is in the document.
    bool step(qsizetype units);
    bool finished() const;
    // The marked tags so far, in the order of the post.
    const std::vector<Mark>& marks() const;

private:
    std::shared_ptr<const Parsed> parsed_;
    std::unique_ptr<Renderer> renderer_;
};

// Characters render() adds that are not the post's own (labels of placeholders,
// isolation marks) carry this property set to true.
inline constexpr int AddedTextProperty = QTextFormat::UserProperty + 1;
// Where a screen reader should read something else than the character: the
// end of a marked tag its problem, a placeholder's icon nothing (its label
// follows). A string. A smiley is a picture named "qirtaz-board:" and the name
// of the main window's picture for the same code.
inline constexpr int SpokenProperty = QTextFormat::UserProperty + 2;
// The address of the link the text lies in, as typed. A string.
inline constexpr int LinkProperty = QTextFormat::UserProperty + 3;
// What a copy takes for each character that carries it, where that is not the
// character itself: a smiley's picture its code, a placeholder's label and
// sizes nothing. A string.
inline constexpr int CopiedProperty = QTextFormat::UserProperty + 4;
// A no-break space that holds a tag or an address on one line: the blank of the
// post it stands for. A string.
inline constexpr int BlankProperty = QTextFormat::UserProperty + 6;
// Text held on one line: its word joiners are the rendering's, not the post's.
// A bool.
inline constexpr int GluedProperty = QTextFormat::UserProperty + 8;
// On a block's format: the block goes on with the paragraph before it, which
// was too long to lay out whole. A bool.
inline constexpr int ContinuedProperty = QTextFormat::UserProperty + 7;
// Either edge of a placeholder: a copy puts a blank there, unless one is there
// already, so that its address does not run into the words beside it. A bool.
inline constexpr int EdgeProperty = QTextFormat::UserProperty + 5;

// The text between two positions of a rendered document as its reader sees
// it, for the clipboard: a line a paragraph, every smiley as its code, every
// placeholder as its address, a link as its words; without the direction
// marks, isolates and joiners that order and hold it on screen, and without
// object replacement characters.
QString readerText(const QTextDocument& document, int from, int to);

// The characters of the post a fragment of a rendered document shows, as typed:
// none where the rendering added it, a blank where it holds a tag on one line.
QString postCharactersOf(const QTextFragment& fragment);

// The marked tag of marks, sorted by the post, that shows issue; nullptr if none.
const Mark* markOf(const std::vector<Mark>& marks, const Issue& issue);

} // namespace qirtaz::board
