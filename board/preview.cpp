// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/preview.h"

#include "board/direction_marks.h"
#include "board/preview_view.h"
#include "board/profile.h"
#include "board/render.h"
#include "post/post.h"
#include "post/workers.h"
#include "screens/controls.h"
#include "screens/names.h"
#include "screens/pictures.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

#include <QAbstractListModel>
#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace qirtaz {
namespace {

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
    const board::Profile* profile = nullptr;
    std::shared_ptr<const board::Parsed> parsed;
    QString foot;
    qsizetype characters = 0;
};

// A rendering being built in the window's thread, step by step.
struct PostPreview::Building {
    const board::Profile* profile = nullptr;
    std::unique_ptr<QTextDocument> document = std::make_unique<QTextDocument>();
    // Once what is built reaches past the bottom of the view, the document is
    // put on show, and the rest of the post is built into it there.
    QTextDocument* onShow = nullptr;
    std::unique_ptr<board::Rendering> rendering;
    std::shared_ptr<const board::Parsed> parsed;
    QString foot;
    qsizetype characters = 0;
    qsizetype units = FirstStepUnits;
    // Put on show in the next turn, not after the step that got it there:
    // giving the view a new document frees the old one, which takes as long
    // as a step on a long post, and the two together would hold a key.
    bool showDue = false;
};

// The problems of the post on show, one a row, made only for the rows in view:
// a post may have tens of thousands.
class PostPreview::ProblemList : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void showProblems(std::shared_ptr<const board::Parsed> parsed) {
        beginResetModel();
        parsed_ = std::move(parsed);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !parsed_ ? 0 : int(parsed_->issues.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!parsed_ || !index.isValid() || index.row() >= rowCount({}))
            return {};
        const board::Issue& issue = parsed_->issues[std::size_t(index.row())];
        if (role == Qt::DisplayRole)
            return board::problemLine(*parsed_, issue);
        if (role == Qt::AccessibleTextRole)
            return board::withoutDirectionMarks(board::problemLine(*parsed_, issue));
        return {};
    }

private:
    std::shared_ptr<const board::Parsed> parsed_;
};

PostPreview::PostPreview(QWidget* parent)
    : QWidget(parent)
    , view_(new PreviewView(this))
    , foot_(new QLabel(this))
    , problems_(new QListView(this))
    , problemList_(new ProblemList(this))
    , count_(new QLabel(this))
    , board_(new QLabel(this)) {
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
    // The foot line shows the first of each kind; a click on it (or F8) shows
    // the first in the page, and the list under it names every one.
    foot_->setCursor(Qt::PointingHandCursor);
    foot_->setToolTip(QStringLiteral("انقر أو اضغط F8 للانتقال إلى المشكلة التالية في المعاينة"));
    foot_->installEventFilter(this);
    problems_->setObjectName(QStringLiteral("problems"));
    problems_->setModel(problemList_);
    problems_->setUniformItemSizes(true);
    problems_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    problems_->setAccessibleName(QStringLiteral("مشكلات الموضوع"));
    problems_->setPalette(warning);
    problems_->setLayoutDirection(Qt::RightToLeft);
    problems_->hide();
    connect(problems_, &QListView::activated, this,
            [this](const QModelIndex& index) { showProblem(index.row()); });
    connect(problems_, &QListView::clicked, this,
            [this](const QModelIndex& index) { showProblem(index.row()); });
    // A board refuses a post above its length; the count says how near it is.
    count_->setObjectName(QStringLiteral("count"));
    count_->setTextFormat(Qt::PlainText);
    count_->setContentsMargins(6, 2, 6, 2);
    count_->setLayoutDirection(Qt::RightToLeft);
    count_->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);

    // The board's marks and counts are its own: the foot says whose they are.
    board_->setObjectName(QStringLiteral("board"));
    board_->setTextFormat(Qt::PlainText);
    board_->setContentsMargins(6, 2, 6, 2);
    board_->setLayoutDirection(Qt::RightToLeft);
    board_->setAlignment(Qt::AlignTrailing | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(foot_);
    layout->addWidget(problems_);
    auto* counts = new QHBoxLayout;
    counts->setContentsMargins(0, 0, 0, 0);
    counts->setDirection(QBoxLayout::RightToLeft);
    counts->addWidget(count_, 1);
    counts->addWidget(board_);
    layout->addLayout(counts);

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
    // Esc puts the preview away, as the window's own close box would, and the
    // reader is back in the main window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit leaving();
        window()->close();
    } else if (event->key() == Qt::Key_F8 && event->modifiers() == Qt::NoModifier) {
        showNextProblem();
    } else {
        QWidget::keyPressEvent(event);
    }
}

