// Saves every screen as the user sees it, menu bar included, one PNG per screen
// named after it, into the folder given (made if missing). For reviews and the
// README; run it offscreen:
//   QT_QPA_PLATFORM=offscreen build/tools/screenshots screenshots
// With --scale N each PNG is also saved N times larger, pixel for pixel, as
// <screen>-xN.png, to judge the small pictures.

#include "shell/registry.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    int scale = 1;
    if (const auto at = args.indexOf(QStringLiteral("--scale")); at >= 0 && at + 1 < args.size()) {
        scale = qMax(1, args.at(at + 1).toInt());
        args.remove(at, 2);
    }
    if (args.size() != 1) {
        std::fputs("usage: screenshots [--scale N] folder\n", stderr);
        return 2;
    }
    QDir folder(args.front());
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }

    qirtaz::Registry registry;
    qirtaz::bindAll(registry);
    QTextStream out(stdout);
    for (const auto& screen : qirtaz::screens::allScreens()) {
        const QString name = QString::fromLatin1(screen.name);
        auto& instance = registry.instance(name);
        instance.show();
        QApplication::processEvents();
        const QImage shot = instance.window()->grab().toImage();
        const QString path = folder.filePath(name + QStringLiteral(".png"));
        if (!shot.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        if (scale > 1)
            shot.scaled(shot.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .save(folder.filePath(name + QStringLiteral("-x%1.png").arg(scale)));
        out << path << ' ' << shot.width() << 'x' << shot.height() << '\n';
        // The main window stays: the run ends when its last screen goes.
        if (&screen != &qirtaz::screens::allScreens().front())
            instance.unload();
    }
    registry.end();
    return 0;
}
