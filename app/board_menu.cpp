// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/board_menu.h"

#include "board/preview.h"
#include "board/profile.h"
#include "dialogs/dialogs.h"
#include "screens/controls.h"
#include "shell/registry.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace qirtaz {

void addBoardMenu(Registry& registry, ScreenInstance& mainWindow) {
    screens::ScreenWindow* window = mainWindow.window();
    QMenu* menu = window->menu(QStringLiteral("&المنتدى"));
    menu->setObjectName(QStringLiteral("board"));
    screens::setRightToLeft(menu);
    // The menu is made again with the window; the choice outlives it.
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const board::Profile& profile : board::profiles()) {
        auto* item = new QAction(profile.name.toString(), group);
        item->setObjectName(QLatin1StringView(profile.key));
        item->setCheckable(true);
        item->setChecked(&profile == &chosenBoard());
        menu->addAction(item);
        QObject::connect(item, &QAction::triggered, window, [&registry, &profile] {
            dialogs::setLinkClose(profile.linkClose);
            chooseBoard(registry, profile);
        });
    }
}

} // namespace qirtaz
