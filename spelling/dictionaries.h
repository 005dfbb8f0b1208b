// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// hunspell's dictionaries, one set for each script the post is checked in:
// Arabic ("ar", from Debian's hunspell-ar) and Latin ("en_US", hunspell-en-us).
// Nothing is ever added to them or written anywhere.
//
// hunspell is not safe to use from two threads at once: one thread at a time
// owns a Dictionaries (Speller hands it to its one worker).

#include "spelling/words.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace qirtaz::spelling {

class Dictionaries {
public:
    // The folder Debian's dictionaries live in.
    static QStringList standardFolders();

    // Loads what it finds in folders (0.4 to 0.5 s for Arabic).
    explicit Dictionaries(const QStringList& folders);
    ~Dictionaries();
    Dictionaries(const Dictionaries&) = delete;
    Dictionaries& operator=(const Dictionaries&) = delete;

    // Whether a dictionary for the script was found.
    bool has(Script script) const;
    // True when one of the script's dictionaries knows the word, or it has none.
    bool isCorrect(QStringView word, Script script);
    // At most `most` suggestions, in the dictionary's order.
    QStringList suggestions(QStringView word, Script script, int most);
    // Who is missing, for the user: "العربية (hunspell-ar)" and the like.
    QStringList missing() const;

private:
    struct Dictionary;
    std::vector<std::unique_ptr<Dictionary>> dictionaries_;
    QStringList missing_;
    // Words judged lately: a post repeats its words, and a misspelt one takes
    // hunspell some 0.3 ms.
    QHash<QString, bool> verdicts_[2];
};

} // namespace qirtaz::spelling
