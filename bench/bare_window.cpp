// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for the program's start: the least a Qt Widgets program does
// to put one window on screen, and, with "--text", the same window with a menu
// bar and one line of Arabic text, which any window with words on it pays for
// (the font configuration read, a font found for the script, the menu bar's
// own pictures looked up).

#include "bench/shown.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qirtaz::bench::ReportWhenShown report;
    app.installEventFilter(&report);
    QWidget window;
    window.resize(640, 480);
    if (QCoreApplication::arguments().contains(QStringLiteral("--text"))) {
        auto* layout = new QVBoxLayout(&window);
        layout->setMenuBar(new QMenuBar(&window));
        layout->addWidget(new QLabel(QStringLiteral("مرحبا بكم"), &window));
    }
    window.show();
    return QApplication::exec();
}
