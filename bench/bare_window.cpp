// The yardstick for the program's start: the least a Qt Widgets program does
// to put one window on screen.

#include "bench/shown.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qirtaz::bench::ReportWhenShown report;
    app.installEventFilter(&report);
    QWidget window;
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
