// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Saves every screen as the user sees it, menu bar included, one PNG per screen
// named after it, into the folder given (made if missing). For reviews and the
// README; run it offscreen:
//   QT_QPA_PLATFORM=offscreen build/tools/screenshots screenshots
// With --scale N each PNG is also saved N times larger, pixel for pixel, as
// <screen>-xN.png, to judge the small pictures. Last come the main window with a
// post of Arabic, English and tags (Form1-post.png) and the preview of that post
// (Preview.png). To see the screens as a finer display shows them, drawn at its
// pixels, give the scale to Qt itself:
//   QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 build/tools/screenshots shots2

#include "app/wiring.h"
#include "board/preview.h"
#include "post/post.h"
#include "postbox/post_box.h"
#include "screens/controls.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
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

    qirtaz::speakArabic();
    qirtaz::Registry registry;
    qirtaz::bindAll(registry);
    QTextStream out(stdout);
    const auto save = [&](QWidget* window, const QString& name) {
        QApplication::processEvents();
        const QImage shot = window->grab().toImage();
        const QString path = folder.filePath(name + QStringLiteral(".png"));
        if (!shot.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        if (scale > 1)
            shot.scaled(shot.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .save(folder.filePath(name + QStringLiteral("-x%1.png").arg(scale)));
        out << path << ' ' << shot.width() << 'x' << shot.height() << '\n';
        return true;
    };
    for (const auto& screen : qirtaz::screens::allScreens()) {
        const QString name = QString::fromLatin1(screen.name);
        auto& instance = registry.instance(name);
        instance.show();
        if (!save(instance.window(), name))
            return 1;
        // The main window stays: the run ends when its last screen goes.
        if (&screen != &qirtaz::screens::allScreens().front())
            instance.unload();
    }

    qirtaz::PostBuffer post(registry);
    post.append(QStringLiteral("[color=red]مرحبا[/color] بكم في منتدانا :D\n"
                               "Hello [b]world[/b], from [url=http://example.org]our board[url/]\n"
                               "[QUOTE]اقتباس من [i]موضوع[/i] سابق[/QUOTE]\n"
                               "[size=4]شكرا[/size] لكم ;) [b]غير مغلق"));
    static_cast<qirtaz::postbox::PostBox&>(post.box()).moveCursor(QTextCursor::Start);
    registry.instance(qirtaz::names::Preview).show();
    qirtaz::PostPreview* preview = qirtaz::openPreview(registry);
    QElapsedTimer waited;
    waited.start();
    while (preview->isBehind() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!save(registry.instance(qirtaz::names::MainWindow).window(),
              QStringLiteral("Form1-post")) ||
        !save(preview->window(), QStringLiteral("Preview")))
        return 1;
    registry.end();
    return 0;
}
