// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/catalogue.h"

#include <array>

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
    {"a", "تعليمات", "aaa", "حول البرنامح"},
    {"view", "عرض", "preview", "معاينة الموضوع"},
};

constexpr Control form1[] = {
    {.name = "Command1",
     .kind = Kind::CommandButton,
     .text = "حجم الخط",
     .rect = {3960, 5040, 1215, 495},
     .tab = 4,
     .tooltip = "الحجم"},
    {.name = "Command5",
     .kind = Kind::CommandButton,
     .text = "أنسخ النص ",
     .rect = {2040, 5040, 1095, 495},
     .tab = 2,
     .tooltip = "اضغط هنا لنسخ النص . ثم الصقه بالمنتدى عند كتابتك للموضوع او الرد"},
    {.name = "Command4",
     .kind = Kind::CommandButton,
     .text = "خروج",
     .rect = {120, 5040, 1095, 495},
     .tab = 1,
     .tooltip = "الخروج من البرنامج"},
    {.name = "Text1",
     .kind = Kind::TextBox,
     .rect = {360, 1320, 6255, 2655},
     .tab = 0,
     .tooltip = "اكتب هنا الموضوع",
     .look = MultiLine | BothScrollBars,
     .textColour = 0x400000},
    {.name = "Image19",
     .kind = Kind::Picture,
     .rect = {6720, 5040, 480, 480},
     .tooltip = "امسح النص",
     .picture = "bin"},
    {.name = "Image17",
     .kind = Kind::Picture,
     .rect = {5760, 5040, 480, 480},
     .tooltip = "إدراج لون",
     .picture = "colour-letters"},
    {.name = "Image15",
     .kind = Kind::Picture,
     .rect = {6720, 3600, 225, 225},
     .tooltip = "حزين",
     .picture = "sad",
     .spoken = "وجه حزين :("},
    {.name = "Image14",
     .kind = Kind::Picture,
     .rect = {6720, 3000, 225, 225},
     .picture = "tongue",
     .spoken = "وجه يخرج لسانه :p"},
    {.name = "Image13",
     .kind = Kind::Picture,
     .rect = {6720, 1440, 225, 225},
     .picture = "smiling",
     .spoken = "وجه مبتسم :("},
    {.name = "Image12",
     .kind = Kind::Picture,
     .rect = {7200, 3600, 225, 225},
     .tooltip = "مندهش",
     .picture = "surprised",
     .spoken = "وجه مندهش :eek:"},
    {.name = "Image11",
     .kind = Kind::Picture,
     .rect = {7200, 3000, 225, 225},
     .picture = "wink",
     .spoken = "وجه غامز ;)"},
    {.name = "Image10",
     .kind = Kind::Picture,
     .rect = {6720, 2280, 225, 225},
     .tooltip = "غاضب",
     .picture = "angry",
     .spoken = "وجه غاضب :mad:"},
    {.name = "Image9",
     .kind = Kind::Picture,
     .rect = {7200, 2160, 225, 330},
     .picture = "question",
     .spoken = "وجه حائر :confused:"},
    {.name = "Image8",
     .kind = Kind::Picture,
     .rect = {7200, 1440, 225, 225},
     .picture = "grin",
     .spoken = "وجه ضاحك :D"},
    {.name = "Label11",
     .kind = Kind::Label,
     .text = "اقتباس",
     .rect = {5160, 480, 615, 375},
     .tab = 3,
     .tooltip = "أضغط هنا لكتابة نص على شكل مقتبس",
     .look = Centred | Transparent},
    // No picture: it only draws the frame around the word of Label11, which covers it.
    {.name = "Image7",
     .kind = Kind::Picture,
     .rect = {5160, 480, 615, 375},
     .look = Sunken,
     .spoken = "إدراج اقتباس بالنافذة الثانية"},
    {.name = "Image6",
     .kind = Kind::Picture,
     .rect = {6240, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج فلاش بالموضوع",
     .look = Sunken,
     .picture = "flash-burst"},
    {.name = "Image5",
     .kind = Kind::Picture,
     .rect = {960, 480, 405, 390},
     .tooltip = "اضغط هنا لأدراج مقطع",
     .look = Sunken,
     .picture = "play-bubble"},
    {.name = "Image4",
     .kind = Kind::Picture,
     .rect = {1800, 480, 405, 390},
     .tooltip = "اضغط هنا لإدارج صوت",
     .look = Sunken,
     .picture = "loudspeaker"},
    {.name = "Image3",
     .kind = Kind::Picture,
     .rect = {2520, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج رابط",
     .look = Sunken,
     .picture = "chain-link"},
    {.name = "Image2",
     .kind = Kind::Picture,
     .rect = {4320, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج صفحة",
     .look = Sunken,
     .picture = "web-page"},
    {.name = "Image1",
     .kind = Kind::Picture,
     .rect = {3360, 480, 405, 390},
     .tooltip = "اضغط هنا لإدراج صورة",
     .look = Sunken,
     .picture = "picture-frame"},
};

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
        {.name = "Text1", .kind = Kind::TextBox, .text = d.boxText, .rect = d.boxRect, .tab = 0},
        {.name = "Image2",
         .kind = Kind::Picture,
         .rect = d.cancelRect,
         .tooltip = d.tooltips ? CancelTip : "",
         .picture = CancelPicture,
         .spoken = CancelTip},
        {.name = "Image1",
         .kind = Kind::Picture,
         .rect = d.okRect,
         .tooltip = d.tooltips ? OkTip : "",
         .picture = OkPicture,
         .spoken = OkTip},
        {.name = "Label1",
         .kind = Kind::Label,
         .text = d.prompt,
         .rect = d.promptRect,
         .tab = 1,
         .look = Centred | Transparent,
         .textColour = d.promptColour,
         .prompts = "Text1"},
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
    {.name = "Text2",
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 720, 3135, 375},
     .tab = 2},
    {.name = "Text1", .kind = Kind::TextBox, .rect = {1320, 120, 3135, 375}, .tab = 0},
    {.name = "Image2",
     .kind = Kind::Picture,
     .rect = {1680, 1080, 480, 480},
     .tooltip = CancelTip,
     .picture = CancelPicture},
    {.name = "Image1",
     .kind = Kind::Picture,
     .rect = {3120, 1200, 600, 300},
     .tooltip = OkTip,
     .picture = OkPicture},
    {.name = "Label2",
     .kind = Kind::Label,
     .text = "اكتب الرابط",
     .rect = {120, 720, 855, 375},
     .tab = 3,
     .look = Transparent,
     .textColour = Black,
     .prompts = "Text2"},
    {.name = "Label1",
     .kind = Kind::Label,
     .text = "اكتب العبارة ",
     .rect = {120, 120, 975, 375},
     .tab = 1,
     .tooltip = "مثل : اضغط هنا لتحميل البرنامج . او اي كلمة تريدها",
     .look = Transparent,
     .textColour = Black,
     .prompts = "Text1"},
};

constexpr Control form8[] = {
    {.name = "Text3",
     .kind = Kind::TextBox,
     .text = "400",
     .rect = {1080, 600, 1095, 375},
     .tab = 3},
    {.name = "Text2",
     .kind = Kind::TextBox,
     .text = "350",
     .rect = {3480, 600, 1095, 375},
     .tab = 2},
    {.name = "Text1",
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 120, 2535, 285},
     .tab = 0},
    {.name = "Image2",
     .kind = Kind::Picture,
     .rect = {1440, 1080, 480, 480},
     .picture = CancelPicture,
     .spoken = CancelTip},
    {.name = "Image1",
     .kind = Kind::Picture,
     .rect = {3360, 1200, 600, 300},
     .picture = OkPicture,
     .spoken = OkTip},
    {.name = "Label3",
     .kind = Kind::Label,
     .text = "الطول بالبيكسل",
     .rect = {0, 720, 855, 495},
     .tab = 5,
     .look = Centred | Transparent,
     .prompts = "Text3"},
    {.name = "Label2",
     .kind = Kind::Label,
     .text = "العرض بالبكسيل",
     .rect = {2520, 600, 855, 495},
     .tab = 4,
     .look = Centred | Transparent,
     .prompts = "Text2"},
    {.name = "Label1",
     .kind = Kind::Label,
     .text = "ادخل رابط الفلاش",
     .rect = {120, 120, 975, 615},
     .tab = 1,
     .look = Centred | Transparent,
     .prompts = "Text1"},
};

