// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/post_buffer.h"

#include "post/post.h"
#include "screens/names.h"
#include "shell/registry.h"

#include <QTextDocument>
#include <QWidget>

namespace qirtaz {

PostBuffer::PostBuffer(Registry& registry)
    : mainWindow_(registry.instance(names::MainWindow)) {}

QWidget& PostBuffer::box() {
    return mainWindow_.control<QWidget>(names::main::PostBox);
}

QTextDocument* postDocument(QWidget& box) {
    return box.property("document").value<QTextDocument*>();
}

QTextDocument& PostBuffer::document() {
    QTextDocument* document = postDocument(box());
    Q_ASSERT(document);
    return *document;
}

QString PostBuffer::text() {
    return post::text(document());
}

void PostBuffer::append(QStringView fragment) {
    post::append(document(), fragment);
    changed();
}

void PostBuffer::wrap(QStringView opening, QStringView closing) {
    post::wrap(document(), opening, closing);
    changed();
}

void PostBuffer::clear() {
    // The box keeps the cleared post whole for its undo.
    QMetaObject::invokeMethod(&box(), "clear", Qt::DirectConnection);
    changed();
}

void PostBuffer::changed() {
    if (!mainWindow_.isShown())
        mainWindow_.show();
}

} // namespace qirtaz
