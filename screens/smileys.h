// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's smiley buttons, one row each, front to back as the sheet
// lists them. The catalogue makes each row's picture control, the main window's
// commands bind its code and key, the insert menu lists it by its spoken name,
// the preview says a drawn smiley as its button does, and the tests ask the
// README's key table for a row of each. The code is the text the button types;
// the board's reader knows the codes it draws (post/markup.h, board/), and the
// commands check at compile time that every row's code is one of them.

#include "screens/catalogue.h"
#include "screens/names.h"

namespace qirtaz::screens {

struct SmileyButton {
    names::Name control;
    const char16_t* code;
    const char* picture;
    Twips rect;
    const char* tooltip; // UTF-8; empty: none
    const char* spoken;  // what a screen reader and the insert menu call it, UTF-8
    // Alt and its place counted from the top of the right-hand column.
    const char* key;
    // Its command also right-aligns the post box.
    bool alignsRight = false;
};

// The smiling and the sad face look different and type the same code.
inline constexpr SmileyButton smileyButtons[] = {
    {u"Image15", u":(", "sad", {6720, 3600, 225, 225}, "حزين", "وجه حزين :(", "Alt+8"},
    {u"Image14", u":p", "tongue", {6720, 3000, 225, 225}, "", "وجه يخرج لسانه :p", "Alt+7"},
    {u"Image13", u":(", "smiling", {6720, 1440, 225, 225}, "", "وجه مبتسم :(", "Alt+5"},
    {u"Image12",
     u":eek:",
     "surprised",
     {7200, 3600, 225, 225},
     "مندهش",
     "وجه مندهش :eek:",
     "Alt+4"},
    {u"Image11", u";)", "wink", {7200, 3000, 225, 225}, "", "وجه غامز ;)", "Alt+3"},
    {u"Image10", u":mad:", "angry", {6720, 2280, 225, 225}, "غاضب", "وجه غاضب :mad:", "Alt+6"},
    {u"Image9",
     u":confused:",
     "question",
     {7200, 2160, 225, 330},
     "",
     "وجه حائر :confused:",
     "Alt+2"},
    {u"Image8", u":D", "grin", {7200, 1440, 225, 225}, "", "وجه ضاحك :D", "Alt+1", true},
};

constexpr Control smileyControl(const SmileyButton& smiley) {
    return {.name = smiley.control,
            .kind = Kind::Picture,
            .rect = smiley.rect,
            .tooltip = smiley.tooltip,
            .picture = smiley.picture,
            .spoken = smiley.spoken};
}

} // namespace qirtaz::screens
