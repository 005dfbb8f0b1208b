// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/preview.h"

#include "board/board.h"
#include "board/preview_view.h"
#include "post/post.h"
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
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace qirtaz {
namespace {

constexpr char16_t PreviewScreen[] = u"Preview";
constexpr char16_t MainWindow[] = u"Form1";

// After a change, the preview waits this long for the next one, so that a
// burst of typing is drawn once rather than once a key.
constexpr int SoonMs = 120;

// A step of building the rendering aims at this many milliseconds, so that a
// key typed meanwhile waits no longer; the amount of post a step takes follows
// how long the last one took.
constexpr double StepMs = 16;
constexpr qsizetype FirstStepUnits = qsizetype(16) * 1024;

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

// The board's reading of the post: pure data, made by the worker.
struct PostPreview::Reading {
    std::shared_ptr<const board::Parsed> parsed;
    QString foot;
    qsizetype characters = 0;
};

// A rendering being built in the window's thread, step by step.
struct PostPreview::Building {
    std::unique_ptr<QTextDocument> document = std::make_unique<QTextDocument>();
    std::unique_ptr<board::Rendering> rendering;
    QString foot;
    qsizetype characters = 0;
    qsizetype units = FirstStepUnits;
};

PostPreview::PostPreview(QWidget* parent)
    : QWidget(parent)
    , view_(new PreviewView(this))
    , foot_(new QLabel(this))
    , count_(new QLabel(this)) {
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
    // A board refuses a post above its length; the count says how near it is.
    count_->setObjectName(QStringLiteral("count"));
    count_->setTextFormat(Qt::PlainText);
    count_->setContentsMargins(6, 2, 6, 2);
    count_->setLayoutDirection(Qt::RightToLeft);
    count_->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(foot_);
    layout->addWidget(count_);

    soon_.setSingleShot(true);
    soon_.setInterval(SoonMs);
    connect(&soon_, &QTimer::timeout, this, &PostPreview::start);
    step_.setSingleShot(true);
    step_.setInterval(0);
    connect(&step_, &QTimer::timeout, this, &PostPreview::build);
    connect(&reader_, &QFutureWatcher<std::shared_ptr<const Reading>>::finished, this,
            &PostPreview::read);
    // A new width wants the post laid out anew, once the resizing pauses.
    connect(view_, &PreviewView::resized, this, &PostPreview::changed);
}

// A reading still under way is left to finish alone: it holds only a copy of
// the post, and nothing waits for it.
PostPreview::~PostPreview() = default;

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
    return dirty_ || soon_.isActive() || reading_ || building_;
}

void PostPreview::changed() {
    dirty_ = true;
    if (!soon_.isActive())
        soon_.start();
}

void PostPreview::start() {
    if (reading_ || building_)
        return; // taken up again when the rendering under way is shown
    dirty_ = false;
    reading_ = true;
    const QString text = post_ ? post::text(*post_) : QString();
    reader_.setFuture(QtConcurrent::run([text] {
        auto reading = std::make_shared<Reading>();
        auto parsed = std::make_shared<board::Parsed>(board::parse(text));
        reading->foot = board::problemsLine(*parsed);
        reading->characters = post::characterCount(text);
        reading->parsed = std::move(parsed);
        return std::shared_ptr<const Reading>(std::move(reading));
    }));
}

void PostPreview::read() {
    reading_ = false;
    const std::shared_ptr<const Reading> reading = reader_.result();
    building_ = std::make_unique<Building>();
    QTextDocument& document = *building_->document;
    document.setDefaultFont(view_->font());
    // Laid out to the width as it is built: each step lays out what it added.
    document.setTextWidth(view_->wantedWidth());
    building_->rendering =
        std::make_unique<board::Rendering>(reading->parsed, document, view_->devicePixelRatioF());
    building_->foot = reading->foot;
    building_->characters = reading->characters;
    build();
}

void PostPreview::build() {
    QElapsedTimer clock;
    clock.start();
    Building& building = *building_;
    const bool done = building.rendering->step(building.units);
    building.document->documentLayout()->documentSize();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!done) {
        const double scale = std::clamp(StepMs / std::max(ms, 0.1), 0.5, 2.0);
        building.units = std::max<qsizetype>(256, qsizetype(double(building.units) * scale));
        step_.start();
        return;
    }
    const std::unique_ptr<Building> finished = std::move(building_);
    view_->setDocument(std::move(finished->document));
    foot_->setText(finished->foot);
    foot_->setVisible(!finished->foot.isEmpty());
    count_->setText(QStringLiteral("عدد الأحرف: ") + QString::number(finished->characters));
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
