// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/find_window.h"

#include "post/post.h"
#include "post/workers.h"
#include "postbox/post_box.h"
#include "postbox/post_layout.h"
#include "screens/controls.h"
#include "screens/names.h"
#include "screens/pictures.h"
#include "shell/registry.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <QtConcurrent>

#include <algorithm>

namespace qirtaz {

FindChoices& findChoices() {
    static FindChoices choices;
    return choices;
}

namespace {

// The span's ends as a selection, set inside an edit block so that Qt does not
// lay the whole line out to find where the cursor stands.
void selectSpan(postbox::PostBox& box, const reading::Span& span) {
    QTextCursor cursor = box.textCursor();
    cursor.beginEditBlock();
    cursor.setPosition(int(span.start));
    cursor.setPosition(int(span.start + span.length), QTextCursor::KeepAnchor);
    cursor.endEditBlock();
    box.setTextCursor(cursor);
}

bool isSelected(const postbox::PostBox& box, const reading::Span& span) {
    const QTextCursor cursor = box.textCursor();
    return cursor.selectionStart() == span.start &&
           cursor.selectionEnd() == span.start + span.length;
}

} // namespace

PostSearch::PostSearch(postbox::PostBox& box)
    : box_(&box) {
    follow();
    // A clear, or its undo or redo: every mark goes, and the search runs
    // again over the post as it is now.
    connect(&box, &postbox::PostBox::documentReplaced, this, [this] {
        const int before = document_ ? document_->characterCount() : 0;
        follow();
        contentsChange(0, before, document_->characterCount());
    });
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        waiting_ = false;
        const bool fresh = searched_ == edits_ && !again_;
        std::vector<reading::Span> found = watcher_.result();
        if (fresh)
            adopt(std::move(found), pendingOrigin_);
        else
            start();
    });
}

PostSearch::~PostSearch() {
    if (document_)
        if (auto* layout = qobject_cast<PostLayout*>(document_->documentLayout()))
            layout->setHighlights({});
}

void PostSearch::follow() {
    if (document_) {
        disconnect(document_, nullptr, this, nullptr);
        if (auto* layout = qobject_cast<PostLayout*>(document_->documentLayout()))
            layout->setHighlights({});
    }
    document_ = box_->document();
    connect(document_, &QTextDocument::contentsChange, this, &PostSearch::contentsChange);
    box_->postLayout().setHighlights([this](const QTextBlock& block) { return highlights(block); });
}

void PostSearch::search(const QString& needle, find::Options options) {
    finder_ = find::Finder(needle, options);
    origin_ = box_ ? box_->textCursor().selectionStart() : 0;
    pendingOrigin_ = true;
    // No mark of what was looked for before stays while a worker looks for this.
    matches_.clear();
    current_ = -1;
    start();
}

void PostSearch::start() {
    again_ = false;
    if (finder_.isEmpty() || !box_) { // nothing to look for, or the main window has gone
        adopt({}, false);
        return;
    }
    if (document_->characterCount() <= SyncLimit) {
        adopt(finder_.findAll(post::text(*document_)), pendingOrigin_);
        return;
    }
    if (waiting_) {
        again_ = true;
        emit changed();
        return;
    }
    searched_ = edits_;
    waiting_ = true;
    watcher_.setFuture(
        QtConcurrent::run(&workers(), [text = post::text(*document_), finder = finder_] {
            return finder.findAll(text);
        }));
    emit changed();
}

void PostSearch::adopt(std::vector<reading::Span> found, bool moveToOrigin) {
    const std::optional<reading::Span> was =
        current_ >= 0 ? std::optional(matches_[std::size_t(current_)]) : std::nullopt;
    matches_ = std::move(found);
    current_ = -1;
    if (moveToOrigin) {
        pendingOrigin_ = false;
        if (!matches_.empty()) {
            const auto after = std::lower_bound(
                matches_.begin(), matches_.end(), origin_,
                [](const reading::Span& match, qsizetype at) { return match.start < at; });
            select(after == matches_.end() ? 0 : int(after - matches_.begin()));
        }
    } else if (was) {
        const auto same = std::lower_bound(
            matches_.begin(), matches_.end(), *was,
            [](const reading::Span& a, const reading::Span& b) { return a.start < b.start; });
        if (same != matches_.end() && *same == *was)
            current_ = int(same - matches_.begin());
    }
    if (box_)
        box_->postLayout().marksChanged();
    emit changed();
}

