// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the preview's reading of a post costs: parsing it, building the
// document (both in the preview's worker thread) and laying the document out
// (in the window's thread), on posts of mixed Arabic lines and tags, as each
// board reads them. Not a
// test: it passes or fails nothing. Build it in a Release tree for figures:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
//   cmake --build build-release --target board_bench
//   QT_QPA_PLATFORM=offscreen build-release/bench/board_bench
// QIRTAZ_BOARD_POST=lines times the post qirtaz-bench's preview types instead
// (its links closed as only the default board closes them, so that every
// other board marks tags), QIRTAZ_BOARD one board and QIRTAZ_KIB one size,
// e.g. under valgrind's callgrind, whose counts a busy machine does not move.

#include "bench/lines.h"
#include "board/profile.h"
#include "board/render.h"
#include "tests/mixed_post.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace qirtaz;

namespace {

double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::printf("%-10s %-10s %10s %10s %10s %12s\n", "board", "post", "parse", "render", "together",
                "layout (GUI)");
    // QIRTAZ_BOARD names one board (a profile's key) to time alone.
    const QByteArray only = qgetenv("QIRTAZ_BOARD");
    // QIRTAZ_KIB one size of post: 64, 256 or 1024.
    const int kib = qEnvironmentVariableIntValue("QIRTAZ_KIB");
    for (const board::Profile& profile : board::profiles())
        for (qsizetype size : {qsizetype(64) << 10, qsizetype(256) << 10, qsizetype(1) << 20}) {
            if (!only.isEmpty() && QLatin1StringView(only) != profile.key)
                continue;
            if (kib > 0 && kib != (size >> 10))
                continue;
            const QString post = qgetenv("QIRTAZ_BOARD_POST") == "lines"
                                     ? bench::lines(size)
                                     : testing::mixedPost(size).first(size);
            board::Parsed parsed;
            const double parse = bestOf(5, [&] { parsed = board::parse(post, profile); });
            const double render = bestOf(5, [&] {
                QTextDocument document;
                board::render(parsed, document);
            });
            const double both = bestOf(5, [&] {
                QTextDocument document;
                board::render(board::parse(post, profile), document);
            });
            const double layout = bestOf(3, [&] {
                QTextDocument document;
                board::render(parsed, document);
                document.setTextWidth(600);
                (void)document.documentLayout()->documentSize();
            });
            std::printf("%-10.*s %6lld KiB %7.1f ms %7.1f ms %7.1f ms %9.1f ms\n",
                        int(profile.key.size()), profile.key.data(),
                        static_cast<long long>(size >> 10), parse, render, both, layout - render);
        }
    return 0;
}
