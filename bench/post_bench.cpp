// Prints what each change of the post costs on a one-mebibyte post of short
// lines, in the real main window. Not a test: it passes or fails nothing.

#include "app/wiring.h"
#include "composer/post.h"
#include "screens/controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

using namespace qirtaz;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Registry registry;
    bindAll(registry);
    start(registry);
    PostBuffer post(registry);
    auto& box = post.box();
    if (!QTest::qWaitForWindowExposed(box.window()))
        return 1;

    QString big;
    while (big.size() < (1 << 20))
        big += QStringLiteral("[QUOTE]سطر من موضوع طويل في المنتدى[/QUOTE]\n");
    post.append(big);
    QCoreApplication::processEvents();

    const auto measure = [](const char* what, auto&& change) {
        QElapsedTimer timer;
        timer.start();
        change();
        QCoreApplication::processEvents();
        std::printf("%-28s %8.1f ms\n", what, double(timer.nsecsElapsed()) / 1e6);
    };
    std::printf("post of %lld code units in %d lines\n", static_cast<long long>(post.text().size()),
                box.document()->blockCount());
    measure("append a smiley", [&] { post.append(u":D"); });
    measure("wrap in a colour", [&] { post.wrap(u"[color=red]", u"[/color]"); });
    measure("undo the wrap", [&] { box.undo(); });
    measure("read the whole post", [&] { (void)post.text(); });
    measure("right-align", [&] { box.setTextAlignment(Qt::AlignRight); });
    measure("append when right-aligned", [&] { post.append(u";)"); });
    measure("and once more", [&] { post.append(u";)"); });
    measure("type a letter at the start", [&] {
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_A);
    });
    measure("clear", [&] { post.clear(); });
    measure("undo the clear", [&] { box.undo(); });
    return 0;
}
