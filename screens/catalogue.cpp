// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/catalogue.h"

#include "screens/names.h"
#include "screens/smileys.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace qirtaz::screens {
namespace {

// Pictures are referred to by name; the picture files themselves come with the art.
constexpr const char* MainBackground = "main-background";
constexpr const char* DialogBackground = "dialog-background";
constexpr const char* SizeBackground = "size-background";
constexpr const char* AboutPicture = "about";
constexpr const char* OkPicture = "ok";
constexpr const char* CancelPicture = "cancel";

constexpr const char* OkTip = "موافق";
constexpr const char* CancelTip = "إلغاء الأمر";

// ---------------------------------------------------------------- main window

// The about item, and beside it the window that shows the post as the board will.
constexpr Menu form1Menus[] = {
    {names::main::HelpMenu, "تعليمات", names::main::AboutItem, "حول البرنامح"},
    {names::main::ViewMenu, "عرض", names::main::PreviewItem, "معاينة الموضوع"},
};

constexpr Control form1Front[] = {
    {.name = names::main::FontSize,
     .kind = Kind::CommandButton,
     .text = "حجم الخط",
     .rect = {3960, 5040, 1215, 495},
     .tab = 4,
     .tooltip = "الحجم"},
    {.name = names::main::Copy,
     .kind = Kind::CommandButton,
     .text = "أنسخ النص ",
     .rect = {2040, 5040, 1095, 495},
     .tab = 2,
     .tooltip = "اضغط هنا لنسخ النص . ثم الصقه بالمنتدى عند كتابتك للموضوع او الرد"},
    {.name = names::main::Exit,
     .kind = Kind::CommandButton,
     .text = "خروج",
     .rect = {120, 5040, 1095, 495},
     .tab = 1,
     .tooltip = "الخروج من البرنامج"},
    {.name = names::main::PostBox,
     .kind = Kind::TextBox,
     .rect = {360, 1320, 6255, 2655},
     .tab = 0,
     .tooltip = "اكتب هنا الموضوع",
     .look = MultiLine | BothScrollBars,
     .textColour = 0x400000},
    {.name = names::main::Clear,
     .kind = Kind::Picture,
     .rect = {6720, 5040, 480, 480},
     .tooltip = "امسح النص",
     .picture = "bin"},
    {.name = names::main::Colour,
     .kind = Kind::Picture,
     .rect = {5760, 5040, 480, 480},
     .tooltip = "إدراج لون",
     .picture = "colour-letters"},
};

// The smileys' buttons stand between the colour picture and the quote label.
constexpr Control form1Back[] = {
    {.name = names::main::Quote,
     .kind = Kind::Label,
     .text = "اقتباس",
     .rect = {5160, 480, 615, 375},
     .tab = 3,
     .tooltip = "أضغط هنا لكتابة نص على شكل مقتبس",
     .look = Centred | Transparent},
    // No picture: it only draws the frame around the word of the quote label, which covers it.
    {.name = names::main::QuoteFrame,
     .kind = Kind::Picture,
     .rect = {5160, 480, 615, 375},
     .look = Sunken,
     .spoken = "إدراج اقتباس بالنافذة الثانية"},
    {.name = names::main::Flash,
     .kind = Kind::Picture,
     .rect = {6240, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج فلاش بالموضوع",
     .look = Sunken,
     .picture = "flash-burst"},
    {.name = names::main::Clip,
     .kind = Kind::Picture,
     .rect = {960, 480, 405, 390},
     .tooltip = "اضغط هنا لأدراج مقطع",
     .look = Sunken,
     .picture = "play-bubble"},
    {.name = names::main::Sound,
     .kind = Kind::Picture,
     .rect = {1800, 480, 405, 390},
     .tooltip = "اضغط هنا لإدارج صوت",
     .look = Sunken,
     .picture = "loudspeaker"},
    {.name = names::main::Link,
     .kind = Kind::Picture,
     .rect = {2520, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج رابط",
     .look = Sunken,
     .picture = "chain-link"},
    {.name = names::main::Page,
     .kind = Kind::Picture,
     .rect = {4320, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج صفحة",
     .look = Sunken,
     .picture = "web-page"},
    {.name = names::main::Image,
     .kind = Kind::Picture,
     .rect = {3360, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج صورة",
     .look = Sunken,
     .picture = "picture-frame"},
};

template <std::size_t Front, std::size_t Back>
constexpr auto withSmileys(const Control (&front)[Front], const Control (&back)[Back]) {
    constexpr std::size_t Smileys = std::size(smileyButtons);
    std::array<Control, Front + Smileys + Back> rows{};
    std::size_t i = 0;
    for (const Control& row : front)
        rows[i++] = row;
    for (const SmileyButton& smiley : smileyButtons)
        rows[i++] = smileyControl(smiley);
    for (const Control& row : back)
        rows[i++] = row;
    return rows;
}

constexpr auto form1 = withSmileys(form1Front, form1Back);

// ------------------------------------------------------ standard dialog layout

// Fifteen dialogs share one shape: prompt, input box, OK and cancel pictures.
struct StandardDialog {
    const char* prompt;
    Twips promptRect;
    int promptColour;
    Twips boxRect;
    const char* boxText;
    Twips okRect;
    Twips cancelRect;
    bool tooltips; // OK and cancel pictures carry their tooltips
};

constexpr std::array<Control, 4> standardLayout(const StandardDialog& d) {
    return {{
        {.name = names::dialog::Box,
         .kind = Kind::TextBox,
         .text = d.boxText,
         .rect = d.boxRect,
         .tab = 0},
        {.name = names::dialog::Cancel,
         .kind = Kind::Picture,
         .rect = d.cancelRect,
         .tooltip = d.tooltips ? CancelTip : "",
         .picture = CancelPicture,
         .spoken = CancelTip},
        {.name = names::dialog::Ok,
         .kind = Kind::Picture,
         .rect = d.okRect,
         .tooltip = d.tooltips ? OkTip : "",
         .picture = OkPicture,
         .spoken = OkTip},
        {.name = names::dialog::Prompt,
         .kind = Kind::Label,
         .text = d.prompt,
         .rect = d.promptRect,
         .tab = 1,
         .look = Centred | Transparent,
         .textColour = d.promptColour,
         .prompts = names::dialog::Box},
    }};
}

constexpr int Black = 0x000000;
constexpr int Navy = 0x000040;
constexpr int Default = DefaultColour;

// clang-format off
//                                 prompt                                          prompt rect              colour   box rect                 box text    OK rect                 cancel rect            tooltips
constexpr auto form2  = standardLayout({"اكتب رابط الصورة",                          {0, 120, 975, 495},     Navy,    {1320, 120, 3495, 405},  "http://",  {3240, 600, 600, 300},  {1800, 600, 480, 480}, false});
constexpr auto form4  = standardLayout({"اكتب موقع الصفحة",                          {0, 120, 975, 375},     Black,   {1200, 120, 2895, 375},  "http://",  {2760, 600, 600, 300},  {1680, 480, 480, 480}, true});
constexpr auto form5  = standardLayout({"أدخل النص",                                 {0, 120, 975, 375},     Black,   {1200, 120, 3015, 375},  "",         {2760, 720, 600, 300},  {1680, 600, 480, 480}, false});
constexpr auto form10 = standardLayout({"اكتب النص هنا ثم موافق",                    {0, 120, 1095, 495},    Black,   {1440, 120, 3135, 375},  "",         {3000, 720, 600, 300},  {1920, 600, 480, 480}, false});
constexpr auto form11 = standardLayout({"كتب النص هنا ثم موافق",                     {0, 240, 1335, 495},    Black,   {1560, 240, 2295, 375},  "",         {2640, 840, 600, 300},  {1560, 720, 480, 480}, true});
constexpr auto form12 = standardLayout({"كتب النص هنا ثم موافق",                     {120, 240, 1095, 495},  Default, {1440, 240, 2775, 375},  "",         {2760, 840, 600, 300},  {1800, 720, 480, 480}, true});
constexpr auto form13 = standardLayout({"كتب النص هنا ثم موافق",                     {120, 120, 1215, 615},  Default, {1560, 120, 2775, 375},  "",         {2880, 720, 600, 300},  {1800, 600, 480, 480}, true});
constexpr auto form14 = standardLayout({"كتب النص هنا ثم موافق",                     {240, 120, 1215, 495},  Default, {1680, 120, 2775, 375},  "",         {3120, 840, 600, 300},  {1920, 720, 480, 480}, true});
constexpr auto form15 = standardLayout({"كتب النص هنا ثم موافق",                     {120, 120, 1215, 495},  Default, {1560, 120, 2655, 375},  "",         {2880, 720, 600, 300},  {1680, 600, 480, 480}, true});
constexpr auto form16 = standardLayout({"كتب النص هنا ثم موافق",                     {120, 120, 975, 615},   Default, {1440, 120, 2895, 375},  "",         {3000, 720, 600, 300},  {1560, 600, 480, 480}, false});
constexpr auto form18 = standardLayout({"أدخل الكلام الى تود انه يكون على شكل افتباس", {0, 240, 1215, 615},     Default, {1440, 240, 2655, 375},  "",         {3240, 960, 600, 300},  {1680, 840, 480, 480}, false});
constexpr auto form19 = standardLayout({"اكتب رابط الصوت",                           {120, 240, 1215, 375},  Default, {1560, 240, 2415, 375},  "http://",  {3000, 840, 600, 300},  {1560, 720, 480, 480}, false});
// clang-format on

// ------------------------------------------- standard layout with more controls

constexpr Control form3[] = {
    {.name = names::link::Address,
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 720, 3135, 375},
     .tab = 2},
    {.name = names::link::Phrase, .kind = Kind::TextBox, .rect = {1320, 120, 3135, 375}, .tab = 0},
    {.name = names::dialog::Cancel,
     .kind = Kind::Picture,
     .rect = {1680, 1080, 480, 480},
     .tooltip = CancelTip,
     .picture = CancelPicture},
    {.name = names::dialog::Ok,
     .kind = Kind::Picture,
     .rect = {3120, 1200, 600, 300},
     .tooltip = OkTip,
     .picture = OkPicture},
    {.name = names::link::AddressPrompt,
     .kind = Kind::Label,
     .text = "اكتب الرابط",
     .rect = {120, 720, 855, 375},
     .tab = 3,
     .look = Transparent,
     .textColour = Black,
     .prompts = names::link::Address},
    {.name = names::link::PhrasePrompt,
     .kind = Kind::Label,
     .text = "اكتب العبارة ",
     .rect = {120, 120, 975, 375},
     .tab = 1,
     .tooltip = "مثل : اضغط هنا لتحميل البرنامج . او اي كلمة تريدها",
     .look = Transparent,
     .textColour = Black,
     .prompts = names::link::Phrase},
};

constexpr Control form8[] = {
    {.name = names::flash::Width,
     .kind = Kind::TextBox,
     .text = "400",
     .rect = {1080, 600, 1095, 375},
     .tab = 3},
    {.name = names::flash::Height,
     .kind = Kind::TextBox,
     .text = "350",
     .rect = {3480, 600, 1095, 375},
     .tab = 2},
    {.name = names::flash::Address,
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 120, 2535, 285},
     .tab = 0},
    {.name = names::dialog::Cancel,
     .kind = Kind::Picture,
     .rect = {1440, 1080, 480, 480},
     .picture = CancelPicture,
     .spoken = CancelTip},
    {.name = names::dialog::Ok,
     .kind = Kind::Picture,
     .rect = {3360, 1200, 600, 300},
     .picture = OkPicture,
     .spoken = OkTip},
    {.name = names::flash::WidthPrompt,
     .kind = Kind::Label,
     .text = "الطول بالبيكسل",
     .rect = {0, 720, 855, 495},
     .tab = 5,
     .look = Centred | Transparent,
     .prompts = names::flash::Width},
    {.name = names::flash::HeightPrompt,
     .kind = Kind::Label,
     .text = "العرض بالبكسيل",
     .rect = {2520, 600, 855, 495},
     .tab = 4,
     .look = Centred | Transparent,
     .prompts = names::flash::Height},
    {.name = names::flash::AddressPrompt,
     .kind = Kind::Label,
     .text = "ادخل رابط الفلاش",
     .rect = {120, 120, 975, 615},
     .tab = 1,
     .look = Centred | Transparent,
     .prompts = names::flash::Address},
};

constexpr Control form20[] = {
    {.name = names::clip::Video,
     .kind = Kind::OptionButton,
     .text = "فيديو",
     .rect = {240, 840, 855, 375},
     .tab = 3},
    {.name = names::clip::Audio,
     .kind = Kind::OptionButton,
     .text = "صوت فقط",
     .rect = {3360, 840, 975, 375},
     .tab = 2},
    {.name = names::dialog::Box,
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 360, 2295, 375},
     .tab = 0},
    {.name = names::dialog::Cancel,
     .kind = Kind::Picture,
     .rect = {1560, 1080, 480, 480},
     .picture = CancelPicture,
     .spoken = CancelTip},
    {.name = names::dialog::Ok,
     .kind = Kind::Picture,
     .rect = {2400, 1200, 600, 300},
     .picture = OkPicture,
     .spoken = OkTip},
    {.name = names::dialog::Prompt,
     .kind = Kind::Label,
     .text = "اكتب الرابط",
     .rect = {120, 360, 855, 375},
     .tab = 1,
     .look = Transparent,
     .prompts = names::dialog::Box},
};

// ------------------------------------------------------------------ colour list

constexpr Control heading(const char* name, const char* text, Twips rect, int tab) {
    return {.name = name,
            .kind = Kind::Label,
            .text = text,
            .rect = rect,
            .tab = tab,
            .look = Centred | Transparent,
            .textColour = Black,
            .face = Face::DecorativeArabic9Bold};
}

// A swatch shows only its colour; it says which, and what it colours.
constexpr Control swatch(const char* name, Twips rect, int tab, int colour, const char* spoken) {
    return {.name = name,
            .kind = Kind::Label,
            .rect = rect,
            .tab = tab,
            .backColour = colour,
            .spoken = spoken};
}

constexpr int Red = 0xC00000;
constexpr int DarkGreen = 0x004000;
constexpr int NavyBlue = 0x000080;
constexpr int White = 0xFFFFFF;
constexpr int Yellow = 0xFFFF00;
constexpr int Purple = 0x800080;
constexpr int Orange = 0xC04000;

constexpr Control form9[] = {
    {.name = names::colours::Back,
     .kind = Kind::CommandButton,
     .text = "رجوع للقائمة الرئيسيه",
     .rect = {1440, 4920, 1935, 375},
     .tab = 16},
    swatch(names::colours::Word[6], {3360, 4320, 855, 375}, 15, Orange, "برتقالي، لتلوين كلمة ما"),
    swatch(names::colours::Word[5], {1800, 4320, 855, 375}, 14, Purple, "بنفسجي، لتلوين كلمة ما"),
    swatch(names::colours::Word[4], {480, 4320, 855, 375}, 13, Yellow, "أصفر، لتلوين كلمة ما"),
    swatch(names::colours::Word[3], {3720, 3480, 855, 375}, 12, White, "أبيض، لتلوين كلمة ما"),
    swatch(names::colours::Word[2], {2640, 3480, 855, 375}, 11, NavyBlue, "كحلي، لتلوين كلمة ما"),
    swatch(names::colours::Word[1], {1320, 3480, 855, 375}, 10, DarkGreen,
           "أخضر داكن، لتلوين كلمة ما"),
    swatch(names::colours::Word[0], {120, 3480, 855, 375}, 9, Red, "أحمر، لتلوين كلمة ما"),
    heading(names::colours::WordHeading, "لتلوين كلمة ما وليس النص بالكامل من هنا",
            {600, 2640, 3015, 495}, 8),
    swatch(names::colours::WholePost[6], {3360, 1800, 855, 375}, 7, Orange,
           "برتقالي، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[5], {1800, 1800, 855, 375}, 6, Purple,
           "بنفسجي، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[4], {480, 1800, 855, 375}, 5, Yellow,
           "أصفر، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[3], {3720, 1080, 855, 375}, 4, White,
           "أبيض، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[2], {2520, 1080, 855, 375}, 3, NavyBlue,
           "كحلي، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[1], {1320, 1080, 855, 375}, 2, DarkGreen,
           "أخضر داكن، لتلوين النص بالكامل"),
    swatch(names::colours::WholePost[0], {240, 1080, 855, 375}, 1, Red,
           "أحمر، لتلوين النص بالكامل"),
    heading(names::colours::WholeHeading, "لتلوين النص بالكامل فقط اختار اللون المراد واضغط عليه ",
            {720, 120, 3255, 615}, 0),
};

// ------------------------------------------------------------- font-size dialog

// Each of a row's controls says the row's size.
constexpr Control number(const char* name, const char* digit, Twips rect, int tab,
                         const char* spoken) {
    return {.name = name,
            .kind = Kind::Label,
            .text = digit,
            .rect = rect,
            .tab = tab,
            .look = Centred | Transparent,
            .face = Face::SansSerif12BoldItalic,
            .spoken = spoken};
}

constexpr Control sizeBox(const char* name, Twips rect, int tab, const char* spoken) {
    return {.name = name, .kind = Kind::TextBox, .rect = rect, .tab = tab, .spoken = spoken};
}

constexpr Control sizeOk(const char* name, Twips rect, int tab, const char* spoken) {
    return {.name = name,
            .kind = Kind::CommandButton,
            .text = "موافق",
            .rect = rect,
            .tab = tab,
            .spoken = spoken};
}

constexpr Control form17[] = {
    sizeOk(names::sizes::Oks[4], {3600, 2520, 615, 255}, 15, "موافق، الحجم 5"),
    sizeOk(names::sizes::Oks[3], {3600, 2040, 615, 255}, 14, "موافق، الحجم 4"),
    sizeOk(names::sizes::Oks[2], {3600, 1560, 615, 255}, 13, "موافق، الحجم 3"),
    sizeOk(names::sizes::Oks[1], {3600, 1080, 615, 255}, 12, "موافق، الحجم 2"),
    sizeBox(names::sizes::Boxes[4], {1200, 2520, 2055, 285}, 11, "نص بالحجم 5"),
    sizeBox(names::sizes::Boxes[3], {1200, 2040, 2055, 285}, 10, "نص بالحجم 4"),
    sizeBox(names::sizes::Boxes[2], {1200, 1560, 2055, 285}, 9, "نص بالحجم 3"),
    sizeBox(names::sizes::Boxes[1], {1200, 1080, 2055, 285}, 8, "نص بالحجم 2"),
    sizeOk(names::sizes::Oks[0], {3600, 600, 615, 255}, 7, "موافق، الحجم 1"),
    sizeBox(names::sizes::Boxes[0], {1200, 480, 2055, 285}, 6, "نص بالحجم 1"),
    {.name = names::sizes::Cancel,
     .kind = Kind::Picture,
     .rect = {4200, 2280, 480, 480},
     .picture = "return-arrow",
     .spoken = CancelTip},
    number(names::sizes::Numbers[4], "5", {360, 2400, 375, 495}, 5, "النص بالكامل بالحجم 5"),
    number(names::sizes::Numbers[3], "4", {360, 2040, 375, 495}, 4, "النص بالكامل بالحجم 4"),
    number(names::sizes::Numbers[2], "3", {240, 1560, 615, 495}, 3, "النص بالكامل بالحجم 3"),
    number(names::sizes::Numbers[1], "2", {360, 1080, 495, 495}, 2, "النص بالكامل بالحجم 2"),
    number(names::sizes::Numbers[0], "1", {360, 480, 495, 495}, 1, "النص بالكامل بالحجم 1"),
    // clang-format off
    {.name = names::sizes::Heading, .kind = Kind::Label, .text = "أختر الحجم المناسب للنص لتكبير النص بالكامل فقط اضغط على الرقم اما لتكبير  كلام معين الرجاء كتابة النص اما الرقم ثم موافق",
     .rect = {0, 0, 4575, 495}, .tab = 0, .look = Centred | Transparent},
    // clang-format on
};

// ---------------------------------------------------------------- the screens

constexpr Screen screens[] = {
    {.name = names::MainWindow,
     .caption = "Qirtaz ",
     .client = {2460, 1950, 7515, 5820},
     .background = MainBackground,
     .backColour = 0x808080,
     .menus = form1Menus,
     .controls = form1,
     .minimizable = true},
    {.name = names::ImageDialog,
     .caption = "ادراج صورة",
     .client = {3900, 4245, 4995, 975},
     .background = DialogBackground,
     .controls = form2},
    {.name = names::LinkDialog,
     .caption = "ادارج رابط",
     .client = {4140, 4005, 4680, 1500},
     .background = DialogBackground,
     .controls = form3},
    {.name = names::PageDialog,
     .caption = "أدراج صفحة",
     .client = {3180, 3060, 4680, 915},
     .background = DialogBackground,
     .controls = form4},
    {.name = names::QuoteBoxDialog,
     .caption = "اقتباس",
     .client = {4380, 4005, 4680, 1020},
     .background = DialogBackground,
     .controls = form5},
    {.name = names::ColourList,
     .caption = "قائمة الالوان",
     .client = {4380, 1875, 4680, 5430},
     .background = MainBackground,
     .controls = form9},
    {.name = names::colours::WordDialogs[0],
     .caption = "ادراج لون",
     .client = {3900, 3765, 4680, 1065},
     .background = DialogBackground,
     .controls = form10},
    {.name = names::colours::WordDialogs[1],
     .caption = "ادراج لون",
     .client = {3900, 3765, 4440, 1170},
     .background = DialogBackground,
     .controls = form11},
    {.name = names::colours::WordDialogs[2],
     .caption = "ادراج لون",
     .client = {4380, 3765, 4680, 1260},
     .background = DialogBackground,
     .controls = form12},
    {.name = names::colours::WordDialogs[3],
     .caption = "ادراج لون",
     .client = {4620, 3765, 4680, 1230},
     .background = DialogBackground,
     .controls = form13},
    {.name = names::colours::WordDialogs[4],
     .caption = "ادراج لون",
     .client = {4380, 4005, 4680, 1275},
     .background = DialogBackground,
     .controls = form14},
    {.name = names::colours::WordDialogs[5],
     .caption = "ادراج لون",
     .client = {4620, 3765, 4680, 1215},
     .background = DialogBackground,
     .controls = form15},
    {.name = names::colours::WordDialogs[6],
     .caption = "ادراج لون",
     .client = {4380, 4005, 4680, 1185},
     .background = DialogBackground,
     .controls = form16},
    {.name = names::SizeDialog,
     .caption = "تكبير النص",
     .client = {4380, 3765, 4680, 2835},
     .background = SizeBackground,
     .controls = form17},
    {.name = names::FlashDialog,
     .caption = "ادراج فلاش بالنص",
     .client = {4230, 3120, 4680, 1530},
     .background = DialogBackground,
     .controls = form8},
    {.name = names::QuoteDialog,
     .caption = "ادراج اقتباس",
     .client = {3735, 3615, 4680, 1320},
     .background = DialogBackground,
     .controls = form18},
    {.name = names::SoundDialog,
     .caption = "ادراج صوت",
     .client = {3735, 3855, 4680, 1305},
     .background = DialogBackground,
     .controls = form19},
    {.name = names::ClipDialog,
     .caption = "Form20",
     .client = {3495, 3375, 4680, 1530},
     .background = DialogBackground,
     .controls = form20},
    {.name = names::AboutWindow,
     .caption = "حووول البرنامج",
     .client = {4710, 3615, 4020, 3000},
     .background = AboutPicture,
     .controls = {}},
};

} // namespace

std::span<const Screen> allScreens() {
    return screens;
}

const Screen* findScreen(QStringView name) {
    for (const Screen& screen : screens)
        if (name == QLatin1StringView(screen.name))
            return &screen;
    return nullptr;
}

const Control* findControl(const Screen& screen, QStringView name) {
    for (const Control& control : screen.controls)
        if (name == QLatin1StringView(control.name))
            return &control;
    return nullptr;
}

const Menu* findMenuItem(const Screen& screen, QStringView itemName) {
    for (const Menu& menu : screen.menus)
        if (itemName == QLatin1StringView(menu.itemName))
            return &menu;
    return nullptr;
}

} // namespace qirtaz::screens
