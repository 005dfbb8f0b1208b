// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/wiring.h"
#include "screens/font_configuration.h"
#include "screens/pictures.h"
#include "shell/registry.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    qirtaz::screens::readFontConfigurationAhead();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qirtaz"));
    qirtaz::speakArabic();
    // Ties the windows to the menu entry the package installs.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Qirtaz"));
    // The screens carry it themselves; this gives it to the goodbye message too.
    QApplication::setWindowIcon(qirtaz::screens::windowIcon());
    // The run lasts while any screen is loaded, shown or not; the registry says when it is over.
    QApplication::setQuitOnLastWindowClosed(false);

    qirtaz::Registry registry;
    QObject::connect(&registry, &qirtaz::Registry::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    qirtaz::bindAll(registry);
    qirtaz::start(registry);
    return QApplication::exec();
}
