// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/view_menu.h"

#include "postbox/post_box.h"
#include "screens/controls.h"

#include <QAction>
#include <QMenu>

namespace qirtaz {

void addViewItems(screens::ScreenWindow& window, QMenu& menu, postbox::PostBox& box) {
    // The box's frame is what sits in the client area.
    QWidget* grows = &box;
    while (grows->parentWidget() && grows->parentWidget() != window.client())
        grows = grows->parentWidget();
    window.letGrow(grows);

    menu.addSeparator();
    auto* wrap = menu.addAction(QStringLiteral("التفاف الأسطر"));
    wrap->setObjectName(QStringLiteral("wrap"));
    wrap->setCheckable(true);
    wrap->setChecked(box.wraps());
    wrap->setShortcut(QKeySequence(Qt::Key_F6));
    QObject::connect(wrap, &QAction::toggled, &box, &postbox::PostBox::setWrapping);

    const auto zoom = screens::addZoom(window, &menu, [&box](qreal scale) { box.setScale(scale); });
    QObject::connect(&box, &postbox::PostBox::zoomAsked, &box, zoom);
}

} // namespace qirtaz
