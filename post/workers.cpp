// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/workers.h"

namespace qirtaz {

QThreadPool& workers() {
    static QThreadPool pool;
    return pool;
}

} // namespace qirtaz
