// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qirtaz {
class Registry;
class ScreenInstance;

// The main window's menu "المنتدى": one item for each board the preview can
// follow, one of them ticked, the default at start. Choosing one makes the
// preview read the post as that board does and the link dialog close its link
// as that board reads it, until the program ends; nothing is kept.
void addBoardMenu(Registry& registry, ScreenInstance& mainWindow);

} // namespace qirtaz
