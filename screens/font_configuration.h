// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's font configuration, read ahead. Reading it (fontconfig's own
// start: its XML files and its caches) is the largest part of what any window
// with a word on it pays before it can show, and none of it needs Qt: a thread
// of its own reads it while the application and the first window are made,
// and the first window waits for it just before it measures any text. Qt's
// font database then finds the configuration read; fontconfig keeps one for
// the whole process and reads it for any thread that asks first.

namespace qirtaz::screens {

// Starts the reading. Call it first thing in main, before the application.
void readFontConfigurationAhead();

// Waits for the reading started above, if one was; at once otherwise.
void awaitFontConfiguration();

} // namespace qirtaz::screens
