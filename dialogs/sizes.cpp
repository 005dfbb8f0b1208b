// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

namespace qirtaz {
namespace {

constexpr char16_t SizeDialog[] = u"Form17";

// One row per size: its number wraps the whole post, its OK button appends the
// text of its own box.
struct SizeRow {
    const char16_t* number;
    const char16_t* box;
    const char16_t* ok;
    QStringView opening;
};

constexpr SizeRow sizeRows[] = {
    {u"Label2", u"Text1", u"Command1", markup::Size1},
    {u"Label3", u"Text2", u"Command2", markup::Size2},
    {u"Label4", u"Text3", u"Command3", markup::Size3},
    {u"Label5", u"Text4", u"Command4", markup::Size4},
    {u"Label6", u"Text5", u"Command5", markup::Size5},
};

} // namespace

void bindSizePicker(Registry& registry) {
    // The numbers take no Tab stop: the arrow keys go through them and the OK
    // buttons, Enter or Space presses the one they are on.
    QStringList arrows;
    for (const SizeRow& row : sizeRows) {
        arrows << QString::fromUtf16(row.number) << QString::fromUtf16(row.ok);
        registry.bind(SizeDialog, row.number, [&registry, opening = row.opening] {
            PostBuffer(registry).wrap(opening, markup::SizeClose);
            registry.instance(SizeDialog).unload();
        });
        registry.bind(SizeDialog, row.ok, [&registry, row] {
            ScreenInstance& self = registry.instance(SizeDialog);
            PostBuffer post(registry);
            post.append(markup::sizeTag(row.opening, dialogs::boxText(self, row.box)));
            self.unload();
        });
        // Enter in a row's box is that row's OK, and no other.
        registry.bindEnter(SizeDialog, row.box, row.ok);
    }
    dialogs::bindClose(registry, SizeDialog, u"Image1");
    registry.bindArrows(SizeDialog, arrows);
}

} // namespace qirtaz
