// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a web page, a word processor or a mail puts on the clipboard as HTML,
// turned into the board's tags, so that its bold, links and colours survive
// the paste. Qt's own HTML reader does the reading; nothing here looks at a
// "<" itself. Whatever a board cannot show (scripts, style sheets, comments,
// fonts, tags around nothing) is left out; every word stays, in its order.

#include <QString>

class QMimeData;

namespace qirtaz::paste {

// The text of html, with bold, italic, underline, strike, links, pictures,
// colours, larger text and headings, quotations and centred paragraphs as
// board tags, its line breaks as "\n", and list items as lines that begin
// with "• ". Table rows become lines, their cells joined by " | ". Nothing
// is fetched: a picture keeps only its address.
QString boardTags(const QString& html);

// What to paste from the clipboard: its HTML as board tags, or its plain text
// when it holds no HTML.
QString boardTags(const QMimeData& clipboard);

} // namespace qirtaz::paste
