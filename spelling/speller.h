// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's spelling: the dictionaries, which load and are used in one
// worker thread of their own (hunspell is not safe from two threads, and its
// answers take from microseconds to a fifth of a second), the words the user
// chose to ignore, and whether checking is on. Nothing of it is written
// anywhere: the ignored words last until the program ends.
//
// Everything here is called from the window's thread; only hunspell's own work
// runs in the worker, which touches no font, layout or widget.

#include "post/reading.h"
#include "spelling/words.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <vector>

namespace qirtaz::spelling {

class Dictionaries;

// The misspelt words of each line checked, in the line's positions.
using Misspelt = std::vector<std::vector<reading::Span>>;

class Speller : public QObject {
    Q_OBJECT
public:
    // The program's own, over Debian's dictionaries, made on first use.
    static Speller& instance();

    explicit Speller(QStringList folders, QObject* parent = nullptr);
    // Waits for the worker to finish what it is doing.
    ~Speller() override;

    // Loads the dictionaries in the worker, the first time it is called;
    // ready() says when they are in.
    void load();
    bool isReady() const { return ready_; }
    // Once ready: the dictionaries that were not found, for the user
    // ("العربية (hunspell-ar)"); empty when every one is there.
    QStringList missing() const { return missing_; }

    // Checks lines in the worker. Before the dictionaries are in, nothing is misspelt.
    QFuture<Misspelt> check(QStringList lines);
    // Up to six suggestions for a word, in the dictionary's order, found in the
    // worker ahead of any checking waiting there; a word asked about before is
    // answered at once.
    QFuture<QStringList> suggestions(const QString& word);

    // Until the program ends.
    void ignore(const QString& word);
    bool isIgnored(QStringView word) const;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool on);

    // The worker's pool: one thread, which ends when idle for a while (tests shorten it).
    QThreadPool& pool() { return pool_; }

signals:
    void ready();
    // Checking was turned on or off, or a word is ignored now: the marks change.
    void changed();

private:
    QStringList folders_;
    QThreadPool pool_;
    std::unique_ptr<Dictionaries> dictionaries_; // the worker's alone once loading starts
    bool loading_ = false;
    bool ready_ = false;
    bool enabled_ = true;
    QStringList missing_;
    QSet<QString> ignored_;
    QHash<QString, QStringList> suggested_;
};

} // namespace qirtaz::spelling
