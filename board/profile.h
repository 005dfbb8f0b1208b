// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How one forum engine reads a post, as data: which tags it takes and with
// which values, which addresses, how it names whom a quotation quotes, what it
// does with a tag left open, its smiley codes, and how the link dialog closes
// a link for it. The reader (tags.cpp, shown.cpp) and the renderer follow the
// table; no engine has code of its own. Each table says where it was read.

#include "board/board.h"
#include "board/tags.h"

#include <QLatin1StringView>
#include <QStringView>

#include <span>

namespace qirtaz::board {

// What may follow a tag's word.
enum class Value : unsigned char {
    None,       // "[b]"
    Optional,   // "[quote]" or "[quote=name]"
    Required,   // "[color=red]"
    Attributes, // nothing, "=value", or " name=value …" as "[quote author=x link=y]"
};

struct TagRule {
    QLatin1StringView word; // as typed, in any case
    tags::Name name;
    Value value = Value::None;
    // Taken only where its closing tag follows, even on a board that closes
    // the others at the post's end.
    bool needsClose = false;
    // "[*]" has its closing tag "[/*]" on some boards; on others none.
    bool closes = true;
};

struct SmileyCode {
    QStringView code;
    Smiley smiley;
};

enum class SizeUnit : unsigned char { None, Percent, Points, Pixels };

// The values [size=…] takes. A number 1 to 7 is one of HTML's steps where the
// board has them; otherwise a bare number counts in unit, from least to most
// (brought within them where the board clamps it, else refused).
struct Sizes {
    bool steps = false;
    SizeUnit unit = SizeUnit::None;
    unsigned short least = 0;
    unsigned short most = 0;
    bool clamped = false;
    bool suffixed = false; // "12pt" and "12px", 1 to 99
    bool cssNames = false; // "xx-small" … "xx-large"
};

// The values [color=…] takes: the web's colour names and "#rgb" or "#rrggbb",
// and where the board has them, any word of letters (drawn in the usual colour
// when the browser knows no such colour), hex digits without "#", and "rgb(r,g,b)".
struct Colours {
    bool anyWord = false;
    bool bareHex = false;
    bool rgb = false;
};

// The addresses a link or a picture takes. Without taken schemes, any scheme
// but the refused ones. Schemeless: an address without a scheme is taken (the
// board puts "http://" before it).
struct Addresses {
    std::span<const QLatin1StringView> taken{};
    std::span<const QLatin1StringView> refused{};
    bool schemeless = false;
};

// How the value of "[quote=…]" names whom it quotes: the whole value, or
// inside its quotation marks (unquoted), before nameEnd ("name;n123",
// "name, post: 1"), before the first " word=" (attributes), or from
// "author=" when the tag carries attributes after a blank.
struct Quotes {
    bool unquoted = false;
    QChar nameEnd{};
    bool attributes = false;
};

enum class Unclosed : unsigned char {
    ShownAsTyped, // the tag is text, as typed
    ClosedAtEnd,  // the tag runs to where its parent closes, or to the post's end
};

struct Profile {
    QLatin1StringView key{};      // never shown
    QStringView name{};           // as the menu and the preview's foot name the board
    const char* source = nullptr; // where the table was read
    std::span<const TagRule> tags{};
    Sizes sizes{};
    Colours colours{};
    Addresses links{};
    Addresses media{};
    Quotes quotes{};
    bool slashAfterLinkClose = false; // "[url/]" closes a link
    Unclosed unclosed = Unclosed::ShownAsTyped;
    std::span<const SmileyCode> smileys{};
    bool smileysAnyCase = false;
    // A smiley code counts only at the post's start or after a blank, a line
    // break, "." or "]", and not right before a letter, digit or "_".
    bool smileysApart = false;
    // How the link dialog closes the link it writes for this board.
    QStringView linkClose{};
};

// Every board, the default first.
std::span<const Profile> profiles();
const Profile& defaultProfile();

// The rule of the profile for the tag word, or nullptr.
const TagRule* ruleOf(const Profile& profile, QStringView word);

} // namespace qirtaz::board
