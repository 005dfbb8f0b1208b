// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/placement.h"

#include "screens/controls.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

namespace qirtaz::screens {

QPoint keptOnto(QPoint origin, const Outline& outline, const QRect& desktop) {
    QRect whole = outline.translated(origin);
    // Right and bottom first, so that a window larger than the desktop ends
    // with its title bar and left edge on it, where the user can take it.
    if (whole.right() > desktop.right())
        whole.moveRight(desktop.right());
    if (whole.bottom() > desktop.bottom())
        whole.moveBottom(desktop.bottom());
    if (whole.left() < desktop.left())
        whole.moveLeft(desktop.left());
    if (whole.top() < desktop.top())
        whole.moveTop(desktop.top());
    return whole.topLeft() - outline.topLeft();
}

QPoint mainWindowOrigin(const Screen& main, const Outline& outline, const QRect& desktop) {
    const QPoint sheet = main.client.toPixels().topLeft();
    if (desktop.contains(outline.translated(sheet)))
        return sheet;
    const QPoint centred =
        desktop.topLeft() +
        QPoint((desktop.width() - outline.width()) / 2, (desktop.height() - outline.height()) / 2) -
        outline.topLeft();
    return keptOnto(centred, outline, desktop);
}

QPoint screenOrigin(const Screen& screen, const Screen& main, QPoint mainOrigin,
                    const Outline& outline, const QRect& desktop) {
    const QPoint offset = screen.client.toPixels().topLeft() - main.client.toPixels().topLeft();
    return keptOnto(mainOrigin + offset, outline, desktop);
}

void placeWindow(ScreenWindow& window, const Screen& screen, const ScreenWindow* mainWindow) {
    // The window's own size, menu bar included, before it is first shown.
    if (QLayout* layout = window.layout()) {
        layout->activate();
        // A window that may grow opens at its size as built all the same.
        if (layout->sizeConstraint() != QLayout::SetFixedSize)
            window.resize(window.sizeHint());
    }

    // A window manager adds its frame only once a window is shown; where the
    // main window is shown, its frame says how large the frames are.
    QMargins frame;
    if (mainWindow) {
        const QRect inside = mainWindow->geometry();
        const QRect outside = mainWindow->frameGeometry();
        frame = QMargins(inside.left() - outside.left(), inside.top() - outside.top(),
                         outside.right() - inside.right(), outside.bottom() - inside.bottom());
    }
    const QPoint client = window.client()->pos();
    const Outline outline = QRect(-client, window.size()).marginsAdded(frame);

    QScreen* display = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    const QRect desktop = display ? display->availableGeometry() : QRect(QPoint(), outline.size());

    const Screen& main = allScreens().front();
    QPoint origin;
    if (&screen == &main) {
        origin = mainWindowOrigin(main, outline, desktop);
    } else {
        const QPoint mainOrigin = mainWindow ? mainWindow->client()->mapToGlobal(QPoint(0, 0))
                                             : main.client.toPixels().topLeft();
        origin = screenOrigin(screen, main, mainOrigin, outline, desktop);
    }
    // The geometry of a top-level widget is its inside, without the frame.
    window.setGeometry(QRect(origin - client, window.size()));
}

} // namespace qirtaz::screens
