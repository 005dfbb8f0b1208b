#include "composer/preview.h"

#include "composer/board.h"
#include "composer/post.h"
#include "composer/preview_view.h"
#include "screens/controls.h"
#include "screens/pictures.h"
#include "shell/registry.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace qirtaz {
namespace {

constexpr char16_t PreviewScreen[] = u"Preview";
constexpr char16_t MainWindow[] = u"Form1";

// After a change, the preview waits this long for the next one, so that a
// burst of typing is drawn once rather than once a key.
constexpr int SoonMs = 120;

// The preview stands beside the main window, on the right where the screen
// has room, else on the left, else where the window system puts it.
void placeBeside(QWidget& window, const QWidget* mainWindow) {
    constexpr int Gap = 8;
    if (!mainWindow || !mainWindow->isVisible())
        return;
    const QRect main = mainWindow->frameGeometry();
    QScreen* screen = mainWindow->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    window.resize(460, main.height());
    const int width = window.frameGeometry().width();
    if (main.right() + Gap + width <= room.right())
        window.move(main.right() + 1 + Gap, main.top());
    else if (main.left() - Gap - width >= room.left())
        window.move(main.left() - Gap - width, main.top());
}

} // namespace

struct PostPreview::Rendering {
    std::unique_ptr<QTextDocument> document;
    QString foot;
};

PostPreview::PostPreview(QWidget* parent)
    : QWidget(parent)
    , view_(new PreviewView(this))
    , foot_(new QLabel(this)) {
    view_->setObjectName(QStringLiteral("view"));
    view_->setFrameShape(QFrame::NoFrame);
    foot_->setObjectName(QStringLiteral("foot"));
    foot_->setTextFormat(Qt::PlainText);
    foot_->setWordWrap(true);
    foot_->setContentsMargins(6, 3, 6, 3);
    foot_->setAutoFillBackground(true);
    QPalette warning = foot_->palette();
    warning.setColor(QPalette::Window, QColor(0xff, 0xf1, 0xc8));
    warning.setColor(QPalette::WindowText, QColor(0x6b, 0x20, 0x00));
    foot_->setPalette(warning);
    foot_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(foot_);

    soon_.setSingleShot(true);
    soon_.setInterval(SoonMs);
    connect(&soon_, &QTimer::timeout, this, &PostPreview::start);
    connect(&worker_, &QFutureWatcher<std::shared_ptr<Rendering>>::finished, this,
            &PostPreview::finished);
    // A new width wants the post laid out anew, once the resizing pauses.
    connect(view_, &PreviewView::resized, this, &PostPreview::changed);
}

PostPreview::~PostPreview() {
    // The worker's document must not outlive the window in another thread.
    worker_.waitForFinished();
}

void PostPreview::follow(QTextDocument* document) {
    if (post_)
        disconnect(post_, nullptr, this, nullptr);
    post_ = document;
    if (post_) {
        connect(post_, &QTextDocument::contentsChanged, this, &PostPreview::changed);
        // The post goes with the main window; the preview then shows none.
        connect(post_, &QObject::destroyed, this, [this] { follow(nullptr); });
    }
    dirty_ = true;
    start();
}

void PostPreview::keyPressEvent(QKeyEvent* event) {
    // Esc puts the preview away, as the window's own close box would.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        window()->close();
    else
        QWidget::keyPressEvent(event);
}

bool PostPreview::isBehind() const {
    return dirty_ || soon_.isActive() || rendering_;
}

void PostPreview::changed() {
    dirty_ = true;
    if (!soon_.isActive())
        soon_.start();
}

void PostPreview::start() {
    if (rendering_)
        return; // taken up again when the rendering under way is shown
    dirty_ = false;
    rendering_ = true;
    const QString text = post_ ? post::text(*post_) : QString();
    const QFont font = view_->font();
    const int width = view_->wantedWidth();
    const qreal pixelRatio = view_->devicePixelRatioF();
    QThread* home = thread();
    worker_.setFuture(QtConcurrent::run([text, font, width, pixelRatio, home] {
        auto rendering = std::make_shared<Rendering>();
        const board::Parsed parsed = board::parse(text);
        rendering->document = std::make_unique<QTextDocument>();
        rendering->document->setDefaultFont(font);
        board::render(parsed, *rendering->document, pixelRatio);
        rendering->foot = board::problemsLine(parsed);
        // Laid out here, whole, so that the window only paints it.
        rendering->document->setTextWidth(width);
        rendering->document->documentLayout()->documentSize();
        rendering->document->moveToThread(home);
        return rendering;
    }));
}

void PostPreview::finished() {
    rendering_ = false;
    const std::shared_ptr<Rendering> rendering = worker_.result();
    QElapsedTimer swap;
    swap.start();

    view_->setDocument(std::move(rendering->document));

    foot_->setText(rendering->foot);
    foot_->setVisible(!rendering->foot.isEmpty());
    lastSwapMs_ = double(swap.nsecsElapsed()) / 1e6;
    emit shown();
    if (dirty_ || view_->wantsLayout())
        start();
}

void addPreview(Registry& registry) {
    registry.addScreen(PreviewScreen, [&registry] {
        auto window = std::make_unique<screens::ScreenWindow>();
        window->setWindowTitle(QStringLiteral("معاينة الموضوع"));
        window->setWindowIcon(screens::windowIcon());
        // Unlike the catalogued screens, a preview is read at whatever size suits.
        window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        window->setMinimumSize(240, 160);

        auto* preview = new PostPreview(window->client());
        preview->setObjectName(QStringLiteral("preview"));
        auto* layout = new QVBoxLayout(window->client());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(preview);

        ScreenInstance& main = registry.instance(MainWindow);
        placeBeside(*window, main.window());
        preview->follow(main.isLoaded() ? main.control<screens::MultiLineBox>(u"Text1").document()
                                        : nullptr);
        return window;
    });
}

PostPreview* openPreview(Registry& registry) {
    ScreenInstance& screen = registry.instance(PreviewScreen);
    return screen.isLoaded() ? screen.window()->findChild<PostPreview*>() : nullptr;
}

} // namespace qirtaz
