// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/post.h"

#include <QTextCursor>
#include <QTextDocument>

namespace qirtaz::post {

Q_LOGGING_CATEGORY(postLog, "qirtaz.post")

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

// Qt works out where a cursor stands across its line, from a layout of the
// whole line, each time the cursor is moved or changes the text outside an
// edit block: every move here is made inside one, so that a change at the end
// of a line of megabytes costs what the change costs.
int lastPosition(const QTextDocument& document) {
    return document.characterCount() - 1;
}

} // namespace

void append(QTextDocument& document, QStringView fragment) {
    QTextCursor end(&document);
    end.beginEditBlock();
    end.setPosition(lastPosition(document));
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
    if (opening.isEmpty())
        end.beginEditBlock();
    else
        end.joinPreviousEditBlock();
    end.setPosition(lastPosition(document));
    end.insertText(closing.toString());
    end.endEditBlock();
    keepApartFromTyping(document);
}

void clear(QTextDocument& document) {
    QTextCursor all(&document);
    all.beginEditBlock();
    all.setPosition(lastPosition(document), QTextCursor::KeepAnchor);
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
    cursor.beginEditBlock();
    cursor.setPosition(forwards ? inside : insideEnd);
    cursor.setPosition(forwards ? insideEnd : inside, QTextCursor::KeepAnchor);
    cursor.endEditBlock();
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
