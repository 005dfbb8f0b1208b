// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spelling/speller.h"

#include "spelling/dictionaries.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>
#include <QtConcurrent>

namespace qirtaz::spelling {
namespace {

constexpr int MostSuggestions = 6;
// A suggestion is waited for by a user with a menu open; the checking of lines
// can wait for it.
constexpr int SuggestionPriority = 1;

template <class T> QFuture<T> answered(T value) {
    QPromise<T> promise;
    promise.start();
    promise.addResult(std::move(value));
    promise.finish();
    return promise.future();
}

} // namespace

Speller& Speller::instance() {
    static QPointer<Speller> speller;
    if (!speller)
        speller = new Speller(Dictionaries::standardFolders(), QCoreApplication::instance());
    return *speller;
}

Speller::Speller(QStringList folders, QObject* parent)
    : QObject(parent)
    , folders_(std::move(folders)) {
    // One thread: each dictionary is used by one thread at a time.
    pool_.setMaxThreadCount(1);
}

Speller::~Speller() {
    pool_.waitForDone();
}

void Speller::load() {
    if (loading_)
        return;
    loading_ = true;
    auto* watcher = new QFutureWatcher<QStringList>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        missing_ = watcher->result();
        ready_ = true;
        watcher->deleteLater();
        emit ready();
    });
    watcher->setFuture(QtConcurrent::task([this] {
                           dictionaries_ = std::make_unique<Dictionaries>(folders_);
                           return dictionaries_->missing();
                       })
                           .onThreadPool(pool_)
                           .spawn());
}

QFuture<Misspelt> Speller::check(QStringList lines) {
    if (!ready_)
        return answered(Misspelt(std::size_t(lines.size())));
    return QtConcurrent::task([dictionaries = dictionaries_.get(), lines = std::move(lines)] {
               Misspelt found;
               found.reserve(std::size_t(lines.size()));
               for (const QString& line : lines) {
                   std::vector<reading::Span>& wrong = found.emplace_back();
                   for (const Word& word : words(line))
                       if (!dictionaries->isCorrect(
                               QStringView(line).sliced(word.span.start, word.span.length),
                               word.script))
                           wrong.push_back(word.span);
               }
               return found;
           })
        .onThreadPool(pool_)
        .spawn();
}

QFuture<QStringList> Speller::suggestions(const QString& word) {
    if (const auto known = suggested_.constFind(word); known != suggested_.cend())
        return answered(*known);
    const std::vector<Word> found = words(word);
    if (!ready_ || found.size() != 1 || found.front().span.length != word.size())
        return answered(QStringList());
    return QtConcurrent::task(
               [dictionaries = dictionaries_.get(), word, script = found.front().script] {
                   return dictionaries->suggestions(word, script, MostSuggestions);
               })
        .onThreadPool(pool_)
        .withPriority(SuggestionPriority)
        .spawn()
        .then(this, [this, word](const QStringList& suggestions) {
            suggested_.insert(word, suggestions);
            return suggestions;
        });
}

void Speller::ignore(const QString& word) {
    if (!ignored_.contains(word)) {
        ignored_.insert(word);
        emit changed();
    }
}

bool Speller::isIgnored(QStringView word) const {
    return !ignored_.isEmpty() && ignored_.contains(word.toString());
}

void Speller::setEnabled(bool on) {
    if (on != enabled_) {
        enabled_ = on;
        emit changed();
    }
}

} // namespace qirtaz::spelling
