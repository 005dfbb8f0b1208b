// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the screens and of the controls the program reaches by name.
// They are the layout sheets' own names, kept exactly: the catalogue's rows are
// written with them, and tests and assistive technology find controls by them.
// Code says what a control is for (names::main::PostBox); the sheet's name
// ("Text1") is written once, here.

#include <QString>
#include <QStringView>

#include <cstddef>

namespace qirtaz::names {

// One name, as the catalogue's rows keep it (Latin-1) and as the registry is
// asked for it (UTF-16): both spellings come from one literal at compile time.
class Name {
public:
    static constexpr std::size_t Capacity = 12;

    // Implicit both ways: a table row writes the literal, and a name goes
    // wherever the catalogue or the registry takes one.
    template <std::size_t N>
    requires(N <= Capacity) consteval Name(const char16_t (&name)[N])
        : size_(N - 1) {
        for (std::size_t i = 0; i < N; ++i) {
            utf16_[i] = name[i];
            latin1_[i] = char(name[i]);
        }
    }

    constexpr operator QStringView() const { return {utf16_, size_}; }
    constexpr operator const char*() const { return latin1_; }
    QString toString() const { return QStringView(*this).toString(); }

private:
    char16_t utf16_[Capacity] = {};
    char latin1_[Capacity] = {};
    qsizetype size_ = 0;
};

// ------------------------------------------------------------------- screens
inline constexpr Name MainWindow = u"Form1";
inline constexpr Name ImageDialog = u"Form2";
inline constexpr Name LinkDialog = u"Form3";
inline constexpr Name PageDialog = u"Form4";
inline constexpr Name QuoteBoxDialog = u"Form5"; // the quote of the second window
inline constexpr Name AboutWindow = u"Form6";
inline constexpr Name FlashDialog = u"Form8";
inline constexpr Name ColourList = u"Form9";
inline constexpr Name SizeDialog = u"Form17";
inline constexpr Name QuoteDialog = u"Form18";
inline constexpr Name SoundDialog = u"Form19";
inline constexpr Name ClipDialog = u"Form20";
// The one screen the catalogue does not describe: the board's view of the post.
inline constexpr Name Preview = u"Preview";

// --------------------------------------------------------- the main window
namespace main {
inline constexpr Name PostBox = u"Text1";
inline constexpr Name FontSize = u"Command1";
inline constexpr Name Copy = u"Command5";
inline constexpr Name Exit = u"Command4";
inline constexpr Name Clear = u"Image19";
inline constexpr Name Colour = u"Image17";
inline constexpr Name Quote = u"Label11";
inline constexpr Name QuoteFrame = u"Image7";
inline constexpr Name Flash = u"Image6";
inline constexpr Name Clip = u"Image5";
inline constexpr Name Sound = u"Image4";
inline constexpr Name Link = u"Image3";
inline constexpr Name Page = u"Image2";
inline constexpr Name Image = u"Image1";
// The smileys' buttons are named in their own table (screens/smileys.h).

// The menus and their items.
inline constexpr Name HelpMenu = u"a";
inline constexpr Name AboutItem = u"aaa";
inline constexpr Name ViewMenu = u"view";
inline constexpr Name PreviewItem = u"preview";
} // namespace main

// ------------------------------------------- every dialog of the standard shape
// (a prompt, a box, OK and cancel pictures), and the first box of the others.
namespace dialog {
inline constexpr Name Box = u"Text1";
inline constexpr Name Ok = u"Image1";
inline constexpr Name Cancel = u"Image2";
inline constexpr Name Prompt = u"Label1";
} // namespace dialog

namespace link {
inline constexpr Name Phrase = u"Text1";
inline constexpr Name Address = u"Text2";
inline constexpr Name PhrasePrompt = u"Label1";
inline constexpr Name AddressPrompt = u"Label2";
} // namespace link

namespace flash {
inline constexpr Name Address = u"Text1";
inline constexpr Name Height = u"Text2";
inline constexpr Name Width = u"Text3";
inline constexpr Name AddressPrompt = u"Label1";
inline constexpr Name HeightPrompt = u"Label2";
inline constexpr Name WidthPrompt = u"Label3";
} // namespace flash

namespace clip {
inline constexpr Name Audio = u"Option1";
inline constexpr Name Video = u"Option2";
} // namespace clip

// ---------------------------------------------------------- the colour list
namespace colours {
inline constexpr Name Back = u"Command1";
inline constexpr Name WholeHeading = u"Label1";
inline constexpr Name WordHeading = u"Label9";
// Top to bottom, right to left as the sheet counts them.
inline constexpr Name WholePost[] = {u"Label2", u"Label3", u"Label4", u"Label5",
                                     u"Label6", u"Label7", u"Label8"};
inline constexpr Name Word[] = {u"Label10", u"Label11", u"Label12", u"Label13",
                                u"Label14", u"Label15", u"Label16"};
// The dialog each of the word swatches opens, in the same order.
inline constexpr Name WordDialogs[] = {u"Form10", u"Form11", u"Form12", u"Form13",
                                       u"Form14", u"Form15", u"Form16"};
} // namespace colours

// ------------------------------------------------------- the font-size dialog
namespace sizes {
inline constexpr Name Cancel = u"Image1";
inline constexpr Name Heading = u"Label1";
// Sizes 1 to 5.
inline constexpr Name Numbers[] = {u"Label2", u"Label3", u"Label4", u"Label5", u"Label6"};
inline constexpr Name Boxes[] = {u"Text1", u"Text2", u"Text3", u"Text4", u"Text5"};
inline constexpr Name Oks[] = {u"Command1", u"Command2", u"Command3", u"Command4", u"Command5"};
} // namespace sizes

} // namespace qirtaz::names