bool PostPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == foot_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        showNextProblem();
    return QWidget::eventFilter(watched, event);
}

bool PostPreview::showProblem(int index) {
    if (!parsed_ || index < 0 || index >= int(parsed_->issues.size()))
        return false;
    const board::Mark* mark = board::markOf(marks_, parsed_->issues[std::size_t(index)]);
    if (!mark)
        return false;
    view_->showRange(mark->position, mark->length);
    view_->setFocus(Qt::OtherFocusReason);
    problems_->setCurrentIndex(problemList_->index(index));
    return true;
}

bool PostPreview::showNextProblem() {
    if (!parsed_ || parsed_->issues.empty())
        return false;
    // From the tag selected, the one after it; from anywhere else, the first at or after it.
    const int from = view_->selectionStart();
    const bool onOne = view_->selectionEnd() > from;
    const int count = int(parsed_->issues.size());
    for (int i = 0; i < count; ++i) {
        const board::Mark* mark = board::markOf(marks_, parsed_->issues[std::size_t(i)]);
        if (mark && (mark->position > from || (!onOne && mark->position == from)))
            return showProblem(i);
    }
    return showProblem(0);
}

void PostPreview::boardChanged() {
    changed();
}

namespace {
const board::Profile* chosen = nullptr;
} // namespace

const board::Profile& chosenBoard() {
    return chosen ? *chosen : board::defaultProfile();
}

void chooseBoard(Registry& registry, const board::Profile& profile) {
    chosen = &profile;
    if (PostPreview* preview = openPreview(registry))
        preview->boardChanged();
}

bool PostPreview::isBehind() const {
    return dirty_ || soon_.isActive() || reading_ || building_;
}

bool PostPreview::isBehindInView() const {
    return dirty_ || soon_.isActive() || reading_ || (building_ && !building_->onShow);
}

void PostPreview::changed() {
    dirty_ = true;
    if (!soon_.isActive())
        soon_.start();
}