void PostSearch::contentsChange(int position, int removed, int added) {
    ++edits_;
    // The marks move with the text at once; those the change touched go, and the
    // search that follows finds what the change made.
    const std::optional<reading::Span> was =
        current_ >= 0 ? std::optional(matches_[std::size_t(current_)]) : std::nullopt;
    std::vector<reading::Span> kept;
    kept.reserve(matches_.size());
    current_ = -1;
    for (const reading::Span& match : matches_) {
        const qsizetype end = match.start + match.length;
        if (match.start < position + removed && end > position)
            continue;
        if (was && *was == match)
            current_ = int(kept.size());
        kept.push_back(match.start >= position + removed
                           ? reading::Span{match.start + added - removed, match.length}
                           : match);
    }
    matches_ = std::move(kept);
    if (finder_.isEmpty())
        return;
    if (document_->characterCount() <= SyncLimit || !waiting_) {
        start();
    } else {
        again_ = true;
        if (box_)
            box_->postLayout().marksChanged();
        emit changed();
    }
}

void PostSearch::select(int index) {
    current_ = index;
    if (box_ && index >= 0)
        selectSpan(*box_, matches_[std::size_t(index)]);
    if (box_)
        box_->postLayout().marksChanged();
    emit changed();
}

bool PostSearch::next() {
    if (matches_.empty() || !box_)
        return false;
    const QTextCursor cursor = box_->textCursor();
    const qsizetype from = cursor.selectionStart() + (cursor.hasSelection() ? 1 : 0);
    const auto after =
        std::lower_bound(matches_.begin(), matches_.end(), from,
                         [](const reading::Span& match, qsizetype at) { return match.start < at; });
    select(after == matches_.end() ? 0 : int(after - matches_.begin()));
    return true;
}

bool PostSearch::previous() {
    if (matches_.empty() || !box_)
        return false;
    const qsizetype before = box_->textCursor().selectionStart();
    const auto after =
        std::lower_bound(matches_.begin(), matches_.end(), before,
                         [](const reading::Span& match, qsizetype at) { return match.start < at; });
    select(after == matches_.begin() ? int(matches_.size()) - 1
                                     : int(after - matches_.begin()) - 1);
    return true;
}

bool PostSearch::replace(const QString& replacement) {
    if (!box_)
        return false;
    if (current_ < 0 || !isSelected(*box_, matches_[std::size_t(current_)]))
        return next();
    QTextCursor cursor = box_->textCursor();
    post::insert(cursor, replacement);
    box_->setTextCursor(cursor);
    next();
    return true;
}

