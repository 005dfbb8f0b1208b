// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the main window shows the post: a window that grows around the post
// box, lines that wrap when asked, lettering that zooms. Nothing of it is kept
// from one run to the next.

class QMenu;

namespace qirtaz {
namespace postbox {
class PostBox;
}
namespace screens {
class ScreenWindow;
}

// Lets the window grow around the box, and adds to the menu "التفاف الأسطر"
// (F6) and the box's zoom: larger (Ctrl+= and Ctrl++, or Ctrl and the wheel
// up), smaller (Ctrl+-, or the wheel down) and back (Ctrl+0).
void addViewItems(screens::ScreenWindow& window, QMenu& menu, postbox::PostBox& box);

} // namespace qirtaz
