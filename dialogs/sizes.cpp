// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

namespace qirtaz {
namespace {

// One row per size: its number wraps the whole post, its OK button appends the
// text of its own box.
struct SizeRow {
    names::Name number;
    names::Name box;
    names::Name ok;
    QStringView opening;
};

constexpr SizeRow sizeRows[] = {
    {names::sizes::Numbers[0], names::sizes::Boxes[0], names::sizes::Oks[0], markup::Size1},
    {names::sizes::Numbers[1], names::sizes::Boxes[1], names::sizes::Oks[1], markup::Size2},
    {names::sizes::Numbers[2], names::sizes::Boxes[2], names::sizes::Oks[2], markup::Size3},
    {names::sizes::Numbers[3], names::sizes::Boxes[3], names::sizes::Oks[3], markup::Size4},
    {names::sizes::Numbers[4], names::sizes::Boxes[4], names::sizes::Oks[4], markup::Size5},
};

} // namespace

void bindSizePicker(Registry& registry) {
    // The numbers take no Tab stop: the arrow keys go through them and the OK
    // buttons, Enter or Space presses the one they are on.
    QStringList arrows;
    for (const SizeRow& row : sizeRows) {
        arrows << row.number.toString() << row.ok.toString();
        registry.bind(names::SizeDialog, row.number, [&registry, opening = row.opening] {
            PostBuffer(registry).wrap(opening, markup::SizeClose);
            registry.instance(names::SizeDialog).unload();
        });
        registry.bind(names::SizeDialog, row.ok, [&registry, row] {
            ScreenInstance& self = registry.instance(names::SizeDialog);
            PostBuffer post(registry);
            post.append(markup::sizeTag(row.opening, dialogs::boxText(self, row.box)));
            self.unload();
        });
        // Enter in a row's box is that row's OK, and no other.
        registry.bindEnter(names::SizeDialog, row.box, row.ok);
    }
    dialogs::bindClose(registry, names::SizeDialog, names::sizes::Cancel);
    registry.bindArrows(names::SizeDialog, arrows);
}

} // namespace qirtaz