int PostSearch::replaceAll(const QString& replacement) {
    if (!box_ || finder_.isEmpty())
        return 0;
    // The matches as they are, unless a worker is still at them (then found
    // afresh in the post as it is now), replaced from the last to the first
    // inside one edit block: one step of the undo history, and one change for
    // the box to lay out, from the first match to the last. (Measured on 1 MiB
    // of lines: one edit of that whole stretch costs twice the processor time,
    // as Qt takes apart and makes again every line in it, changed or not.)
    const std::vector<reading::Span> found =
        isBehind() ? finder_.findAll(post::text(*document_)) : matches_;
    if (found.empty())
        return 0;
    QTextCursor cursor(document_);
    QTextCursor after; // the end of the last replacement, moved by the edits before it
    cursor.beginEditBlock();
    for (std::size_t i = found.size(); i-- > 0;) {
        const reading::Span& match = found[i];
        cursor.setPosition(int(match.start));
        cursor.setPosition(int(match.start + match.length), QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
        if (after.isNull())
            after = QTextCursor(cursor);
    }
    cursor.endEditBlock();
    document_->setModified(false); // what is typed next is a step of its own
    box_->setTextCursor(after);
    return int(found.size());
}

QString PostSearch::counter() const {
    if (isBehind())
        return QStringLiteral("جارٍ البحث…");
    return QStringLiteral("%1 من %2").arg(current_ + 1).arg(matches_.size());
}

QList<QTextLayout::FormatRange> PostSearch::highlights(const QTextBlock& block) const {
    QList<QTextLayout::FormatRange> ranges;
    const qsizetype start = block.position();
    const qsizetype end = start + block.length();
    auto match = std::lower_bound(
        matches_.begin(), matches_.end(), start,
        [](const reading::Span& m, qsizetype at) { return m.start + m.length <= at; });
    QTextCharFormat found;
    found.setBackground(QColor(0xfc, 0xe9, 0x4f));
    found.setForeground(Qt::black);
    QTextCharFormat current = found;
    current.setBackground(QColor(0xf5, 0x79, 0x00));
    current.setFontUnderline(true);
    for (; match != matches_.end() && match->start < end; ++match) {
        const bool isCurrent = current_ >= 0 && match - matches_.begin() == current_;
        ranges.append({int(match->start - start), int(match->length), isCurrent ? current : found});
    }
    return ranges;
}

namespace {

// The window's content: what to find, what to put instead, the commands and the
// three choices, from right to left.
class FindPanel : public QWidget {
public:
    FindPanel(postbox::PostBox& box, QWidget* parent)
        : QWidget(parent)
        , search_(new PostSearch(box))
        , needle_(new QLineEdit(this))
        , replacement_(new QLineEdit(this))
        , exact_(new QCheckBox(QStringLiteral("طابق الأحرف كما كُتبت"), this))
        , wholeWords_(new QCheckBox(QStringLiteral("كلمات كاملة فقط"), this))
        , textOnly_(
              new QCheckBox(QStringLiteral("في النص وحده، دون الوسوم والوجوه والروابط"), this))
        , counter_(new QLabel(this)) {
        search_->setParent(this);
        setLayoutDirection(Qt::RightToLeft);
        const FindChoices& choices = findChoices();
        needle_->setObjectName(QStringLiteral("needle"));
        needle_->setText(choices.needle);
        replacement_->setObjectName(QStringLiteral("replacement"));
        replacement_->setText(choices.replacement);
        exact_->setObjectName(QStringLiteral("exact"));
        exact_->setChecked(choices.options.exact);
        exact_->setToolTip(QStringLiteral("دون ذلك تُهمَل الحركات والتطويل، وتطابق أ وإ وآ "
                                          "وٱ الألفَ، وى الياءَ، والحروف اللاتينية بأي حالة"));
        wholeWords_->setObjectName(QStringLiteral("wholeWords"));
        wholeWords_->setChecked(choices.options.wholeWords);
        textOnly_->setObjectName(QStringLiteral("textOnly"));
        textOnly_->setChecked(choices.options.textOnly);
        counter_->setObjectName(QStringLiteral("counter"));

        auto* findLabel = new QLabel(QStringLiteral("ابحث &عن:"), this);
        findLabel->setBuddy(needle_);
        needle_->setAccessibleName(QStringLiteral("ابحث عن"));
        auto* replaceLabel = new QLabel(QStringLiteral("&استبدل بـ:"), this);
        replaceLabel->setBuddy(replacement_);
        replacement_->setAccessibleName(QStringLiteral("استبدل بـ"));

        const auto button = [this](const char* name, const QString& text) {
            auto* made = new QPushButton(text, this);
            made->setObjectName(QString::fromLatin1(name));
            made->setAutoDefault(false);
            return made;
        };
        QPushButton* next = button("next", QStringLiteral("التالي"));
        next->setToolTip(QStringLiteral("F3، أو Enter في مربع البحث"));
        QPushButton* previous = button("previous", QStringLiteral("السابق"));
        previous->setToolTip(QStringLiteral("Shift+F3"));
        QPushButton* replace = button("replace", QStringLiteral("استبدال"));
        replace->setToolTip(QStringLiteral("Enter في مربع الاستبدال"));
        QPushButton* replaceAll = button("replaceAll", QStringLiteral("استبدال الكل"));

        auto* grid = new QGridLayout(this);
        grid->addWidget(findLabel, 0, 0);
        grid->addWidget(needle_, 0, 1);
        grid->addWidget(next, 0, 2);
        grid->addWidget(replaceLabel, 1, 0);
        grid->addWidget(replacement_, 1, 1);
        grid->addWidget(previous, 1, 2);
        grid->addWidget(exact_, 2, 0, 1, 2);
        grid->addWidget(replace, 2, 2);
        grid->addWidget(wholeWords_, 3, 0, 1, 2);
        grid->addWidget(replaceAll, 3, 2);
        grid->addWidget(textOnly_, 4, 0, 1, 2);
        grid->addWidget(counter_, 4, 2, Qt::AlignCenter);
        grid->setColumnMinimumWidth(1, 220);

        // The order a reader reads them in: the two boxes, the choices, the commands.
        const QList<QWidget*> order = {needle_, replacement_, exact_,  wholeWords_, textOnly_,
                                       next,    previous,     replace, replaceAll};
        for (qsizetype i = 1; i < order.size(); ++i)
            setTabOrder(order[i - 1], order[i]);

        connect(needle_, &QLineEdit::textChanged, this, &FindPanel::searchAgain);
        connect(replacement_, &QLineEdit::textChanged, this,
                [](const QString& text) { findChoices().replacement = text; });
        for (QCheckBox* choice : {exact_, wholeWords_, textOnly_})
            connect(choice, &QCheckBox::toggled, this, &FindPanel::searchAgain);
        connect(needle_, &QLineEdit::returnPressed, search_, &PostSearch::next);
        connect(replacement_, &QLineEdit::returnPressed, this, &FindPanel::replaceOne);
        connect(next, &QPushButton::clicked, search_, &PostSearch::next);
        connect(previous, &QPushButton::clicked, search_, &PostSearch::previous);
        connect(replace, &QPushButton::clicked, this, &FindPanel::replaceOne);
        connect(replaceAll, &QPushButton::clicked, this, [this] {
            const int count = search_->replaceAll(replacement_->text());
            screens::tellDone(counter_, QStringLiteral("استُبدل %1").arg(count));
        });
        connect(search_, &PostSearch::changed, this, [this] {
            counter_->setText(search_->counter());
            counter_->setAccessibleName(counter_->text());
        });
        for (const auto& [key, forwards] :
             {std::pair{QKeySequence(Qt::Key_F3), true},
              std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F3), false}}) {
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, search_,
                    forwards ? &PostSearch::next : &PostSearch::previous);
        }
        searchAgain();
    }

    PostSearch& search() const { return *search_; }
    QLineEdit* needle() const { return needle_; }
    QLineEdit* replacement() const { return replacement_; }

