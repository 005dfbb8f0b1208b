// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board's tags as the reader finds them in a post: each tag, smiley code
// and line break in order (tokenize), paired the way the board pairs them
// (pair), and links, pictures and media whose address it will not take shown
// as typed (refuseAddresses). What is shown of them is shown.cpp's job.

#include "board/board.h"

#include <QStringView>

#include <vector>

namespace qirtaz::board::tags {

enum class Name : unsigned char {
    None,
    Bold,
    Italic,
    Underline,
    Strike,
    Centre,
    Quote,
    Colour,
    Size,
    Link, // "[url=address]phrase[url/]"; also every closing url tag
    Left,
    Right,
    Justify,
    Align, // "[align=left|center|right|justify]"
    Font, // taken, but the preview keeps its own face; so are other tags whose look it leaves alone
    Code, // its content as it stands, over any number of lines
    List,
    ListItem, // "[*]": stands alone, inside a list
    Spoiler,
    // Tags whose content is an address, from here on.
    BareLink, // "[url]address[/url]"
    Image,
    Web,
    Flash,
    Sound,
    Video,
    Audio,
};
constexpr int NameCount = int(Name::Audio) + 1;

// Tags whose content the board takes as it stands (an address), up to the
// first closing tag of their kind on the same line.
inline bool takesContentAsIs(Name name) {
    return name == Name::BareLink || name >= Name::Image;
}

inline bool breaksBlock(Name name) {
    switch (name) {
    case Name::Quote:
    case Name::Centre:
    case Name::Left:
    case Name::Right:
    case Name::Justify:
    case Name::Align:
    case Name::Code:
    case Name::List:
    case Name::ListItem:
    case Name::Spoiler:
        return true;
    default:
        return false;
    }
}

Media mediaOf(Name name);

struct Token {
    enum class Type : unsigned char { Break, Smiley, Open, Close, Unknown };
    qsizetype start = 0;
    qsizetype length = 0;
    Type type = Type::Unknown;
    Name name = Name::None;
    Smiley smiley = Smiley::Sad;
    unsigned char size = 0;
    unsigned short scale = 0; // see Style::scale
    Align align = Align::Natural;
    char16_t listStyle = 0;
    bool needsClose = false;
    bool autoClosed =
        false; // left open, and closed by the board where its parent closes or at the end
    bool literal = false; // shown as typed: not taken by the board
    bool inside = false;  // part of the content of a tag that takes it as it stands
    bool counted = true;  // shown as typed for a problem of its own, not its partner's
    Problem problem = Problem::Unknown;
    Rgb colour = 0;
    Span value; // the address of [url=…] and [FLASH=…], whom a quotation quotes, a spoiler's title
    int partner = -1;
    qsizetype end() const { return start + length; }
};

// Every tag, smiley code and line break of the post, in order. A tag is what
// the post box takes for one, so that both read the post alike; one holding a
// carriage return is none, since the return breaks the line.
std::vector<Token> tokenize(QStringView post, const Profile& profile);
// Pairs opening and closing tags the way the board does, with a stack per tag
// name and one of every open tag, so each tag is pushed and popped at most once.
// A closing tag ends the innermost open tag of its name; tags opened inside it
// and still open are left unclosed. Tags that take their content as it stands
// end at the first closing tag of their kind on their line.
// On a board that closes what is left open, a tag left open inside another is
// closed where that one closes, and one still open at the end there.
void pair(std::vector<Token>& tokens, const Profile& profile);
// A link, picture or media whose address the board will not take is shown as
// typed: its tags (and, for what takes its content as an address, the whole of
// it) are marked, and counted once, by the address.
void refuseAddresses(QStringView post, std::vector<Token>& tokens, const Profile& profile);

// Whether profile takes address for a link (link) or a picture or medium.
bool addressTaken(QStringView address, bool link, const Profile& profile);

} // namespace qirtaz::board::tags
