// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding a word in the post as an Arabic writer means it. The same word is
// typed with or without its short vowels ("مُحَمَّد", "محمد"), with or without
// the lengthening stroke ("مــرحبا"), with any form of alef and with "ى" or
// "ي" at its end; Latin letters are the same word in either case. Both the
// post and what is looked for are folded (see fold()) before they are
// compared, and a match is given back as the exact span of the post it covers,
// marks included, so that replacing it leaves no stray vowel behind.
//
// Pure work on a string: it may run on a worker over a copy of the post.

#include "post/reading.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace qirtaz::find {

// What a letter is compared as: itself, another letter, or nothing at all
// (Ignored) when the word reads the same without it.
inline constexpr char32_t Ignored = 0xFFFFFFFF;
char32_t fold(char16_t unit);

struct Options {
    bool exact = false;      // the letters as they are, nothing folded
    bool wholeWords = false; // no letter, digit or mark just before or after
    bool textOnly = true;    // not inside tags, smiley codes and addresses
    friend bool operator==(const Options&, const Options&) = default;
};

class Finder {
public:
    Finder() = default;
    Finder(QStringView needle, Options options);

    bool isEmpty() const { return needle_.empty(); }
    const Options& options() const { return options_; }

    // Every match in one line of the post (text holding no line break), in
    // order and never overlapping, offset by where the line starts.
    void findInLine(QStringView line, qsizetype offset, std::vector<reading::Span>& out) const;
    // Every match in the whole post, lines split at "\n".
    std::vector<reading::Span> findAll(QStringView post) const;
    // The first match starting at or after from, if any.
    std::optional<reading::Span> findFrom(QStringView post, qsizetype from) const;

private:
    std::vector<char16_t> needle_; // folded
    Options options_;
};

} // namespace qirtaz::find
