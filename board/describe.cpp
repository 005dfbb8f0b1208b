// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's list as compact text, for tests and debugging.
#include "board/board.h"

#include <QStringList>

namespace qirtaz::board {

using reading::Direction;

namespace {

void appendEscaped(QString& out, QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const QChar::Category category = c.category();
        if (c == u'\\' || c == u'\'') {
            out += u'\\';
            out += c;
        } else if (c.isSurrogate() || c.isNonCharacter() || category == QChar::Other_Control ||
                   category == QChar::Other_Format || category == QChar::Separator_Line ||
                   category == QChar::Separator_Paragraph) {
            out += QStringLiteral("\\u{") + QString::number(c.unicode(), 16) + u'}';
        } else {
            out += c;
        }
    }
}

QString quoted(QStringView text) {
    QString out = QStringLiteral("'");
    appendEscaped(out, text);
    return out + u'\'';
}

QString colourName(Rgb rgb) {
    switch (rgb & 0xffffff) {
    case 0xff0000:
        return QStringLiteral("red");
    case 0x008000:
        return QStringLiteral("green");
    case 0x0000ff:
        return QStringLiteral("blue");
    case 0x800080:
        return QStringLiteral("purple");
    case 0xffa500:
        return QStringLiteral("orange");
    default:
        return u'#' + QString::number(rgb & 0xffffff, 16).rightJustified(6, u'0');
    }
}

QString styleWords(const Parsed& parsed, const Style& style) {
    QStringList words;
    if (style.bold)
        words << QStringLiteral("b");
    if (style.italic)
        words << QStringLiteral("i");
    if (style.underline)
        words << QStringLiteral("u");
    if (style.strike)
        words << QStringLiteral("s");
    if (style.coloured)
        words << colourName(style.colour);
    if (style.size > 0)
        words << QStringLiteral("size") + QString::number(style.size);
    if (style.scale > 0)
        words << QStringLiteral("scale") + QString::number(style.scale);
    if (style.code)
        words << QStringLiteral("code");
    if (!style.link.none()) {
        QString link = QStringLiteral("link(");
        appendEscaped(link, parsed.text(style.link));
        words << link + u')';
    }
    return words.isEmpty() ? QString() : words.join(u'+') + u':';
}

QLatin1StringView smileyName(Smiley smiley) {
    constexpr const char* names[] = {"mad",  "wink",     "eek",   "sad",  "tongue",
                                     "grin", "confused", "smile", "other"};
    return QLatin1StringView(names[int(smiley)]);
}

QLatin1StringView mediaName(Media media) {
    constexpr const char* names[] = {"image", "web", "flash", "sound", "video", "audio"};
    return QLatin1StringView(names[int(media)]);
}

} // namespace

QString describe(const Parsed& parsed) {
    QString out;
    bool inParagraph = false;
    bool first = true; // nothing yet in the current braces
    const auto separate = [&] {
        if (!first)
            out += u' ';
        first = false;
    };
    const auto endParagraph = [&] {
        if (inParagraph) {
            out += u'}';
            first = false;
        }
        inParagraph = false;
    };
    for (const Item& item : parsed.items) {
        switch (item.kind) {
        case Item::Kind::Paragraph:
            endParagraph();
            separate();
            out += item.direction == Direction::LeftToRight ? QStringLiteral("ltr")
                                                            : QStringLiteral("rtl");
            if (item.align != Align::Natural) {
                constexpr const char* aligns[] = {"", "-left", "-center", "-right", "-justify"};
                out += QLatin1StringView(aligns[int(item.align)]);
            }
            if (item.listDepth > 0)
                out += QStringLiteral("-list") + QString::number(item.listDepth);
            out += u'{';
            inParagraph = true;
            first = true;
            break;
        case Item::Kind::QuoteStart:
            endParagraph();
            separate();
            out += item.spoiler ? QStringLiteral("spoiler") : QStringLiteral("quote");
            if (item.text.length > 0) {
                out += u'(';
                appendEscaped(out, parsed.text(item.text));
                out += u')';
            }
            out += u'{';
            first = true;
            break;
        case Item::Kind::QuoteEnd:
            endParagraph();
            out += u'}';
            first = false;
            break;
        case Item::Kind::Text:
            separate();
            out += styleWords(parsed, item.style) + quoted(parsed.text(item.text));
            break;
        case Item::Kind::Marked:
            separate();
            out += styleWords(parsed, item.style) + u'!' + quoted(parsed.text(item.text));
            break;
        case Item::Kind::Smiley:
            separate();
            out += styleWords(parsed, item.style) + u'(' + smileyName(item.smiley);
            if (item.text.length > 0)
                out += u' ' + quoted(parsed.text(item.text));
            out += u')';
            break;
        case Item::Kind::ListItem:
            separate();
            if (item.number == 0)
                out += QStringLiteral("*");
            else
                out += QChar(item.listStyle) + u'#' + QString::number(item.number);
            break;
        case Item::Kind::Placeholder:
            separate();
            out += styleWords(parsed, item.style) + mediaName(item.media) + u'<';
            appendEscaped(out, parsed.text(item.text));
            if (!item.width.none())
                out += QStringLiteral(" w=") + quoted(parsed.text(item.width)) +
                       QStringLiteral(" h=") + quoted(parsed.text(item.height));
            else if (!item.extra.none())
                out += u' ' + quoted(parsed.text(item.extra));
            out += u'>';
            break;
        }
    }
    endParagraph();
    return out;
}

} // namespace qirtaz::board
