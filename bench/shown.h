// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both start-up probes do once their first window is on screen: say so on
// standard output with the peak resident size so far, and end the run. The
// bench times each probe from its launch to that line, so the two programs are
// measured by the same yardstick.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>

namespace qirtaz::bench {

class ReportWhenShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!reported_ && event->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                reported_ = true;
                // After the exposure's own paint, which runs before the next event.
                QTimer::singleShot(0, this, [] {
                    rusage usage{};
                    getrusage(RUSAGE_SELF, &usage);
                    std::printf("shown %ld\n", usage.ru_maxrss);
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            }
        }
        return false;
    }

private:
    bool reported_ = false;
};

} // namespace qirtaz::bench
