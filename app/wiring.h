// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puts the program together: every command of every screen bound to its control,
// Qt's own words in Arabic, and the main window shown.

#include "shell/registry.h"

#include <QLoggingCategory>

namespace qirtaz {

Q_DECLARE_LOGGING_CATEGORY(appLog)

// Binds every command of every screen, its keys, and the main window's load step.
void bindAll(Registry& registry);

// Qt's own words (standard buttons, the boxes' context menus) in Arabic, without
// turning the screens' layouts round: they stand as drawn, left to right.
void speakArabic();

// Shows the main window, the first screen of the registry.
void start(Registry& registry);

} // namespace qirtaz
