// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every piece of markup the program puts into a post. A fragment is its pieces
// joined with nothing between them: no blank, no line break, and the user's
// texts exactly as typed, never escaped, trimmed or checked.

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace qirtaz::markup {

// Smiley codes.
inline constexpr QStringView Mad = u":mad:";
inline constexpr QStringView Wink = u";)";
inline constexpr QStringView Eek = u":eek:";
inline constexpr QStringView Sad = u":(";
inline constexpr QStringView Tongue = u":p";
inline constexpr QStringView Grin = u":D";
inline constexpr QStringView Confused = u":confused:";
// Every code the board draws as a smiley; the main window's buttons type them.
inline constexpr QStringView SmileyCodes[] = {Confused, Mad, Eek, Grin, Sad, Tongue, Wink};

// Tags. An opening tag that carries an address is ended by CloseBracket.
inline constexpr QStringView CloseBracket = u"]";
inline constexpr QStringView ImageOpen = u"[img]";
inline constexpr QStringView ImageClose = u"[/img]";
inline constexpr QStringView LinkOpen = u"[url=";
inline constexpr QStringView LinkClose =
    u"[url/]"; // the slash after the word, as the boards take it
inline constexpr QStringView WebOpen = u"[web]";
inline constexpr QStringView WebClose = u"[/web]";
inline constexpr QStringView QuoteOpen = u"[QUOTE]";
inline constexpr QStringView QuoteClose = u"[/QUOTE]";
inline constexpr QStringView FlashOpen = u"[FLASH=";
inline constexpr QStringView FlashWidth = u"WIDTH=";
inline constexpr QStringView FlashHeight = u"HEIGHT=";
inline constexpr QStringView FlashClose = u"[/FLASH]";
inline constexpr QStringView SoundOpen = u"[SOUND]";
inline constexpr QStringView SoundClose = u"[/SOUND]";
inline constexpr QStringView VideoOpen = u"[RAM]";
inline constexpr QStringView VideoClose = u"[/RAM]";
inline constexpr QStringView AudioOpen = u"[RAM2]";
inline constexpr QStringView AudioClose = u"[/RAM2]";

// The pairs the writing aids put around a selection, and the usual end of a
// link, which pasted links take: the board reads both ends.
inline constexpr QStringView BoldOpen = u"[b]";
inline constexpr QStringView BoldClose = u"[/b]";
inline constexpr QStringView ItalicOpen = u"[i]";
inline constexpr QStringView ItalicClose = u"[/i]";
inline constexpr QStringView UnderlineOpen = u"[u]";
inline constexpr QStringView UnderlineClose = u"[/u]";
inline constexpr QStringView StrikeOpen = u"[s]";
inline constexpr QStringView StrikeClose = u"[/s]";
inline constexpr QStringView CentreOpen = u"[center]";
inline constexpr QStringView CentreClose = u"[/center]";
inline constexpr QStringView LinkEnd = u"[/url]";

inline constexpr QStringView Red = u"[color=red]";
inline constexpr QStringView Green = u"[color=green]";
inline constexpr QStringView Blue = u"[color=blue]";
inline constexpr QStringView Purple = u"[color=purple]";
inline constexpr QStringView Orange = u"[color=orange]";
inline constexpr QStringView ColourClose = u"[/color]";

inline constexpr QStringView Size1 = u"[size=1]";
inline constexpr QStringView Size2 = u"[size=2]";
inline constexpr QStringView Size3 = u"[size=3]";
inline constexpr QStringView Size4 = u"[size=4]";
inline constexpr QStringView Size5 = u"[size=5]";
inline constexpr QStringView SizeClose = u"[/size]";

inline QString join(std::initializer_list<QStringView> pieces) {
    qsizetype length = 0;
    for (QStringView piece : pieces)
        length += piece.size();
    QString joined;
    joined.reserve(length);
    for (QStringView piece : pieces)
        joined.append(piece);
    return joined;
}

// Fragments of the dialogs, from the texts of their boxes.
inline QString imageTag(QStringView address) {
    return join({ImageOpen, address, ImageClose});
}
// close: how the board the post is for closes a link; the catalogue's own
// "[url/]" unless the writer chose a board that reads only "[/url]".
inline QString linkTag(QStringView address, QStringView phrase, QStringView close = LinkClose) {
    return join({LinkOpen, address, CloseBracket, phrase, close});
}
inline QString webTag(QStringView address) {
    return join({WebOpen, address, WebClose});
}
inline QString flashTag(QStringView address, QStringView width, QStringView height) {
    return join(
        {FlashOpen, address, CloseBracket, FlashWidth, width, FlashHeight, height, FlashClose});
}
inline QString soundTag(QStringView address) {
    return join({SoundOpen, address, SoundClose});
}
inline QString videoTag(QStringView address) {
    return join({VideoOpen, address, VideoClose});
}
inline QString audioTag(QStringView address) {
    return join({AudioOpen, address, AudioClose});
}
inline QString quoteTag(QStringView text) {
    return join({QuoteOpen, text, QuoteClose});
}
inline QString colourTag(QStringView opening, QStringView text) {
    return join({opening, text, ColourClose});
}
inline QString sizeTag(QStringView opening, QStringView text) {
    return join({opening, text, SizeClose});
}

} // namespace qirtaz::markup