void PostPreview::start() {
    // Taken up again when the rendering under way is shown; one on show
    // already goes on growing until the next reading is ready to replace it.
    if (reading_ || (building_ && !building_->onShow))
        return;
    dirty_ = false;
    reading_ = true;
    // The window's thread only copies the post; the worker makes it the
    // post's text (post::text), its paragraph separators turned into "\n".
    QString raw = post_ ? post_->toRawText() : QString();
    // The boards' tables are constant for the run: the worker may read them.
    const board::Profile* profile = &chosenBoard();
    reader_.setFuture(QtConcurrent::run(&workers(), [raw = std::move(raw), profile]() mutable {
        QString text = std::move(raw);
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        auto reading = std::make_shared<Reading>();
        reading->profile = profile;
        auto parsed = std::make_shared<board::Parsed>(board::parse(text, *profile));
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
    building_->profile = reading->profile;
    building_->parsed = reading->parsed;
    building_->characters = reading->characters;
    build();
}

void PostPreview::build() {
    QElapsedTimer clock;
    clock.start();
    Building& building = *building_;
    if (building.showDue) {
        building.showDue = false;
        if (building.rendering->finished())
            return finish();
        present(building);
        step_.start();
        return;
    }
    QTextDocument& document = building.onShow ? *building.onShow : *building.document;
    const bool done = building.rendering->step(building.units);
    const qreal height = document.documentLayout()->documentSize().height();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!done) {
        const double scale = std::clamp(StepMs / std::max(ms, 0.1), 0.5, 2.0);
        building.units = std::max<qsizetype>(256, qsizetype(double(building.units) * scale));
        if (building.onShow)
            view_->documentGrew();
        else if (height >= view_->verticalScrollBar()->value() + view_->viewport()->height())
            building.showDue = true;
        step_.start();
        return;
    }
    if (!building.onShow && ms > StepMs / 2) {
        building.showDue = true;
        step_.start();
        return;
    }
    finish();
}

void PostPreview::finish() {
    // A step may still be due for a rendering this one replaced on show.
    step_.stop();
    const std::unique_ptr<Building> finished = std::move(building_);
    if (finished->onShow)
        view_->documentGrew();
    present(*finished);
    emit shown();
    if (dirty_ || view_->wantsLayout())
        start();
}

void PostPreview::present(Building& building) {
    if (!building.onShow) {
        building.onShow = building.document.get();
        view_->setDocument(std::move(building.document));
    }
    // The rendering's problems are shown once, when it is first put on show;
    // its marks grow as it does.
    const bool same = parsed_ == building.parsed;
    parsed_ = building.parsed;
    marks_ = building.rendering->marks();
    if (same)
        return;
    foot_->setText(building.foot);
    // A screen reader reads the foot without the marks that order it on screen.
    foot_->setAccessibleName(board::withoutDirectionMarks(building.foot));
    foot_->setVisible(!building.foot.isEmpty());
    problemList_->showProblems(parsed_);
    const int rows = int(parsed_->issues.size());
    if (rows > 1) {
        const int row = std::max(problems_->sizeHintForRow(0), 1);
        problems_->setFixedHeight(std::min(rows, 4) * row + 2 * problems_->frameWidth());
    }
    problems_->setVisible(rows > 1);
    count_->setText(QStringLiteral("عدد الأحرف: ") + QString::number(building.characters));
    const QString boardName = building.profile->name.toString();
    board_->setText(QStringLiteral("المنتدى: ") + board::LeftToRightIsolate + boardName +
                    board::PopIsolate);
    board_->setAccessibleName(QStringLiteral("المنتدى: ") + boardName);
}

void addPreview(Registry& registry) {
    registry.addScreen(names::Preview, [&registry] {
        auto window = std::make_unique<screens::ScreenWindow>();
        window->setWindowTitle(QStringLiteral("معاينة الموضوع"));
        window->setWindowIcon(screens::windowIcon());
        // Unlike the catalogued screens, a preview is read at whatever size suits.
        window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        window->setMinimumSize(240, 160);

        // It opens, or comes forward, beside the post without taking the keyboard from it.
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* preview = new PostPreview(window->client());
        preview->setObjectName(QStringLiteral("preview"));
        QObject::connect(preview, &PostPreview::leaving, window.get(), [&registry] {
            ScreenInstance& main = registry.instance(names::MainWindow);
            if (main.isShown()) {
                main.window()->raise();
                main.window()->activateWindow();
            }
        });
        auto* layout = new QVBoxLayout(window->client());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(preview);
        // The same zoom keys as the post box's, for the page alone.
        PreviewView* view = preview->view();
        const auto zoom =
            screens::addZoom(*window, nullptr, [view](qreal scale) { view->setScale(scale); });
        QObject::connect(view, &PreviewView::zoomAsked, view, zoom);

        ScreenInstance& main = registry.instance(names::MainWindow);
        placeBeside(*window, main.window());
        preview->follow(main.isLoaded() ? postDocument(main.control<QWidget>(names::main::PostBox))
                                        : nullptr);
        return window;
    });
}

PostPreview* openPreview(Registry& registry) {
    ScreenInstance& screen = registry.instance(names::Preview);
    return screen.isLoaded() ? screen.window()->findChild<PostPreview*>() : nullptr;
}

} // namespace qirtaz
