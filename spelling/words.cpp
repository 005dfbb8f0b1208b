// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spelling/words.h"

#include <QChar>

#include <optional>

namespace qirtaz::spelling {
namespace {

bool isApostrophe(QChar c) {
    return c == u'\'' || c == u'\u2019';
}

// What may stand inside a word: letters, digits, the marks that sit on letters
// (short vowels, shadda), tatweel, the joiners, and an underscore. A code unit
// of a character beyond the first plane counts too, so that a word with one in
// it is left whole, and then alone, rather than cut in two.
bool inWord(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || c == u'_' || c == u'\u200C' ||
           c == u'\u200D';
}

bool isSpace(QChar c) {
    return c.isSpace() || c == QChar::ParagraphSeparator;
}

// A whitespace-delimited piece that is an address of some kind.
bool isAddress(QStringView chunk) {
    if (chunk.contains(u"://") || chunk.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    const qsizetype at = chunk.indexOf(u'@');
    return at > 0 && at + 1 < chunk.size() && inWord(chunk[at - 1]) && inWord(chunk[at + 1]);
}

std::optional<Script> scriptOf(QStringView token) {
    std::optional<Script> found;
    int letters = 0;
    for (const QChar c : token) {
        if (c.isDigit() || c.isNumber() || c.isSurrogate() || c == u'_')
            return std::nullopt;
        if (!c.isLetter())
            continue; // marks, joiners, apostrophes
        Script script;
        switch (c.script()) {
        case QChar::Script_Arabic:
            script = Script::Arabic;
            break;
        case QChar::Script_Latin:
            script = Script::Latin;
            break;
        case QChar::Script_Common:
        case QChar::Script_Inherited:
            continue; // tatweel
        default:
            return std::nullopt;
        }
        if (found && *found != script)
            return std::nullopt;
        found = script;
        ++letters;
    }
    if (letters < 2)
        return std::nullopt;
    return found;
}

void wordsOfChunk(QStringView line, qsizetype from, qsizetype to, std::vector<Word>& out) {
    qsizetype i = from;
    while (i < to) {
        if (!inWord(line[i])) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < to) {
            if (inWord(line[end])) {
                ++end;
            } else if (isApostrophe(line[end]) && end + 1 < to && line[end - 1].isLetter() &&
                       line[end + 1].isLetter()) {
                end += 2; // don't, it’s
            } else {
                break;
            }
        }
        if (const auto script = scriptOf(line.sliced(i, end - i)))
            out.push_back({{i, end - i}, *script});
        i = end;
    }
}

} // namespace

std::vector<Word> words(QStringView line) {
    std::vector<Word> found;
    const std::vector<reading::Span> markup = reading::markupSpans(line);
    auto next = markup.begin();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (next != markup.end() && next->start == i) {
            i += next->length;
            ++next;
            continue;
        }
        if (isSpace(line[i])) {
            ++i;
            continue;
        }
        // A piece runs to the next blank or markup.
        const qsizetype stop = next != markup.end() ? next->start : n;
        qsizetype end = i;
        while (end < stop && !isSpace(line[end]))
            ++end;
        if (!isAddress(line.sliced(i, end - i)))
            wordsOfChunk(line, i, end, found);
        i = end;
    }
    return found;
}

} // namespace qirtaz::spelling
