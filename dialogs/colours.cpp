// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

using namespace Qt::StringLiterals;

namespace qirtaz {
namespace {

constexpr char16_t ColourList[] = u"Form9";

// The whole-post block of the colour list. The white and yellow swatches have
// no colour of their own on the boards and give blue.
struct WholePostSwatch {
    const char16_t* control;
    QStringView opening;
};

constexpr WholePostSwatch wholePostSwatches[] = {
    {u"Label2", markup::Red},    {u"Label3", markup::Green}, {u"Label4", markup::Blue},
    {u"Label5", markup::Blue},   {u"Label6", markup::Blue},  {u"Label7", markup::Purple},
    {u"Label8", markup::Orange},
};

// The word block: each swatch opens the dialog of the same number. The white
// and yellow dialogs give red.
struct WordSwatch {
    const char16_t* control;
    const char16_t* dialog;
    QStringView opening;
};

constexpr WordSwatch wordSwatches[] = {
    {u"Label10", u"Form10", markup::Red},    {u"Label11", u"Form11", markup::Green},
    {u"Label12", u"Form12", markup::Blue},   {u"Label13", u"Form13", markup::Red},
    {u"Label14", u"Form14", markup::Red},    {u"Label15", u"Form15", markup::Purple},
    {u"Label16", u"Form16", markup::Orange},
};

} // namespace

void bindColourPicker(Registry& registry) {
    // The swatches take no Tab stop: the arrow keys go through them and the
    // list's own button, Enter or Space presses the one they are on.
    QStringList arrows{u"Command1"_s};
    for (const WholePostSwatch& swatch : wholePostSwatches) {
        arrows << QString::fromUtf16(swatch.control);
        registry.bind(ColourList, swatch.control, [&registry, opening = swatch.opening] {
            PostBuffer(registry).wrap(opening, markup::ColourClose);
            registry.instance(ColourList).unload();
        });
    }
    dialogs::bindClose(registry, ColourList, u"Command1");

    for (const WordSwatch& swatch : wordSwatches) {
        arrows << QString::fromUtf16(swatch.control);
        registry.bind(ColourList, swatch.control, [&registry, dialog = swatch.dialog] {
            registry.instance(dialog).show();
            registry.instance(ColourList).unload();
        });
        registry.bind(swatch.dialog, u"Image1", [&registry, swatch] {
            ScreenInstance& self = registry.instance(swatch.dialog);
            PostBuffer post(registry);
            post.append(markup::colourTag(swatch.opening, dialogs::boxText(self, u"Text1")));
            self.unload();
            registry.instance(u"Form1").show();
        });
        registry.bindEnter(swatch.dialog, u"Text1", u"Image1");
        // Back to a fresh colour list: it closed when this dialog opened.
        registry.bind(swatch.dialog, u"Image2", [&registry, dialog = swatch.dialog] {
            registry.instance(ColourList).show();
            registry.instance(dialog).unload();
        });
        dialogs::bindEscape(registry, swatch.dialog, u"Image2");
        registry.bindArrows(swatch.dialog, {u"Image1"_s, u"Image2"_s});
    }
    registry.bindArrows(ColourList, arrows);
}

} // namespace qirtaz
