// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/idle_turn.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QPointer>

namespace qirtaz::idle {

namespace {

qint64 steadyNs() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.nsecsElapsed();
}

Clock clockNow = steadyNs;

struct Turn {
    QPointer<QAbstractEventDispatcher> watched;
    qint64 start = 0;
};

Turn& thisThreadsTurn() {
    thread_local Turn turn;
    return turn;
}

// The event loop tells of a turn's edges: it is about to wait for events, or
// it is awake again (before a turn that does not wait, or after one that did).
// A turn that waited counts from before the wait, which leaves the steps of a
// turn that a user's key woke their slivers only: that turn has the key's work.
Turn& turn() {
    Turn& turn = thisThreadsTurn();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && turn.watched != dispatcher) {
        turn.watched = dispatcher;
        turn.start = nowNs();
        const auto edge = [] { thisThreadsTurn().start = nowNs(); };
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, edge);
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, dispatcher, edge);
    }
    return turn;
}

} // namespace

qint64 nowNs() {
    return clockNow();
}

void setClock(Clock clock) {
    clockNow = clock ? clock : steadyNs;
}

qint64 turnStartNs() {
    return turn().start;
}

Step::Step(qint64 limitNs)
    : start_(nowNs())
    , limit_(limitNs) {
    (void)turn(); // the loop's turns counted from now on
}

bool Step::over() const {
    const qint64 now = nowNs();
    if (now - start_ < SliverNs)
        return false;
    return now - start_ >= limit_ || now - turnStartNs() >= TurnNs;
}

} // namespace qirtaz::idle
