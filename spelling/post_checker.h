// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which words of the post are misspelt, kept up to date as it changes, for the
// box to mark. Display only: the text and its undo history never see it.
//
// Results are kept by the text of a line, so a line is checked once and only
// the lines a change touched are checked again. The checking itself is the
// speller's worker's; the window's thread only gathers lines, in steps of a
// millisecond or two while it is idle, the lines on show first, and takes the
// answers in. A line changed but not yet checked again keeps the marks of its
// words that the change did not touch, so marks do not blink as one types.
// The word being typed is not marked until the caret leaves it.

#include "post/reading.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class QTextDocument;

namespace qirtaz::spelling {

class Speller;
using Misspelt = std::vector<std::vector<reading::Span>>;

class PostChecker : public QObject {
    Q_OBJECT
public:
    // Belongs to the document.
    PostChecker(QTextDocument* document, Speller& speller);
    ~PostChecker() override;
    static PostChecker* of(const QTextDocument& document);

    // What the box shows of its lines, so that the word being typed is left
    // alone and the lines on show are checked first.
    struct View {
        std::function<int()> caret;      // the caret's position in the post
        std::function<int()> firstShown; // the number of the first line on show
    };
    void setView(View view);
    // The caret moved: the word typed last is marked once the caret has left it.
    void caretMoved();
    // A document put aside (a cleared post, kept for its undo) is checked no
    // further until it is taken up again.
    void setShelved(bool shelved);

    // The words of a line to mark now, in the line's positions. Called as the
    // box draws a line: a line it has no answer for yet is checked next.
    std::vector<reading::Span> marks(const QTextBlock& block);
    // The marked word the character at a position of the post belongs to, in
    // the post's positions; only words checked in the text as it stands.
    std::optional<reading::Span> markAt(int position) const;

    // True when every line is checked, or checking is off or cannot start.
    bool isSettled() const;
    // How many lines the worker has checked so far.
    qsizetype linesChecked() const { return linesChecked_; }

signals:
    // Marks of lines on show changed: draw them anew.
    void marksChanged();

private:
    struct Checked {
        std::vector<reading::Span> wrong;
        unsigned pass = 0; // the last pass over the post that saw the line
    };
    struct Shown {
        QString text;
        std::vector<reading::Span> marks; // before ignored words and the one being typed
    };

    QTextDocument* document() const;
    bool isOn() const;
    void changed(int position, int removed, int added);
    void startPass();
    void schedule();
    void step();
    void answered();
    void prune();
    std::vector<reading::Span> visible(std::vector<reading::Span> marks, QStringView text,
                                       int linePosition) const;

    Speller& speller_;
    View view_;
    QHash<QString, Checked> checked_;
    QHash<int, Shown> shown_; // by line number, as last drawn
    std::vector<int> wanted_; // lines on show with no answer yet
    int dirtyFrom_ = -1;      // lines a change touched
    int dirtyTo_ = -1;
    int blockCount_ = 1;
    unsigned pass_ = 0;
    int passNext_ = 0;
    int passLeft_ = 0;
    int typedEnd_ = -1; // where the last key typed ended

    QStringList batch_;
    std::vector<int> batchLines_;
    QFutureWatcher<Misspelt> answer_;
    bool asking_ = false;
    qsizetype linesChecked_ = 0;
    QTimer work_;
    bool shelved_ = false;
};

// For assistive technology: the misspelt word marked in the box that shows
// document which the character at a position of the post belongs to, in the
// post's positions, if there is one.
std::optional<reading::Span> misspeltWordAt(const QTextDocument& document, int position);

} // namespace qirtaz::spelling
