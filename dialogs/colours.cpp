// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

using namespace Qt::StringLiterals;

namespace qirtaz {
namespace {

// The whole-post block of the colour list. The white and yellow swatches have
// no colour of their own on the boards and give blue.
struct WholePostSwatch {
    names::Name control;
    QStringView opening;
};

constexpr WholePostSwatch wholePostSwatches[] = {
    {names::colours::WholePost[0], markup::Red},    {names::colours::WholePost[1], markup::Green},
    {names::colours::WholePost[2], markup::Blue},   {names::colours::WholePost[3], markup::Blue},
    {names::colours::WholePost[4], markup::Blue},   {names::colours::WholePost[5], markup::Purple},
    {names::colours::WholePost[6], markup::Orange},
};

// The word block: each swatch opens the dialog of the same number. The white
// and yellow dialogs give red.
struct WordSwatch {
    names::Name control;
    names::Name dialog;
    QStringView opening;
};

constexpr WordSwatch wordSwatches[] = {
    {names::colours::Word[0], names::colours::WordDialogs[0], markup::Red},
    {names::colours::Word[1], names::colours::WordDialogs[1], markup::Green},
    {names::colours::Word[2], names::colours::WordDialogs[2], markup::Blue},
    {names::colours::Word[3], names::colours::WordDialogs[3], markup::Red},
    {names::colours::Word[4], names::colours::WordDialogs[4], markup::Red},
    {names::colours::Word[5], names::colours::WordDialogs[5], markup::Purple},
    {names::colours::Word[6], names::colours::WordDialogs[6], markup::Orange},
};

} // namespace

void bindColourPicker(Registry& registry) {
    // The swatches take no Tab stop: the arrow keys go through them and the
    // list's own button, Enter or Space presses the one they are on.
    QStringList arrows{names::colours::Back.toString()};
    for (const WholePostSwatch& swatch : wholePostSwatches) {
        arrows << swatch.control.toString();
        registry.bind(names::ColourList, swatch.control, [&registry, opening = swatch.opening] {
            PostBuffer(registry).wrap(opening, markup::ColourClose);
            registry.instance(names::ColourList).unload();
        });
    }
    dialogs::bindClose(registry, names::ColourList, names::colours::Back);

    for (const WordSwatch& swatch : wordSwatches) {
        arrows << swatch.control.toString();
        registry.bind(names::ColourList, swatch.control, [&registry, dialog = swatch.dialog] {
            registry.instance(dialog).show();
            registry.instance(names::ColourList).unload();
        });
        registry.bind(swatch.dialog, names::dialog::Ok, [&registry, swatch] {
            ScreenInstance& self = registry.instance(swatch.dialog);
            PostBuffer post(registry);
            post.append(
                markup::colourTag(swatch.opening, dialogs::boxText(self, names::dialog::Box)));
            self.unload();
            registry.instance(names::MainWindow).show();
        });
        registry.bindEnter(swatch.dialog, names::dialog::Box, names::dialog::Ok);
        // Back to a fresh colour list: it closed when this dialog opened.
        registry.bind(swatch.dialog, names::dialog::Cancel, [&registry, dialog = swatch.dialog] {
            registry.instance(names::ColourList).show();
            registry.instance(dialog).unload();
        });
        dialogs::bindEscape(registry, swatch.dialog, names::dialog::Cancel);
        registry.bindArrows(swatch.dialog,
                            {names::dialog::Ok.toString(), names::dialog::Cancel.toString()});
    }
    registry.bindArrows(names::ColourList, arrows);
}

} // namespace qirtaz
