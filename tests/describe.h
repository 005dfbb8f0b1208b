// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "board/board.h"

#include <QString>

namespace qirtaz::testing {

// The board's reading of a post as compact text, e.g.
// "rtl{b:'مرحبا' ' ' link(http://x):'P' (sad)} quote{ltr{!'[foo]'}}".
QString describe(const board::Parsed& parsed);

} // namespace qirtaz::testing
