// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/view_menu.h"

#include "postbox/post_box.h"
#include "screens/controls.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <array>
#include <memory>

namespace qirtaz {

qreal zoomScale(int step) {
    static constexpr std::array<qreal, LargestZoom - SmallestZoom + 1> scales = {
        0.5, 0.67, 0.8, 0.9, 1, 1.1, 1.25, 1.5, 1.75, 2, 2.5, 3};
    return scales[std::size_t(std::clamp(step, SmallestZoom, LargestZoom) - SmallestZoom)];
}

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

    auto step = std::make_shared<int>(0);
    const auto zoomTo = [&box, step](int to) {
        *step = std::clamp(to, SmallestZoom, LargestZoom);
        box.setScale(zoomScale(*step));
    };
    struct Item {
        const char* name;
        const char* caption;
        QList<QKeySequence> keys;
        int by; // 0: back to the box's own size
    };
    const Item items[] = {
        {"zoomIn",
         "تكبير الخط",
         {QKeySequence(QStringLiteral("Ctrl+=")), QKeySequence(QStringLiteral("Ctrl++"))},
         1},
        {"zoomOut", "تصغير الخط", {QKeySequence(QStringLiteral("Ctrl+-"))}, -1},
        {"zoomReset", "الحجم الأصلي للخط", {QKeySequence(QStringLiteral("Ctrl+0"))}, 0},
    };
    for (const Item& item : items) {
        auto* action = menu.addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QLatin1StringView(item.name));
        action->setShortcuts(item.keys);
        QObject::connect(action, &QAction::triggered, &box,
                         [zoomTo, step, by = item.by] { zoomTo(by == 0 ? 0 : *step + by); });
    }
    QObject::connect(&box, &postbox::PostBox::zoomAsked, &box,
                     [zoomTo, step](int steps) { zoomTo(*step + steps); });
}

} // namespace qirtaz