private:
    void searchAgain() {
        FindChoices& choices = findChoices();
        choices.needle = needle_->text();
        choices.options = {.exact = exact_->isChecked(),
                           .wholeWords = wholeWords_->isChecked(),
                           .textOnly = textOnly_->isChecked()};
        search_->search(choices.needle, choices.options);
    }

    void replaceOne() { search_->replace(replacement_->text()); }

    PostSearch* search_;
    QLineEdit* needle_;
    QLineEdit* replacement_;
    QCheckBox* exact_;
    QCheckBox* wholeWords_;
    QCheckBox* textOnly_;
    QLabel* counter_;
};

postbox::PostBox& postBox(Registry& registry) {
    return registry.instance(names::MainWindow).control<postbox::PostBox>(names::main::PostBox);
}

FindPanel* panelOf(Registry& registry) {
    ScreenInstance& screen = registry.instance(FindScreen);
    // The panel has no meta-object of its own: found by its name.
    return screen.isLoaded() ? static_cast<FindPanel*>(
                                   screen.window()->findChild<QWidget*>(QStringLiteral("find")))
                             : nullptr;
}

// Opens the window (or brings it forward) with the keyboard in one of its boxes,
// the box's selection of one line taken as what to find.
void openFind(Registry& registry, bool replacing) {
    postbox::PostBox& box = postBox(registry);
    const QTextCursor cursor = box.textCursor();
    if (cursor.hasSelection() && cursor.selectionEnd() - cursor.selectionStart() <= 200) {
        QString selected = cursor.selectedText();
        if (!selected.contains(QChar::ParagraphSeparator) &&
            !selected.contains(QChar::LineSeparator))
            findChoices().needle = selected;
    }
    ScreenInstance& screen = registry.instance(FindScreen);
    const bool wasLoaded = screen.isLoaded();
    screen.show();
    FindPanel* panel = panelOf(registry);
    if (!panel)
        return;
    if (wasLoaded && panel->needle()->text() != findChoices().needle)
        panel->needle()->setText(findChoices().needle);
    QLineEdit* into =
        replacing && !panel->needle()->text().isEmpty() ? panel->replacement() : panel->needle();
    into->setFocus(Qt::ShortcutFocusReason);
    into->selectAll();
}

