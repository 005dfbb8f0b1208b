// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The post: the whole text of the main window's box Text1. It changes only by
// the user's own editing and by three changes of the whole text: append,
// wrap and clear. Each change is one step of the box's undo history and
// leaves the caret, the selection and the scroll position where they were.

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

class QTextCursor;
class QTextDocument;

namespace qirtaz::post {

Q_DECLARE_LOGGING_CATEGORY(postLog)

// Every code unit of the text, with a line break as "\n". (A plain-text
// export would turn no-break spaces into blanks and line separators into
// line breaks.)
QString text(const QTextDocument& document);

// The old text followed directly by fragment.
void append(QTextDocument& document, QStringView fragment);
// opening, then the old text, then closing.
void wrap(QTextDocument& document, QStringView opening, QStringView closing);
// The empty text.
void clear(QTextDocument& document);

// Beside the three changes of the whole text, two that work where the user is:
// opening and closing around the selection of cursor (with none, at its caret).
// The cursor then selects the same text inside the new pair (with none, its
// caret stands between the two), so that the next pair goes around this one.
void enclose(QTextCursor& cursor, QStringView opening, QStringView closing);
// text in place of the selection of cursor, or at its caret; the caret after it.
void insert(QTextCursor& cursor, QStringView text);

// The characters of text as a board counts them: each character once, whatever
// its number of UTF-16 code units, and a line break as one.
qsizetype characterCount(QStringView text);

} // namespace qirtaz::post
