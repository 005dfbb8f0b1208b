// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words of a line of the post that a dictionary can judge. Tags and smiley
// codes are not words, but what stands between them is: in "[b]bold[/b]" the word
// is "bold". Addresses (http://…, https://…, www.…, and mail addresses), anything
// with a digit in it, of any script, and single letters are left alone. A word of
// Arabic letters goes to the Arabic dictionary and one of Latin letters to the
// English one; a word that mixes the two goes to neither.

#include "post/reading.h"

#include <QStringView>

#include <vector>

namespace qirtaz::spelling {

enum class Script : unsigned char { Arabic, Latin };

struct Word {
    reading::Span span; // in the line's own positions
    Script script = Script::Arabic;
    friend bool operator==(const Word&, const Word&) = default;
};

std::vector<Word> words(QStringView line);

} // namespace qirtaz::spelling
