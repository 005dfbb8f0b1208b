// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed layout of every screen, as data. Each screen is one table that reads
// like a layout sheet: rows are listed front to back, and the builder derives
// stacking and tab order from them.

#include <QRect>
#include <QStringView>

#include <span>

namespace qirtaz::screens {

// Positions and sizes are kept in twips, as the layout sheets give them;
// fifteen twips make one pixel.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr QRect toPixels() const { return {left / 15, top / 15, width / 15, height / 15}; }
};

enum class Kind { Label, TextBox, CommandButton, OptionButton, Picture };

// Fonts other than the platform's user-interface face.
enum class Face {
    Default,
    DecorativeArabic9Bold, // the colour list's headings
    SansSerif12BoldItalic, // the size dialog's numbers
};

// Appearance flags that differ from a kind's defaults.
enum Look : unsigned {
    Plain = 0,
    Centred = 1u << 0,
    Transparent = 1u << 1,
    Sunken = 1u << 2,
    MultiLine = 1u << 3,
    BothScrollBars = 1u << 4,
};

inline constexpr int DefaultColour = -1;
inline constexpr int NoTab = -1;

struct Control {
    const char* name = "";
    Kind kind = Kind::Label;
    const char* text = ""; // caption or initial text, UTF-8
    Twips rect;
    int tab = NoTab;
    const char* tooltip = ""; // UTF-8; empty: none
    unsigned look = Plain;
    int textColour = DefaultColour; // 0xRRGGBB
    int backColour = DefaultColour; // 0xRRGGBB
    Face face = Face::Default;
    const char* picture = ""; // name of the picture shown; empty: none
    // What assistive technology calls the control where neither its tooltip nor
    // its caption says what it does (UTF-8); with a tooltip, what it adds to it.
    const char* spoken = "";
    // For a prompt: the name of the box it asks for, which takes its caption as name.
    const char* prompts = "";
};

struct Menu {
    const char* name;
    const char* caption;
    const char* itemName;
    const char* itemCaption;
};

struct Screen {
    const char* name = "";
    const char* caption = "";
    Twips client;                // left and top: where the client area stands on the desktop
    const char* background = ""; // picture drawn from the client area's top-left corner
    int backColour = DefaultColour;
    std::span<const Menu> menus = {};  // left to right along the menu bar
    std::span<const Control> controls; // front to back
    bool minimizable = false;
};

// Every screen, in the order the program registers them; the first is the one
// it starts with.
std::span<const Screen> allScreens();

// nullptr when there is no such screen.
const Screen* findScreen(QStringView name);
const Control* findControl(const Screen& screen, QStringView name);
const Menu* findMenuItem(const Screen& screen, QStringView itemName);

// Text boxes, command buttons and option buttons take the keyboard focus;
// labels and pictures never do.
constexpr bool takesFocus(Kind kind) {
    return kind == Kind::TextBox || kind == Kind::CommandButton || kind == Kind::OptionButton;
}

} // namespace qirtaz::screens
