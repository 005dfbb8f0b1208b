// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a forum board reads a post, for the preview: parse() reads the post's
// text into a flat list of what is shown (paragraphs, quotations, runs of text
// with their style, smileys, placeholders for media, and tags shown as typed
// because the board would not take them), and problemsLine() says in one line
// what the board will not take. board/render.h builds a document from the list.
//
// The reader needs QtCore only and is a pure function of the text, so it may
// run in a worker thread on a copy of the post. It runs in time linear in the
// post's length, without recursion, and drops no character: every code unit of
// the post is either shown as text or part of a tag or smiley code that the
// board takes.

#include "post/reading.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace qirtaz::board {

// A colour as 0xaarrggbb, the same word as QtGui's QRgb.
using Rgb = unsigned int;

// A stretch of the parsed post; start is -1 for none.
struct Span {
    qsizetype start = -1;
    qsizetype length = 0;
    bool none() const { return start < 0; }
    friend bool operator==(const Span&, const Span&) = default;
};

// The faces the preview draws; Other is a board's smiley it has no picture for,
// shown as its code in a box of its own.
enum class Smiley : unsigned char { Mad, Wink, Eek, Sad, Tongue, Grin, Confused, Smile, Other };
enum class Align : unsigned char { Natural, Left, Centre, Right, Justify };
enum class Media : unsigned char { Image, Web, Flash, Sound, Video, Audio };

struct Style {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool coloured = false;
    Rgb colour = 0;
    unsigned char size = 0; // 0 for the board's usual size, else 1 … 7 from [size=N]
    // Sizes a board writes otherwise (percent, points, pixels, CSS's names), in
    // thousandths of the usual size; 0 for none.
    unsigned short scale = 0;
    bool code = false; // in a block of code: a fixed-pitch face
    Span link;         // the address of the link the text lies in
    friend bool operator==(const Style&, const Style&) = default;
};

enum class Problem : unsigned char {
    Unclosed, // an opening tag without its closing tag
    Unopened, // a closing tag without its opening tag
    Crossed,  // a pair that crosses another: "[b][i]x[/b][/i]" gives [i] and [/i]
    Unknown,  // a tag the board does not know, or a known one with a value it does not take
    Address,  // a link, picture or media address the board will not take
};

struct Item {
    enum class Kind : unsigned char {
        Paragraph,   // starts a paragraph: direction, align (centred when centred), list depth
        QuoteStart,  // what follows up to the matching QuoteEnd is quoted; text: whom it quotes;
                     // a spoiler (hidden until clicked) when spoiler, text its title
        QuoteEnd,    //
        Text,        // text: the post's characters shown, with style
        Marked,      // text: a tag shown as typed and marked, with style and problem
        Smiley,      // smiley, with style
        Placeholder, // media, text (the address), width and height or extra, with style
        ListItem,    // follows its paragraph's start: number (0 for a bullet) in listStyle
    };
    Kind kind = Kind::Text;
    reading::Direction direction = reading::Direction::RightToLeft;
    bool centred = false;
    Align align = Align::Natural;
    bool spoiler = false;
    unsigned char listDepth = 0; // of a paragraph: how deep in lists it stands
    char16_t listStyle = 0;      // '1', 'a', 'A', 'i', 'I'; 0 for bullets
    int number = 0;
    Smiley smiley = Smiley::Sad;
    Media media = Media::Image;
    Problem problem = Problem::Unknown;
    Span text;
    // A Flash movie's sizes when its content reads "WIDTH=wHEIGHT=h"; otherwise
    // the content as it stands is in extra.
    Span width;
    Span height;
    Span extra;
    Span code; // a smiley's code as typed, for a screen reader
    Style style;
};

struct Issue {
    Problem problem = Problem::Unknown;
    Span tag; // the tag as typed; for an address the board will not take, the address
              // (the whole tag when it is empty)
};

struct Parsed {
    QString post;
    std::vector<Item> items;
    std::vector<Issue> issues; // in the order of the post
    QStringView text(Span span) const {
        return span.none() ? QStringView() : QStringView(post).sliced(span.start, span.length);
    }
};

struct Profile;
// Reads the post as the board of profile does (board/profile.h); without one,
// as the default board, the one the program's own markup is written for.
Parsed parse(QStringView post);
Parsed parse(QStringView post, const Profile& profile);

// Whether a board takes address for a link ([url]), or for a picture or media
// ([img], [web], [FLASH=], [SOUND], [RAM], [RAM2]): http and https, and for
// links ftp and mailto too, with something after the scheme, and none of the
// characters a board refuses in an address (controls, blanks, quotes, angle
// brackets, backslashes, invisible format characters).
bool linkTaken(QStringView address);
bool mediaTaken(QStringView address);

// An address as it should read wherever it is shown on its own (a tooltip, the
// foot): left to right, in the order it was typed, even where it holds Arabic.
// For display only: it holds direction marks a screen reader should not read.
QString addressShown(QStringView address);

// What a screen reader should read of text shown in the preview: the text
// without direction marks, isolates and word joiners.
QString withoutDirectionMarks(QStringView text);

// Text that a line must not break inside unless it alone is wider than the
// line: its blanks made no-break spaces, and a word joiner wherever else a
// line could break (after a slash, before an opening bracket).
QString unbroken(QStringView text);

// The foot line of the preview: how many tags of each problem and the first of
// them, e.g. "وسم غير مغلق: [QUOTE]"; empty when there is none. Each tag is
// isolated left to right so that "[/b]" does not read "[b/]" in Arabic. Plain
// text: show it with Qt::PlainText.
QString problemsLine(const Parsed& parsed);

// What the foot line and the marks' tooltips call a problem, e.g. "وسم غير مغلق".
QString problemName(Problem problem);

// One problem of the foot's list, e.g. "رابط غير مقبول: javascript:x", isolated
// for display as problemsLine() is.
QString problemLine(const Parsed& parsed, const Issue& issue);

// A compact text form for tests and debugging, e.g.
// "rtl{b:'مرحبا' ' ' link(http://x):'P' (sad)} quote{ltr{!'[foo]'}}".
QString describe(const Parsed& parsed);

} // namespace qirtaz::board
