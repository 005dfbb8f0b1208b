// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preview: a window beside the main window that shows the post as the board
// will show it, and follows every change of the post within a moment. The post
// is read off the main window's box and read as the board reads it in a worker
// thread; the window's thread then builds and lays out the rendering in short
// steps between other events (text is shaped only in the thread that paints
// it), so a long post never holds up the typing. The window keeps its scroll
// position as it follows, and closing it never waits for anything.

#include <QFutureWatcher>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QListView;
class QTextDocument;

namespace qirtaz {
class PreviewView;
class Registry;

namespace board {
struct Parsed;
struct Mark;
struct Profile;
} // namespace board

class PostPreview : public QWidget {
    Q_OBJECT
public:
    explicit PostPreview(QWidget* parent = nullptr);
    ~PostPreview() override;

    // Follows the text of document from now on; nullptr: shows an empty post.
    void follow(QTextDocument* document);

    PreviewView* view() const { return view_; }
    QLabel* foot() const { return foot_; }
    // Every problem of the post, one a row, under the foot line when there are
    // several; choosing one (Enter, a click) shows it in the page.
    QListView* problems() const { return problems_; }
    // "عدد الأحرف: N", the length of the post as the board counts it.
    QLabel* count() const { return count_; }
    // "المنتدى: phpBB 3.3", the board the preview reads the post as.
    QLabel* board() const { return board_; }

    // Reads the post again as the board now chosen (chosenBoard()) reads it.
    void boardChanged();

    // True while a change of the post is not yet shown.
    bool isBehind() const;
    // True while what the view shows is not yet the post as it is: a long
    // post is shown as soon as its rendering reaches past the bottom of the
    // view, and the rest is added to it there.
    bool isBehindInView() const;

    // Selects the tag of the post's problem number index (in the order of the
    // post) in the page and scrolls it into view; false if there is none.
    bool showProblem(int index);
    // The next problem after the reader's selection, from the top after the last (F8).
    bool showNextProblem();

signals:
    // A rendering of the post is on show.
    void shown();
    // Esc: the reader goes back to the main window.
    void leaving();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Reading;
    struct Building;
    class ProblemList;
    void changed();
    void start();
    void read();
    void build();
    void finish();
    void present(Building& building);

    PreviewView* view_;
    QLabel* foot_;
    QListView* problems_;
    ProblemList* problemList_;
    QLabel* count_;
    QLabel* board_;
    std::shared_ptr<const board::Parsed> parsed_; // what is on show
    std::vector<board::Mark> marks_;
    QPointer<QTextDocument> post_;
    QTimer soon_;
    QTimer step_;
    QFutureWatcher<std::shared_ptr<const Reading>> reader_;
    std::unique_ptr<Building> building_;
    bool dirty_ = false;   // the post changed since the rendering last begun
    bool reading_ = false; // the worker reads the post
};

// The board the preview reads posts as: the default at start, then the one
// last chosen, until the program ends; nothing is kept.
const board::Profile& chosenBoard();
// Chooses the board, and the open preview, if any, follows it at once.
void chooseBoard(Registry& registry, const board::Profile& profile);

// Registers the preview screen, opened by the main window's preview item.
void addPreview(Registry& registry);

// The preview on show, if any.
PostPreview* openPreview(Registry& registry);

} // namespace qirtaz
