// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace qirtaz {
class Registry;

// The message the program says goodbye with.
QString exitMessage();

// True when leaving loses nothing the user wrote: the post is empty or the
// clipboard holds it exactly. Otherwise asks, and true when the user chose to
// leave all the same.
bool mayLeave(Registry& registry);

// Unless the user would rather keep an uncopied post (see mayLeave), shows the
// goodbye message and, once the user has dismissed it, ends the run.
void exitSequence(Registry& registry);

// The main window's commands: smileys, clear, copy, the openers of every
// dialog, exit, and the about item of the menu; and its load step.
void bindMainWindow(Registry& registry);

} // namespace qirtaz
