// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own start, as app/main.cpp makes it, stopped as soon as the
// main window is on screen.

#include "app/wiring.h"
#include "bench/shown.h"
#include "screens/font_configuration.h"
#include "screens/pictures.h"
#include "shell/registry.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    qirtaz::screens::readFontConfigurationAhead();
    QApplication app(argc, argv);
    qirtaz::bench::ReportWhenShown report;
    app.installEventFilter(&report);
    QApplication::setApplicationName(QStringLiteral("Qirtaz"));
    qirtaz::speakArabic();
    QApplication::setWindowIcon(qirtaz::screens::windowIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    qirtaz::Registry registry;
    qirtaz::bindAll(registry);
    qirtaz::start(registry);
    return QApplication::exec();
}
