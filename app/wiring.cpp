// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/wiring.h"

#include "app/commands.h"
#include "dialogs/dialogs.h"
#include "postbox/post_box.h"
#include "screens/controls.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QTranslator>

#include <memory>

namespace qirtaz {

Q_LOGGING_CATEGORY(appLog, "qirtaz.app")

void bindAll(Registry& registry) {
    screens::setMultiLineMaker([](QWidget* parent) { return new postbox::PostBox(parent); });
    bindMainWindow(registry);
    bindLinkDialogs(registry);
    bindQuoteDialogs(registry);
    bindColourPicker(registry);
    bindSizePicker(registry);
}

void speakArabic() {
    static QPointer<QTranslator> arabic;
    if (!arabic) {
        // Built into the program from Qt's own translation, so that it speaks
        // Arabic wherever it runs.
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (translator->load(QStringLiteral(":/translations/qtbase_ar.qm")))
            QCoreApplication::installTranslator(arabic = translator.release());
        else
            qCWarning(shellLog, "Qt's Arabic translation did not load: its own buttons and "
                                "menus read in English");
    }
    // The translation also declares the whole application right to left, which
    // would mirror every control's position on every screen. The screens were
    // drawn left to right; each sets its own reading order where it needs one.
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
}

void start(Registry& registry) {
    registry.instance(QString::fromLatin1(screens::allScreens().front().name)).show();
}

} // namespace qirtaz
