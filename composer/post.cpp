// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "composer/post.h"

#include "screens/controls.h"
#include "shell/registry.h"

#include <QTextCursor>
#include <QTextDocument>

namespace qirtaz {
namespace post {

QString text(const QTextDocument& document) {
    QString raw = document.toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

namespace {

// The box merges a keystroke into the undo step before it when the two touch,
// so typing right after a command would be undone together with the command.
// It merges only into a modified document: marking the command's result as
// the unmodified state keeps the two apart. Nothing else reads that flag.
void keepApartFromTyping(QTextDocument& document) {
    document.setModified(false);
}

} // namespace

void append(QTextDocument& document, QStringView fragment) {
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    end.insertText(fragment.toString());
    end.endEditBlock();
    keepApartFromTyping(document);
}

void wrap(QTextDocument& document, QStringView opening, QStringView closing) {
    // Two edits joined into one undo step rather than one edit spanning the
    // text: the box then lays out only the lines that changed, which on a
    // long post is the difference between a few and a few hundred milliseconds.
    QTextCursor start(&document);
    start.beginEditBlock();
    start.insertText(opening.toString());
    start.endEditBlock();

    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    if (opening.isEmpty())
        end.beginEditBlock();
    else
        end.joinPreviousEditBlock();
    end.insertText(closing.toString());
    end.endEditBlock();
    keepApartFromTyping(document);
}

void clear(QTextDocument& document) {
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    all.beginEditBlock();
    all.removeSelectedText();
    all.endEditBlock();
    keepApartFromTyping(document);
}

} // namespace post

PostBuffer::PostBuffer(Registry& registry)
    : mainWindow_(registry.instance(u"Form1")) {}

screens::MultiLineBox& PostBuffer::box() {
    return mainWindow_.control<screens::MultiLineBox>(u"Text1");
}

QString PostBuffer::text() {
    return post::text(*box().document());
}

void PostBuffer::append(QStringView fragment) {
    post::append(*box().document(), fragment);
    changed();
}

void PostBuffer::wrap(QStringView opening, QStringView closing) {
    post::wrap(*box().document(), opening, closing);
    changed();
}

void PostBuffer::clear() {
    post::clear(*box().document());
    changed();
}

void PostBuffer::changed() {
    if (!mainWindow_.isShown())
        mainWindow_.show();
}

} // namespace qirtaz
