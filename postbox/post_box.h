// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The post box: the main window's big box, where the post is written.
//
// It keeps the post in a QTextDocument, whose undo history and cursors it
// uses, and does everything else itself: its layout (PostLayout) draws each
// line in its own reading order, and every key, click, input-method event,
// menu and paste is the box's own, worked out from that layout and from the
// text near the caret. Qt's own text box would move the caret by the lines'
// stored order, find words and characters over a whole line at a time, and
// scroll to places taken from layouts this box never fills.
//
// Assumptions the box relies on:
// - the post is plain text: one character format, one block format;
// - a position of the post is a QTextDocument position; the layout maps it to
//   where it is drawn and back (see line.h);
// - markup (a tag, a smiley code, a bare address) counts as one word, and a
//   selection that starts outside a piece of markup never ends inside it.

#include "post/reading.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QMenu;
class QMimeData;

namespace qirtaz {
class PostLayout;
}

namespace qirtaz::postbox {

class PostBox : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText)
    // For those who know the box only as a widget.
    Q_PROPERTY(QTextDocument* document READ document NOTIFY documentReplaced)

public:
    explicit PostBox(QWidget* parent = nullptr);
    ~PostBox() override;

    // The document that holds the post now. A clear puts it aside whole, for
    // its undo, and goes on in a new one (see documentReplaced).
    QTextDocument* document() const { return document_; }
    PostLayout& postLayout() const { return *layout_; }

    QTextCursor textCursor() const { return cursor_; }
    void setTextCursor(const QTextCursor& cursor);
    // Only the moves that need no layout of a line: the ends of the post and
    // of its lines, and setting the anchor.
    void moveCursor(QTextCursor::MoveOperation operation,
                    QTextCursor::MoveMode mode = QTextCursor::MoveAnchor);
    // The caret at the character boundary nearest a point of the viewport.
    QTextCursor cursorForPosition(const QPoint& inView) const;

    QString toPlainText() const;
    // A new text, and the undo history starts anew.
    void setPlainText(const QString& text);
    void insertPlainText(const QString& text);
    // Text in place of the selection, or at the caret, as a paste goes in:
    // megabytes a part at a time, the window painting between the parts, all
    // of it one step of the undo history, and what is typed next a step of
    // its own.
    void insertInParts(const QString& text);

    // Left puts each line at the edge it reads from; Right puts every line at
    // the right edge.
    void setTextAlignment(Qt::Alignment horizontal);
    Qt::Alignment textAlignment() const;

    // Lines wrap at the box's width, and the sideways scroll bar goes; off at
    // first, each line running on past the box's far edge.
    void setWrapping(bool on);
    bool wraps() const;
    // The lettering at scale times the box's own font (1 at first).
    void setScale(qreal scale);
    qreal scale() const { return scale_; }

    // How far the viewport is scrolled into the document.
    QPointF scrolled() const;
    // Where the caret at a position is drawn, in the viewport.
    QRect caretInView(int position) const;
    QRect cursorRect() const { return caretInView(cursor_.position()); }
    // Scrolls as little as shows the caret.
    void ensureCursorVisible();

    // An item of the program's own in the menu of the right mouse button,
    // just after paste.
    void addMenuAction(QAction* action);
    // Fills the top of the menu for the word at a position (the spelling's
    // suggestions, say); the menu is open while the box waits on it.
    using WordMenu = std::function<void(QMenu& menu, int position)>;
    void setWordMenu(WordMenu fill) { wordMenu_ = std::move(fill); }
    // The menu for a position of the post; the caller owns it.
    QMenu* createContextMenu(int position);
    QMenu* createContextMenu() { return createContextMenu(cursor_.position()); }

    // The piece of markup holding a position strictly inside it, if any: its
    // start and end in the post.
    std::optional<std::pair<int, int>> markupAround(int position) const;
    // The word at a position (a piece of markup is one), or the run of blanks
    // or signs there, as the double click selects it.
    std::pair<int, int> wordAt(int position) const;
    // The start of the word after position, or before it, in the post's order.
    int wordStart(int position, bool forwards) const;

public slots:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    // The empty post, as one step of the undo history.
    void clear();

