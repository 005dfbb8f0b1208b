// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/post.h"

#include <QTextCursor>
#include <QTextDocument>

namespace qirtaz::post {

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

void enclose(QTextCursor& cursor, QStringView opening, QStringView closing) {
    QTextDocument& document = *cursor.document();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const bool forwards = cursor.position() >= cursor.anchor();
    // The closing first, so that the start is still where it was.
    QTextCursor edit(&document);
    edit.beginEditBlock();
    edit.setPosition(end);
    edit.insertText(closing.toString());
    edit.setPosition(start);
    edit.insertText(opening.toString());
    edit.endEditBlock();
    const int inside = start + int(opening.size());
    const int insideEnd = end + int(opening.size());
    cursor.setPosition(forwards ? inside : insideEnd);
    cursor.setPosition(forwards ? insideEnd : inside, QTextCursor::KeepAnchor);
    keepApartFromTyping(document);
}

void insert(QTextCursor& cursor, QStringView text) {
    cursor.beginEditBlock();
    cursor.insertText(text.toString());
    cursor.endEditBlock();
    keepApartFromTyping(*cursor.document());
}

qsizetype characterCount(QStringView text) {
    qsizetype count = text.size();
    // A character beyond the first 65,536 takes two code units, a high then a low half.
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    return count;
}

} // namespace qirtaz::post