constexpr Control form20[] = {
    {.name = "Option2",
     .kind = Kind::OptionButton,
     .text = "فيديو",
     .rect = {240, 840, 855, 375},
     .tab = 3},
    {.name = "Option1",
     .kind = Kind::OptionButton,
     .text = "صوت فقط",
     .rect = {3360, 840, 975, 375},
     .tab = 2},
    {.name = "Text1",
     .kind = Kind::TextBox,
     .text = "http://",
     .rect = {1320, 360, 2295, 375},
     .tab = 0},
    {.name = "Image2",
     .kind = Kind::Picture,
     .rect = {1560, 1080, 480, 480},
     .picture = CancelPicture,
     .spoken = CancelTip},
    {.name = "Image1",
     .kind = Kind::Picture,
     .rect = {2400, 1200, 600, 300},
     .picture = OkPicture,
     .spoken = OkTip},
    {.name = "Label1",
     .kind = Kind::Label,
     .text = "اكتب الرابط",
     .rect = {120, 360, 855, 375},
     .tab = 1,
     .look = Transparent,
     .prompts = "Text1"},
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
    {.name = "Command1",
     .kind = Kind::CommandButton,
     .text = "رجوع للقائمة الرئيسيه",
     .rect = {1440, 4920, 1935, 375},
     .tab = 16},
    swatch("Label16", {3360, 4320, 855, 375}, 15, Orange, "برتقالي، لتلوين كلمة ما"),
    swatch("Label15", {1800, 4320, 855, 375}, 14, Purple, "بنفسجي، لتلوين كلمة ما"),
    swatch("Label14", {480, 4320, 855, 375}, 13, Yellow, "أصفر، لتلوين كلمة ما"),
    swatch("Label13", {3720, 3480, 855, 375}, 12, White, "أبيض، لتلوين كلمة ما"),
    swatch("Label12", {2640, 3480, 855, 375}, 11, NavyBlue, "كحلي، لتلوين كلمة ما"),
    swatch("Label11", {1320, 3480, 855, 375}, 10, DarkGreen, "أخضر داكن، لتلوين كلمة ما"),
    swatch("Label10", {120, 3480, 855, 375}, 9, Red, "أحمر، لتلوين كلمة ما"),
    heading("Label9", "لتلوين كلمة ما وليس النص بالكامل من هنا", {600, 2640, 3015, 495}, 8),
    swatch("Label8", {3360, 1800, 855, 375}, 7, Orange, "برتقالي، لتلوين النص بالكامل"),
    swatch("Label7", {1800, 1800, 855, 375}, 6, Purple, "بنفسجي، لتلوين النص بالكامل"),
    swatch("Label6", {480, 1800, 855, 375}, 5, Yellow, "أصفر، لتلوين النص بالكامل"),
    swatch("Label5", {3720, 1080, 855, 375}, 4, White, "أبيض، لتلوين النص بالكامل"),
    swatch("Label4", {2520, 1080, 855, 375}, 3, NavyBlue, "كحلي، لتلوين النص بالكامل"),
    swatch("Label3", {1320, 1080, 855, 375}, 2, DarkGreen, "أخضر داكن، لتلوين النص بالكامل"),
    swatch("Label2", {240, 1080, 855, 375}, 1, Red, "أحمر، لتلوين النص بالكامل"),
    heading("Label1", "لتلوين النص بالكامل فقط اختار اللون المراد واضغط عليه ",
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
    sizeOk("Command5", {3600, 2520, 615, 255}, 15, "موافق، الحجم 5"),
    sizeOk("Command4", {3600, 2040, 615, 255}, 14, "موافق، الحجم 4"),
    sizeOk("Command3", {3600, 1560, 615, 255}, 13, "موافق، الحجم 3"),
    sizeOk("Command2", {3600, 1080, 615, 255}, 12, "موافق، الحجم 2"),
    sizeBox("Text5", {1200, 2520, 2055, 285}, 11, "نص بالحجم 5"),
    sizeBox("Text4", {1200, 2040, 2055, 285}, 10, "نص بالحجم 4"),
    sizeBox("Text3", {1200, 1560, 2055, 285}, 9, "نص بالحجم 3"),
    sizeBox("Text2", {1200, 1080, 2055, 285}, 8, "نص بالحجم 2"),
    sizeOk("Command1", {3600, 600, 615, 255}, 7, "موافق، الحجم 1"),
    sizeBox("Text1", {1200, 480, 2055, 285}, 6, "نص بالحجم 1"),
    {.name = "Image1",
     .kind = Kind::Picture,
     .rect = {4200, 2280, 480, 480},
     .picture = "return-arrow",
     .spoken = CancelTip},
    number("Label6", "5", {360, 2400, 375, 495}, 5, "النص بالكامل بالحجم 5"),
    number("Label5", "4", {360, 2040, 375, 495}, 4, "النص بالكامل بالحجم 4"),
    number("Label4", "3", {240, 1560, 615, 495}, 3, "النص بالكامل بالحجم 3"),
    number("Label3", "2", {360, 1080, 495, 495}, 2, "النص بالكامل بالحجم 2"),
    number("Label2", "1", {360, 480, 495, 495}, 1, "النص بالكامل بالحجم 1"),
    // clang-format off
    {.name = "Label1", .kind = Kind::Label, .text = "أختر الحجم المناسب للنص لتكبير النص بالكامل فقط اضغط على الرقم اما لتكبير  كلام معين الرجاء كتابة النص اما الرقم ثم موافق",
     .rect = {0, 0, 4575, 495}, .tab = 0, .look = Centred | Transparent},
    // clang-format on
};

// ---------------------------------------------------------------- the screens

constexpr Screen screens[] = {
    {.name = "Form1",
     .caption = "Qirtaz ",
     .client = {2460, 1950, 7515, 5820},
     .background = MainBackground,
     .backColour = 0x808080,
     .menus = form1Menus,
     .controls = form1,
     .minimizable = true},
    {.name = "Form2",
     .caption = "ادراج صورة",
     .client = {3900, 4245, 4995, 975},
     .background = DialogBackground,
     .controls = form2},
    {.name = "Form3",
     .caption = "ادارج رابط",
     .client = {4140, 4005, 4680, 1500},
     .background = DialogBackground,
     .controls = form3},
    {.name = "Form4",
     .caption = "أدراج صفحة",
     .client = {3180, 3060, 4680, 915},
     .background = DialogBackground,
     .controls = form4},
    {.name = "Form5",
     .caption = "اقتباس",
     .client = {4380, 4005, 4680, 1020},
     .background = DialogBackground,
     .controls = form5},
    {.name = "Form9",
     .caption = "قائمة الالوان",
     .client = {4380, 1875, 4680, 5430},
     .background = MainBackground,
     .controls = form9},
    {.name = "Form10",
     .caption = "ادراج لون",
     .client = {3900, 3765, 4680, 1065},
     .background = DialogBackground,
     .controls = form10},
    {.name = "Form11",
     .caption = "ادراج لون",
     .client = {3900, 3765, 4440, 1170},
     .background = DialogBackground,
     .controls = form11},
    {.name = "Form12",
     .caption = "ادراج لون",
     .client = {4380, 3765, 4680, 1260},
     .background = DialogBackground,
     .controls = form12},
    {.name = "Form13",
     .caption = "ادراج لون",
     .client = {4620, 3765, 4680, 1230},
     .background = DialogBackground,
     .controls = form13},
    {.name = "Form14",
     .caption = "ادراج لون",
     .client = {4380, 4005, 4680, 1275},
     .background = DialogBackground,
     .controls = form14},
    {.name = "Form15",
     .caption = "ادراج لون",
     .client = {4620, 3765, 4680, 1215},
     .background = DialogBackground,
     .controls = form15},
    {.name = "Form16",
     .caption = "ادراج لون",
     .client = {4380, 4005, 4680, 1185},
     .background = DialogBackground,
     .controls = form16},
    {.name = "Form17",
     .caption = "تكبير النص",
     .client = {4380, 3765, 4680, 2835},
     .background = SizeBackground,
     .controls = form17},
    {.name = "Form8",
     .caption = "ادراج فلاش بالنص",
     .client = {4230, 3120, 4680, 1530},
     .background = DialogBackground,
     .controls = form8},
    {.name = "Form18",
     .caption = "ادراج اقتباس",
     .client = {3735, 3615, 4680, 1320},
     .background = DialogBackground,
     .controls = form18},
    {.name = "Form19",
     .caption = "ادراج صوت",
     .client = {3735, 3855, 4680, 1305},
     .background = DialogBackground,
     .controls = form19},
    {.name = "Form20",
     .caption = "Form20",
     .client = {3495, 3375, 4680, 1530},
     .background = DialogBackground,
     .controls = form20},
    {.name = "Form6",
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
