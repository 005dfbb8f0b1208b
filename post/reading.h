// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a line of the post reads: which parts of it are markup (tags and smiley
// codes), and which way it runs. A line takes its direction from its first
// strong letter outside markup, so "[color=red]مرحبا" reads right to left although
// its first letter is the "c" of "color"; a line with no such letter runs the
// way the line before it runs, and the first line of a post right to left.

#include <QStringView>

#include <functional>
#include <vector>

namespace qirtaz::reading {

enum class Direction : unsigned char { Neutral, LeftToRight, RightToLeft };

struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const Span&, const Span&) = default;
};

// A tag is "[", an optional "/", a Latin letter, anything but "[" or "]" up to
// the next "]". So "[url=http://…]", "[/color]", "[url/]" and "[FLASH=…]" are
// tags (the address inside counts as part of its tag), while "[1]" and
// "[ملاحظة]" are text. Returns the tag's length at the very start of text, or 0.
qsizetype tagAt(QStringView text);

// The smiley code at the very start of text: its length, or 0.
qsizetype smileyAt(QStringView text);

// Every tag and smiley code of a line, in order and never overlapping.
std::vector<Span> markupSpans(QStringView line);

// The bare address ("http://", "https://" or "www." and what follows up to a
// blank or a bracket) at the very start of text: its length, or 0.
qsizetype addressAt(QStringView text);

// What reads left to right as typed, wherever it stands: every tag, smiley code
// and bare address of a line (one starting where a word starts), in order and
// never overlapping.
std::vector<Span> ownOrderSpans(QStringView line);

// Reads the spans of ownOrderSpans(line) from from on, where from is a place
// inside no span of the line (what is before it cannot change what is after
// it), into spans, and the tags and smiley codes among them also into markup.
// Stops at the first place at or after until, outside every span, for which
// stop holds, or at the end of the line; returns where it stopped. So a change
// of a long line reads it again only as far as its spans differ.
qsizetype readOwnOrder(QStringView line, qsizetype from, qsizetype until,
                       const std::function<bool(qsizetype)>& stop, std::vector<Span>& spans,
                       std::vector<Span>& markup);

// The line's own direction: that of its first strong letter outside markup,
// Neutral when it has none.
Direction ownDirection(QStringView line);

// The direction a line is shown in, given its own and that of the line before.
constexpr Direction resolved(Direction own, Direction previous) {
    if (own != Direction::Neutral)
        return own;
    return previous == Direction::Neutral ? Direction::RightToLeft : previous;
}

} // namespace qirtaz::reading
