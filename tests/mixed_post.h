// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A post as a board sees them, for the board's tests and the preview's bench:
// Arabic and Latin lines with tags, smileys, an unclosed quote and an unknown
// tag, in turn.

#include "post/markup.h"

#include <QString>

#include <iterator>

namespace qirtaz::testing {

// Whole lines, at least size code units of them.
inline QString mixedPost(qsizetype size) {
    namespace mk = qirtaz::markup;
    const QString lines[] = {
        mk::colourTag(mk::Red, u"مرحبا") + QStringLiteral(" بكم في منتدانا :D"),
        QStringLiteral("Hello [b]world[/b] ") + mk::linkTag(u"http://example.com", u"موقعنا"),
        mk::quoteTag(u"نص [i]مقتبس[/i] من موضوع سابق") + mk::Wink.toString(),
        mk::sizeTag(mk::Size4, u"عنوان") + mk::imageTag(u"http://example.com/a.png"),
        QStringLiteral("سطر عادي من الكلام العربي بلا وسوم، فيه أرقام 123 وعلامات؟"),
        QStringLiteral("[QUOTE]غير مغلق [foo] [/b]"),
    };
    QString post;
    for (int i = 0; post.size() < size; ++i)
        post += lines[i % std::size(lines)] + u'\n';
    return post;
}

} // namespace qirtaz::testing
