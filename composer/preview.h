#pragma once
// The preview: a window beside the main window that shows the post as the board
// will show it, and follows every change of the post within a moment. The post
// is read off the main window's box, then read as the board reads it and laid
// out to the window's width in a worker thread, so a long post never holds up
// the typing; the window keeps its scroll position as it follows.

#include <QFutureWatcher>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
class QTextDocument;

namespace qirtaz {
class PreviewView;
class Registry;

namespace board {
struct Parsed;
}

class PostPreview : public QWidget {
    Q_OBJECT
public:
    explicit PostPreview(QWidget* parent = nullptr);
    ~PostPreview() override;

    // Follows the text of document from now on; nullptr: shows an empty post.
    void follow(QTextDocument* document);

    PreviewView* view() const { return view_; }
    QLabel* foot() const { return foot_; }

    // True while a change of the post is not yet shown.
    bool isBehind() const;

    // How long the window thread spent on the last rendering it showed, in
    // milliseconds: taking the finished document in, laid out already.
    double lastSwapMs() const { return lastSwapMs_; }

signals:
    // A rendering of the post is on show.
    void shown();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Rendering;
    void changed();
    void start();
    void finished();

    PreviewView* view_;
    QLabel* foot_;
    QPointer<QTextDocument> post_;
    QTimer soon_;
    QFutureWatcher<std::shared_ptr<Rendering>> worker_;
    bool dirty_ = false;     // the post changed since the rendering last begun
    bool rendering_ = false; // until its result is taken in, not just made
    double lastSwapMs_ = 0;
};

// Registers the preview screen, opened by the main window's preview item.
void addPreview(Registry& registry);

// The preview on show, if any.
PostPreview* openPreview(Registry& registry);

} // namespace qirtaz
