// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a web page, a word processor or a mail puts on the clipboard as HTML,
// turned into the board's tags, so that its bold, links and colours survive
// the paste. libxml2's HTML reader reads the page, in time linear in its size
// however deeply it nests; nothing here looks at a "<" itself. Whatever a
// board cannot show (scripts, style sheets, comments, fonts, tags around
// nothing) is left out; every word stays, in its order.
//
// Pure work: no document, font or widget is touched, so a page is read on
// any thread, and a long one belongs on a worker's.

#include <QString>

#include <atomic>

namespace qirtaz::paste {

// The text of html, with bold, italic, underline, strike, links, pictures,
// colours, larger text and headings, quotations and centred paragraphs as
// board tags, its line breaks as "\n", and list items as lines that begin
// with "• ". Table rows become lines, their cells joined by " | ". Nothing
// is fetched: a picture keeps only its address. Once cancelled holds, the
// reading stops early and gives an empty text.
QString boardTags(const QString& html, const std::atomic<bool>* cancelled = nullptr);

} // namespace qirtaz::paste
