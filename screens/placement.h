// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a screen's window opens. The layout sheets give every client area a
// place on a desktop of their own time; what matters to a user is how the
// dialogs stand to the main window. So the main window opens at its place (or
// centred, where the desktop is too small for that place), and every other
// screen at its place relative to the main window's, wherever the user has
// moved it, then moved onto the desktop where it would leave it.

#include "screens/catalogue.h"

#include <QPoint>
#include <QRect>

namespace qirtaz::screens {

class ScreenWindow;

// A window's whole extent, frame and menu bar included, around its client
// area's top-left corner (which is at 0, 0).
using Outline = QRect;

// Moves origin the least so that the outline around it lies on the desktop;
// where the window is larger than the desktop, its top-left corner stays on it.
QPoint keptOnto(QPoint origin, const Outline& outline, const QRect& desktop);

// The main window's client origin: its place in the layout sheet where the
// whole window fits the desktop there, else centred on the desktop.
QPoint mainWindowOrigin(const Screen& main, const Outline& outline, const QRect& desktop);

// Another screen's client origin: the main window's client origin moved by the
// difference of their places in the layout sheets, kept on the desktop.
QPoint screenOrigin(const Screen& screen, const Screen& main, QPoint mainOrigin,
                    const Outline& outline, const QRect& desktop);

// Puts a window that is about to be shown at its place. mainWindow is the main
// window where it is shown (it is then the reference, and its frame tells how
// large the frames are), nullptr where it is not; for the main window itself too.
void placeWindow(ScreenWindow& window, const Screen& screen, const ScreenWindow* mainWindow);

} // namespace qirtaz::screens
