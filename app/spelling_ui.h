// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Spelling in the main window: misspelt words marked in the post box, their
// suggestions at the top of the box's menu of the right mouse button (or the
// menu key), and the switch "التدقيق الإملائي" (F7) under "عرض".

class QMenu;

namespace qirtaz {
namespace postbox {
class PostBox;
}
namespace spelling {
class Speller;
}

// Marks the box's misspelt words and gives their words' menu its suggestions.
// The dictionaries start loading, in a worker, once the box is first drawn.
void checkSpelling(postbox::PostBox& box);

// The switch, added to the menu; it stands for the whole program. Its tooltip
// names a dictionary that is missing.
void addSpellingSwitch(QMenu& menu, spelling::Speller& speller);

} // namespace qirtaz
