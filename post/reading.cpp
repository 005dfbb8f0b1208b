// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/reading.h"

#include "post/markup.h"

#include <QChar>

namespace qirtaz::reading {
namespace {

bool isLatinLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// Calls visit(start, length) for each piece of markup, in order; stops early
// when visit returns false.
template <class Visit> void forEachMarkup(QStringView line, Visit&& visit) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line[i];
        qsizetype length = 0;
        if (c == u'[')
            length = tagAt(line.sliced(i));
        else if (c == u':' || c == u';')
            length = smileyAt(line.sliced(i));
        if (length > 0) {
            if (!visit(i, length))
                return;
            i += length;
        } else {
            ++i;
        }
    }
}

} // namespace

qsizetype tagAt(QStringView text) {
    if (text.size() < 3 || text[0] != u'[')
        return 0;
    qsizetype i = 1;
    if (text[i] == u'/')
        ++i;
    if (i >= text.size() || !isLatinLetter(text[i]))
        return 0;
    for (++i; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u']')
            return i + 1;
        if (c == u'[' || c == u'\n' || c == QChar::ParagraphSeparator)
            return 0;
    }
    return 0;
}

qsizetype smileyAt(QStringView text) {
    for (QStringView code : markup::SmileyCodes)
        if (text.startsWith(code))
            return code.size();
    return 0;
}

std::vector<Span> markupSpans(QStringView line) {
    std::vector<Span> spans;
    forEachMarkup(line, [&spans](qsizetype start, qsizetype length) {
        spans.push_back({start, length});
        return true;
    });
    return spans;
}

qsizetype addressAt(QStringView text) {
    // Asked at every word's start of a long line: most words start with
    // neither letter an address can start with.
    if (text.isEmpty() || (text[0].toLower() != u'h' && text[0].toLower() != u'w'))
        return 0;
    qsizetype scheme = 0;
    for (const QStringView start :
         {QStringView(u"http://"), QStringView(u"https://"), QStringView(u"www.")})
        if (text.startsWith(start, Qt::CaseInsensitive))
            scheme = start.size();
    if (scheme == 0)
        return 0;
    qsizetype end = scheme;
    while (end < text.size() && !text[end].isSpace() && text[end] != u'[' && text[end] != u']')
        ++end;
    return end > scheme ? end : 0;
}

std::vector<Span> ownOrderSpans(QStringView line) {
    std::vector<Span> spans;
    std::vector<Span> markup;
    readOwnOrder(line, 0, line.size(), {}, spans, markup);
    return spans;
}

qsizetype readOwnOrder(QStringView line, qsizetype from, qsizetype until,
                       const std::function<bool(qsizetype)>& stop, std::vector<Span>& spans,
                       std::vector<Span>& markup) {
    const qsizetype n = line.size();
    const auto markupAt = [line](qsizetype i) -> qsizetype {
        const QChar c = line[i];
        if (c == u'[')
            return tagAt(line.sliced(i));
        if (c == u':' || c == u';')
            return smileyAt(line.sliced(i));
        return 0;
    };
    qsizetype i = from;
    while (i < n) {
        if (i >= until && stop && stop(i))
            return i;
        if (const qsizetype length = markupAt(i); length > 0) {
            spans.push_back({i, length});
            markup.push_back({i, length});
            i += length;
            continue;
        }
        if (i == 0 || !line[i - 1].isLetterOrNumber()) {
            qsizetype length = addressAt(line.sliced(i));
            // An address ends where markup starts.
            for (qsizetype j = i + 1; j < i + length; ++j)
                if (markupAt(j) > 0) {
                    length = addressAt(line.sliced(i, j - i));
                    break;
                }
            if (length > 0) {
                spans.push_back({i, length});
                i += length;
                continue;
            }
        }
        ++i;
    }
    return n;
}

Direction ownDirection(QStringView line) {
    Direction found = Direction::Neutral;
    qsizetype from = 0;
    const auto scan = [&found, line](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i) {
            char32_t code = line[i].unicode();
            if (QChar::isHighSurrogate(code) && i + 1 < end && line[i + 1].isLowSurrogate()) {
                code = QChar::surrogateToUcs4(line[i], line[i + 1]);
                ++i;
            } else if (QChar::isSurrogate(code)) {
                continue; // half a character says nothing of its direction
            }
            switch (QChar::direction(code)) {
            case QChar::DirL:
                found = Direction::LeftToRight;
                return true;
            case QChar::DirR:
            case QChar::DirAL:
                found = Direction::RightToLeft;
                return true;
            default:
                break;
            }
        }
        return false;
    };
    bool done = false;
    forEachMarkup(line, [&](qsizetype start, qsizetype length) {
        done = scan(from, start);
        from = start + length;
        return !done;
    });
    if (!done)
        scan(from, line.size());
    return found;
}

} // namespace qirtaz::reading
