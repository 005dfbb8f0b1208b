// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

class QTextDocument;
class QWidget;

namespace qirtaz {
class Registry;
class ScreenInstance;

// The document that holds the post now, of the main window's box; it changes
// at a clear and at the undo or redo of one (the box's documentReplaced).
QTextDocument* postDocument(QWidget& box);

// The post as a command reaches it: through the registry, which loads the main
// window (hidden) if it is not loaded. A change made while the main window is
// not shown shows it, so the post the user just changed is never out of sight.
class PostBuffer {
public:
    explicit PostBuffer(Registry& registry);

    // The main window's box, and the document it keeps the post in.
    QWidget& box();
    QTextDocument& document();
    QString text();

    void append(QStringView fragment);
    void wrap(QStringView opening, QStringView closing);
    void clear();
    // Says that the post was changed through the box itself.
    void changed();

private:
    ScreenInstance& mainWindow_;
};

} // namespace qirtaz
