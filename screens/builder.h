// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "screens/catalogue.h"
#include "screens/controls.h"

#include <functional>
#include <memory>

namespace qirtaz::screens {

// Builds a screen's window from its catalogue entry: every control at its
// rectangle with its design values, front to back as listed, tab order by tab
// number, and the keyboard focus on the first control that can take it.
// Each control's object name is its name in the entry. The pictures and labels
// for which takesClicks says so take clicks (see Clicks).
std::unique_ptr<ScreenWindow> buildWindow(const Screen& screen,
                                          const std::function<bool(QStringView)>& takesClicks = {});

} // namespace qirtaz::screens
