// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The threads that do the program's pure work: the board's reading of the post
// for the preview, a search of a long post, the reading of a pasted page.
//
// They are a pool of their own, apart from Qt's global one, because Qt's
// painting borrows the global pool's threads to fill large areas and waits for
// them: a reading of megabytes queued before a paint's fills held the window
// for as long as the reading took (a quarter to half a second, on a busy
// machine, while a 20 MiB line was read twice).

#include <QThreadPool>

namespace qirtaz {

QThreadPool& workers();

} // namespace qirtaz