signals:
    // The post went over to another document: a clear, or the undo or redo
    // of one. Whatever follows the post's document follows document() now.
    void documentReplaced();
    void textChanged();
    void cursorPositionChanged();
    void selectionChanged();
    // Once, when the box is first drawn.
    void firstShown();
    // Ctrl and the mouse wheel: the lettering larger (steps > 0) or smaller.
    void zoomAsked(int steps);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Unit { Character, Word, Line };

    bool handlesKey(const QKeyEvent* event) const;
    bool move(const QKeyEvent* event);
    bool edit(const QKeyEvent* event);
    void type(const QString& text);
    // Keys in a row that type, or that erase with Backspace, are one step of
    // the undo history, as in any text box.
    enum class Run { None, Typing, Erasing };
    void goOnOrBegin(Run run);
    void endRun(Run run);
    void undoOrRedo(bool undo);
    bool canUndo() const;
    bool canRedo() const;
    void removeRange(int from, int to);
    void insertFromMimeData(const QMimeData* source, int at);

    // The caret put at position, the anchor kept or not; a selection that
    // would end inside a piece of markup takes all of it.
    void placeCaret(int position, bool keepAnchor);
    void caretMoved();
    void restartBlink();
    void repaintCaret();
    void updateScrollBars();
    // Tags and smiley codes in a colour between the text's and the paper's.
    QColor markupColour() const;
    QFont scaled() const;
    void autoScroll();
    int positionAt(QPointF inView) const;
    QRectF caretInDocument(int position) const;
    // The text of the post from..to, which holds no line break.
    QString textBetween(int from, int to) const;
    // The text of a line around a position, read from where no markup can be
    // open, with its markup.
    struct Around {
        int from = 0; // where text starts in the post
        QString text;
        std::vector<reading::Span> spans;
        qsizetype readable = 0; // text read right up to here
        bool whole = false;     // the whole line
    };
    bool readAround(int position, int reach, Around& out) const;
    Around around(int position) const;

    // A clear would have the document take each line out, and its undo put
    // each back, which on a long post costs about as much as setting the
    // whole text. Instead the cleared document is put aside whole, with its
    // layout and undo history, and the post goes on in a new one: the undo
    // of the clear turns back to it, its redo forward again. Each sheet's
    // own undo history runs between two clears.
    struct Sheet {
        QTextDocument* document = nullptr; // owns its layout
        PostLayout* layout = nullptr;
        // Where the caret and the view were when it was put aside.
        int anchor = 0;
        int position = 0;
        QPoint scrolled;
    };
    Sheet newSheet();
    void turnTo(std::size_t sheet);
    // Those after sheet can no longer be redone.
    void dropSheetsAfter(std::size_t sheet);
    std::vector<Sheet> sheets_;
    std::size_t sheet_ = 0;  // the sheet on show
    bool replaying_ = false; // an undo or a redo is under way

    QTextDocument* document_ = nullptr; // the sheet's on show, and its layout
    PostLayout* layout_ = nullptr;
    QTextCursor cursor_;
    int lastPosition_ = 0;
    int lastAnchor_ = 0;
    QRectF caretShown_; // where the caret was last drawn, in the document

    QBasicTimer blink_;
    bool caretOn_ = true;
    QString preedit_;
    int preeditCursor_ = 0;

    Unit dragUnit_ = Unit::Character;
    bool dragging_ = false;
    std::pair<int, int> dragOrigin_; // what the first click of a drag selected
    QBasicTimer tripleClick_;
    QPoint tripleClickAt_;
    QBasicTimer autoScroll_;
    QPoint pointer_; // in the viewport, while dragging

    Run run_ = Run::None;
    int runChanges_ = -1; // changes_ when the run's last key was done
    int runAt_ = -1;      // and where it left the caret
    int changes_ = 0;     // changes of the post so far
    int lastChange_ = -1; // where the last change ended
    qreal verticalX_ = 0; // where Up and Down aim, kept from one to the next
    int verticalAt_ = -1; // the position the last of them left the caret at
    bool shownOnce_ = false;
    qreal scale_ = 1;
    int wheeled_ = 0; // of a wheel's eighths of a degree, not yet a step
    qreal moved_ = 0; // how far the lines in view moved down since the scroll bars were set

    QList<QPointer<QAction>> menuActions_;
    WordMenu wordMenu_;
};

// Gives the box a screen reader's view of its own.
void installAccessibility(PostBox& box);
// A position of the post as a screen reader counts it (an emoji is one
// character, not two); textChanged just after a change.
int readerOffset(PostBox& box, int position, bool textChanged = false);

} // namespace qirtaz::postbox
