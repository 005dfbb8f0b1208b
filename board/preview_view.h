// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preview's page: shows a text document that was laid out beforehand, in
// whatever thread made it, and never lays anything out itself. A text browser
// would lay a new document out again in the window's thread, in steps that grow
// to a fifth of a megabyte of text each, and after every change it lays out
// once more everything that follows the change: on a long post that holds up
// the typing in the main window for a tenth of a second at a time.

#include <QAbstractScrollArea>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;
class QTextDocument;

namespace qirtaz {

class PreviewView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);
    ~PreviewView() override;

    // Shows document, laid out to laidOutWidth(); the scroll position stays
    // where it was, as far as the new document reaches.
    void setDocument(std::unique_ptr<QTextDocument> document);
    QTextDocument* document() const { return document_.get(); }
    // The document on show grew at its end, laid out as far.
    void documentGrew();

    // The width a document should be laid out to for this view.
    int wantedWidth() const;
    // True while the document on show was laid out to another width.
    bool wantsLayout() const;

    QString toPlainText() const;

    // What a screen reader reads of the page: its text without direction
    // marks, each smiley as its meaning and code, each link announced with
    // its address, each marked tag followed by its problem; and where each of
    // its characters lies in the document, both ways.
    struct Spoken {
        QString text;
        std::vector<int> toDocument;   // one a character of text, and its end
        std::vector<int> fromDocument; // one a position of the document, and its end
    };
    const Spoken& spoken() const;

    // Selects the stretch of the document and scrolls it into view, as the
    // foot's list does to show where a problem lies.
    void showRange(int position, int length);

    // What the reader selected, with the mouse or Ctrl+A, as plain text the
    // way the reader sees it (board::readerText).
    QString selectedText() const;
    int selectionStart() const { return std::min(anchor_, position_); }
    int selectionEnd() const { return std::max(anchor_, position_); }
    // Selects all the rendering on show, until the next one.
    void selectAll();
    // Puts the selection on the clipboard, as Ctrl+C does.
    void copy() const;
    // What dragging the selection out of the page carries: its text as the
    // reader sees it, as a copy takes it.
    QMimeData* selectionData() const;

    // The page drawn at scale times its size (1 at first), laid out anew to
    // the width it then has.
    void setScale(qreal scale);
    qreal scale() const { return scale_; }

signals:
    // The view changed width: its document wants laying out again.
    void resized();
    // Ctrl and the mouse wheel: the page larger (steps > 0) or smaller.
    void zoomAsked(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPoint offset() const;
    // A point of the viewport in the document.
    QPointF toDocument(QPointF onViewport) const;
    void adjustBars();
    int positionAt(QPoint onViewport) const;
    int lastPosition() const;

    // The selection, as positions in the document: anchor where it began.
    int anchor_ = 0;
    int position_ = 0;
    bool selecting_ = false;
    bool dragging_ = false; // pressed inside the selection, which a move drags out
    QPoint pressedAt_;
    qreal scale_ = 1;
    int wheeled_ = 0; // of a wheel's eighths of a degree, not yet a step

    std::unique_ptr<QTextDocument> document_;
    mutable std::optional<QString> plain_; // the document's text, once a screen reader asks
    mutable std::optional<Spoken> spoken_;
};

} // namespace qirtaz
