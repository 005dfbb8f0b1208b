// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spelling/post_checker.h"

#include "post/idle_turn.h"
#include "spelling/speller.h"
#include "spelling/words.h"

#include <QSet>
#include <QTextDocument>

#include <algorithm>

namespace qirtaz::spelling {
namespace {

using reading::Span;

// Lines longer than this are left unchecked: no board takes one, and the
// window's thread would copy and hash it on every paint.
constexpr int LongestLine = 64 * 1024;
// What one step of the window's thread gathers, at most, for the worker.
constexpr qsizetype BatchChars = 4096;
constexpr qint64 StepNs = 2'000'000;
// A line changed, not yet checked again, keeps its marks this long at most.
constexpr qsizetype LongestCarried = 4096;
constexpr qsizetype MostShown = 1024;

// The marks of a line before a change that the change left whole, where they
// stand in the line after it: those before the first character changed and
// those after the last, each still a whole word.
std::vector<Span> carried(QStringView before, const std::vector<Span>& marks, QStringView after) {
    if (after.size() > LongestCarried)
        return {};
    const qsizetype shortest = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shortest && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const qsizetype shift = after.size() - before.size();
    const std::vector<Word> now = words(after);
    std::vector<Span> kept;
    for (const Span& mark : marks) {
        Span moved = mark;
        if (mark.start >= before.size() - tail)
            moved.start += shift;
        else if (mark.start + mark.length > head)
            continue;
        if (std::any_of(now.begin(), now.end(), [&](const Word& w) { return w.span == moved; }))
            kept.push_back(moved);
    }
    return kept;
}

} // namespace

PostChecker::PostChecker(QTextDocument* document, Speller& speller)
    : QObject(document)
    , speller_(speller)
    , blockCount_(document->blockCount()) {
    work_.setSingleShot(true);
    work_.setInterval(0);
    connect(&work_, &QTimer::timeout, this, &PostChecker::step);
    connect(&answer_, &QFutureWatcherBase::finished, this, &PostChecker::answered);
    connect(document, &QTextDocument::contentsChange, this, &PostChecker::changed);
    connect(&speller_, &Speller::ready, this, [this] {
        startPass();
        emit marksChanged();
    });
    connect(&speller_, &Speller::changed, this, [this] {
        if (isOn())
            startPass(); // what changed while it was off
        emit marksChanged();
    });
    if (isOn())
        startPass();
}

PostChecker::~PostChecker() = default;

PostChecker* PostChecker::of(const QTextDocument& document) {
    return document.findChild<PostChecker*>(QString(), Qt::FindDirectChildrenOnly);
}

void PostChecker::setView(View view) {
    view_ = std::move(view);
}

void PostChecker::caretMoved() {
    if (typedEnd_ >= 0 && view_.caret && view_.caret() != typedEnd_) {
        typedEnd_ = -1;
        emit marksChanged();
    }
}

QTextDocument* PostChecker::document() const {
    return static_cast<QTextDocument*>(parent());
}

bool PostChecker::isOn() const {
    return speller_.isReady() && speller_.isEnabled();
}

std::vector<Span> PostChecker::marks(const QTextBlock& block) {
    if (!isOn() || block.length() - 1 > LongestLine || block.length() <= 1)
        return {};
    const int line = block.blockNumber();
    const QString text = block.text();
    std::vector<Span> raw;
    if (const auto found = checked_.find(text); found != checked_.end()) {
        raw = found->wrong;
        found->pass = pass_;
    } else {
        if (std::find(wanted_.begin(), wanted_.end(), line) == wanted_.end())
            wanted_.push_back(line);
        schedule();
        if (const auto shown = shown_.constFind(line); shown != shown_.cend())
            raw = carried(shown->text, shown->marks, text);
    }
    if (shown_.size() >= MostShown)
        shown_.clear();
    shown_.insert(line, {text, raw});
    return visible(std::move(raw), text, block.position());
}

std::optional<Span> PostChecker::markAt(int position) const {
    const QTextBlock block = document()->findBlock(position);
    if (!isOn() || !block.isValid() || block.length() - 1 > LongestLine)
        return std::nullopt;
    const QString text = block.text();
    const auto found = checked_.constFind(text);
    if (found == checked_.cend())
        return std::nullopt;
    const int inLine = position - block.position();
    for (const Span& mark : visible(found->wrong, text, block.position()))
        if (mark.start <= inLine && inLine < mark.start + mark.length)
            return Span{block.position() + mark.start, mark.length};
    return std::nullopt;
}

std::vector<Span> PostChecker::visible(std::vector<Span> marks, QStringView text,
                                       int linePosition) const {
    const int typing = typedEnd_ >= 0 && view_.caret && view_.caret() == typedEnd_ ? typedEnd_ : -1;
    std::erase_if(marks, [&](const Span& mark) {
        return linePosition + mark.start + mark.length == typing ||
               speller_.isIgnored(text.sliced(mark.start, mark.length));
    });
    return marks;
}

bool PostChecker::isSettled() const {
    return !isOn() || (!asking_ && wanted_.empty() && dirtyFrom_ < 0 && passLeft_ == 0);
}

void PostChecker::changed(int position, int removed, int added) {
    // One character (or a pair of surrogates) typed.
    typedEnd_ = removed == 0 && added > 0 && added <= 2 ? position + added : -1;
    const QTextDocument* doc = document();
    const int count = doc->blockCount();
    const int grew = std::max(0, count - blockCount_);
    blockCount_ = count;
    const QTextBlock last = doc->findBlock(position + added);
    const int first = doc->findBlock(position).blockNumber();
    const int to = last.isValid() ? last.blockNumber() : count - 1;
    // One range of lines to look at again, never too small: lines after a
    // change that added lines moved down by as many.
    if (dirtyFrom_ < 0) {
        dirtyFrom_ = first;
        dirtyTo_ = to;
    } else {
        if (dirtyTo_ >= first)
            dirtyTo_ += grew;
        dirtyFrom_ = std::min(dirtyFrom_, first);
        dirtyTo_ = std::max(dirtyTo_, to);
    }
    // Answers for lines that are gone go with the next pass over the post.
    if (passLeft_ == 0 && checked_.size() > 2 * qsizetype(count) + 512)
        startPass();
    schedule();
}

void PostChecker::startPass() {
    ++pass_;
    passLeft_ = document()->blockCount();
    passNext_ = view_.firstShown ? std::clamp(view_.firstShown(), 0, passLeft_ - 1) : 0;
    schedule();
}

void PostChecker::setShelved(bool shelved) {
    shelved_ = shelved;
    if (shelved)
        work_.stop();
    else
        schedule();
}

void PostChecker::schedule() {
    if (isOn() && !asking_ && !shelved_ && !work_.isActive())
        work_.start();
}

void PostChecker::step() {
    if (!isOn() || asking_ || shelved_)
        return;
    const idle::Step step(StepNs);
    QTextDocument* doc = document();
    QStringList batch;
    std::vector<int> lines;
    QSet<QString> inBatch;
    qsizetype chars = 0;
    const auto full = [&] { return chars >= BatchChars || step.over(); };
    const auto consider = [&](const QTextBlock& block, int line) {
        if (block.length() <= 1 || block.length() - 1 > LongestLine)
            return;
        QString text = block.text();
        if (const auto found = checked_.find(text); found != checked_.end()) {
            found->pass = pass_;
            return;
        }
        if (inBatch.contains(text))
            return;
        chars += text.size();
        inBatch.insert(text);
        batch << std::move(text);
        lines.push_back(line);
    };

    while (!wanted_.empty() && !full()) {
        const int line = wanted_.back();
        wanted_.pop_back();
        const QTextBlock block = doc->findBlockByNumber(line);
        if (block.isValid())
            consider(block, line);
    }
    if (dirtyFrom_ >= 0) {
        int line = dirtyFrom_;
        QTextBlock block = doc->findBlockByNumber(line);
        for (; block.isValid() && line <= dirtyTo_ && !full(); block = block.next(), ++line)
            consider(block, line);
        dirtyFrom_ = block.isValid() && line <= dirtyTo_ ? line : -1;
    }
    if (passLeft_ > 0) {
        int line = passNext_;
        QTextBlock block = doc->findBlockByNumber(line);
        while (passLeft_ > 0 && !full()) {
            if (!block.isValid()) {
                block = doc->begin();
                line = 0;
            }
            consider(block, line);
            --passLeft_;
            block = block.next();
            ++line;
        }
        passNext_ = block.isValid() ? line : 0;
        if (passLeft_ == 0)
            prune();
    }

    if (batch.isEmpty()) {
        if (!isSettled())
            work_.start();
        return;
    }
    batch_ = batch;
    batchLines_ = std::move(lines);
    asking_ = true;
    answer_.setFuture(speller_.check(std::move(batch)));
}

void PostChecker::answered() {
    asking_ = false;
    if (answer_.future().resultCount() == 0) { // cancelled: the program is ending
        batch_.clear();
        batchLines_.clear();
        return;
    }
    const Misspelt misspelt = answer_.result();
    bool redraw = false;
    for (qsizetype i = 0; i < batch_.size() && i < qsizetype(misspelt.size()); ++i) {
        const std::vector<Span>& wrong = misspelt[std::size_t(i)];
        checked_.insert(batch_[i], {wrong, pass_});
        const auto shown = shown_.constFind(batchLines_[std::size_t(i)]);
        if (shown != shown_.cend() && shown->text == batch_[i] && shown->marks != wrong)
            redraw = true;
    }
    linesChecked_ += batch_.size();
    batch_.clear();
    batchLines_.clear();
    if (redraw)
        emit marksChanged();
    if (!isSettled())
        schedule();
}

void PostChecker::prune() {
    for (auto i = checked_.begin(); i != checked_.end();)
        i = i->pass == pass_ ? std::next(i) : checked_.erase(i);
}

std::optional<Span> misspeltWordAt(const QTextDocument& document, int position) {
    const PostChecker* checker = PostChecker::of(document);
    return checker ? checker->markAt(position) : std::nullopt;
}

} // namespace qirtaz::spelling
