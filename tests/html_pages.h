// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Web pages as a paste meets them, made the same every time: a board's page of
// posts, and pages nested deeper than any editor writes. Each carries marks
// ("p0", "p1", … or "n0", "n500", …) that the paste must keep, in order.
// Shared by the tests and bench/bench.cpp.

#include <QString>
#include <QStringList>

namespace qirtaz::pages {

// A forum board's page of at least bytes UTF-16 code units: a style sheet and
// scripts in its head, and each post a table row with bold, colour, a link, a
// list, a quotation, a picture and centred text. marks gets one mark a post.
inline QString boardPage(qsizetype bytes, QStringList* marks = nullptr) {
    QString page = QStringLiteral(
        "<html><head><title>منتدى</title><style>.post b{color:#333}td{padding:4px}"
        ".quote{border:1px solid}</style><script>var posts = [];function show(i){}</script>"
        "<script src=\"/board.js\"></script></head><body><table class=\"posts\">");
    for (int i = 0; page.size() < bytes; ++i) {
        const QString mark = QStringLiteral("p%1").arg(i);
        if (marks)
            *marks << mark;
        page += QStringLiteral(
                    "<tr><td class=\"author\"><b>عضو %1</b><br><img src=\"/avatars/%1.png\"></td>"
                    "<td class=\"post\"><div style=\"text-align:center\">عنوان المشاركة %2</div>"
                    "<p>قال <b>الكاتب</b> في <span style=\"color:#cc0000\">رده</span> على "
                    "<a href=\"/thread?id=%1&amp;page=2\">الموضوع</a>:</p>"
                    "<ul><li>أولا</li><li>ثانيا <i>مهم</i></li></ul>"
                    "<blockquote class=\"quote\"><p>نص <font color=\"green\">مقتبس</font></p>"
                    "</blockquote><img src=\"https://board.example/pics/%1.jpg\">"
                    "<p>والسلام عليكم ورحمة الله <u>وبركاته</u></p></td></tr>\n")
                    .arg(i)
                    .arg(mark);
    }
    return page + QStringLiteral("</table><script>show(0)</script></body></html>");
}

// depth opening tags of element, which may be several ("ul><li"), never
// closed, with a mark every 500 levels.
inline QString nested(QLatin1StringView element, int depth, QStringList* marks = nullptr) {
    QString page;
    for (int i = 0; i < depth; ++i) {
        page += u'<' + element + u'>';
        if (i % 500 == 0) {
            const QString mark = QStringLiteral("n%1").arg(i);
            if (marks)
                *marks << mark;
            page += mark + u' ';
        }
    }
    return page;
}

} // namespace qirtaz::pages