// F3 and Shift+F3 in the post box: on through the window's matches while it is
// open; once it is closed, to the next match of what it looked for last, found
// in the post as it is; the window opens when nothing was looked for yet.
void findAgain(Registry& registry, bool forwards) {
    const FindChoices& choices = findChoices();
    if (FindPanel* panel = panelOf(registry)) {
        if (forwards)
            panel->search().next();
        else
            panel->search().previous();
        return;
    }
    if (choices.needle.isEmpty()) {
        openFind(registry, false);
        return;
    }
    postbox::PostBox& box = postBox(registry);
    const find::Finder finder(choices.needle, choices.options);
    const QString text = post::text(*box.document());
    const QTextCursor cursor = box.textCursor();
    std::optional<reading::Span> found;
    if (forwards) {
        found = finder.findFrom(text, cursor.selectionStart() + (cursor.hasSelection() ? 1 : 0));
        if (!found)
            found = finder.findFrom(text, 0);
    } else {
        const std::vector<reading::Span> all = finder.findAll(text);
        const auto before = std::lower_bound(
            all.begin(), all.end(), cursor.selectionStart(),
            [](const reading::Span& match, qsizetype at) { return match.start < at; });
        if (!all.empty())
            found = before == all.begin() ? all.back() : *(before - 1);
    }
    if (found)
        selectSpan(box, *found);
}

// Beside the main window, where it hides none of the post.
void placeBeside(QWidget& window, const QWidget* mainWindow) {
    constexpr int Gap = 8;
    if (!mainWindow || !mainWindow->isVisible())
        return;
    window.adjustSize();
    const QRect main = mainWindow->frameGeometry();
    const QRect room = mainWindow->screen() ? mainWindow->screen()->availableGeometry() : QRect();
    const int width = window.frameGeometry().width();
    if (main.right() + Gap + width <= room.right())
        window.move(main.right() + 1 + Gap, main.top());
    else if (main.left() - Gap - width >= room.left())
        window.move(main.left() - Gap - width, main.top());
    else
        window.move(main.left(), main.bottom() + 1 + Gap);
}

} // namespace

void addFindWindow(Registry& registry) {
    registry.addScreen(FindScreen, [&registry] {
        auto window = std::make_unique<screens::ScreenWindow>();
        window->setDialog(true);
        window->setWindowTitle(QStringLiteral("بحث واستبدال"));
        window->setWindowIcon(screens::windowIcon());
        postbox::PostBox& box = postBox(registry);
        auto* panel = new FindPanel(box, window->client());
        panel->setObjectName(QStringLiteral("find"));
        auto* layout = new QVBoxLayout(window->client());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(panel);
        placeBeside(*window, registry.instance(names::MainWindow).window());
        // Esc, or the close box: back to the post, the caret at the match.
        QObject::connect(window.get(), &screens::ScreenWindow::closedThroughFrame, &box,
                         [&registry] {
                             ScreenInstance& main = registry.instance(names::MainWindow);
                             if (!main.isShown())
                                 return;
                             main.window()->raise();
                             main.window()->activateWindow();
                             postBox(registry).setFocus(Qt::OtherFocusReason);
                         });
        return window;
    });
}

void addFindCommands(Registry& registry, ScreenInstance& mainWindow) {
    screens::ScreenWindow* window = mainWindow.window();
    QMenu* menu = window->menu(QStringLiteral("&تحرير"));
    menu->setObjectName(QStringLiteral("edit"));
    screens::setRightToLeft(menu);
    struct Command {
        const char* name;
        QString text;
        QKeySequence key;
        std::function<void()> run;
    };
    const Command commands[] = {
        {"find", QStringLiteral("بحث…"), QKeySequence(Qt::CTRL | Qt::Key_F),
         [&registry] { openFind(registry, false); }},
        {"replace", QStringLiteral("استبدال…"), QKeySequence(Qt::CTRL | Qt::Key_H),
         [&registry] { openFind(registry, true); }},
        {"findNext", QStringLiteral("البحث عن التالي"), QKeySequence(Qt::Key_F3),
         [&registry] { findAgain(registry, true); }},
        {"findPrevious", QStringLiteral("البحث عن السابق"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
         [&registry] { findAgain(registry, false); }},
    };
    for (const Command& command : commands) {
        QAction* item = menu->addAction(command.text);
        item->setObjectName(QString::fromLatin1(command.name));
        item->setShortcut(command.key);
        QObject::connect(item, &QAction::triggered, window,
                         [&registry, run = command.run] { registry.run(run); });
    }
}

} // namespace qirtaz
