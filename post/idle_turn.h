// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work the window's thread does while the program is idle, in steps: the post
// box shaping the lines out of view, the spelling gathering lines to check.
// Each kind runs off a timer of its own, and the event loop runs every timer
// that is due in the same turn, so two kinds of steps would hold the loop for
// the sum of their lengths, on top of whatever the turn did before them (the
// paint that shows a change). The steps of one turn share one allowance
// instead, counted from the start of the turn; each step still gets a sliver,
// so that idle work always moves on.

#include <QtGlobal>

namespace qirtaz::idle {

// How long one turn of the event loop may be held by idle work with what came
// before it in the turn.
constexpr qint64 TurnNs = 3'000'000;
// What a step may always take, however much of its turn is gone.
constexpr qint64 SliverNs = 300'000;

// One step of idle work, started when made.
class Step {
public:
    // limitNs: what this kind of step takes at most, within the turn's allowance.
    explicit Step(qint64 limitNs = TurnNs);
    // True once the step should stop: its own limit or the turn's allowance is
    // spent, and it has had its sliver.
    bool over() const;

private:
    qint64 start_ = 0;
    qint64 limit_ = 0;
};

// The clock the steps read, in nanoseconds; when the present turn of the event
// loop began on it (a thread without an event loop is in one long turn).
qint64 nowNs();
qint64 turnStartNs();
// Another clock in place of the steady one (nullptr: the steady one again), for
// a test to make time pass as it pleases.
using Clock = qint64 (*)();
void setClock(Clock clock);

} // namespace qirtaz::idle
