// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The post the benches time most: Arabic and Latin lines as boards have them.
// Its links are closed with "[url/]", which only the default board reads, so
// that under the others two tags of every fifth line are marked.

#include <QString>

#include <iterator>

namespace qirtaz::bench {

// A post of about size code units.
inline QString lines(qsizetype size) {
    static const QString sample[] = {
        QStringLiteral("[QUOTE]سطر من موضوع طويل في المنتدى[/QUOTE]\n"),
        QStringLiteral("Hello everyone, [b]welcome[/b] to the board :D\n"),
        QStringLiteral("مرحبا بكم في المنتدى [color=red]نص ملون[/color] ;)\n"),
        QStringLiteral("[url=http://example.com/page]رابط الصفحة[url/]\n"),
        QStringLiteral("\n"),
    };
    QString text;
    text.reserve(size + 64);
    for (int i = 0; text.size() < size; ++i)
        text += sample[i % std::size(sample)];
    return text;
}

} // namespace qirtaz::bench
