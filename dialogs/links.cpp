// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QRadioButton>

#include <initializer_list>

namespace qirtaz {
namespace dialogs {

QString boxText(ScreenInstance& dialog, QStringView box) {
    return dialog.control<QLineEdit>(box).text();
}

void bindClose(Registry& registry, QStringView dialog, QStringView control) {
    registry.bind(dialog, control,
                  [&registry, name = dialog.toString()] { registry.instance(name).unload(); });
    bindEscape(registry, dialog, control);
}

void bindEscape(Registry& registry, QStringView dialog, QStringView cancel) {
    registry.bindKey(dialog, QKeySequence(Qt::Key_Escape), cancel);
}

} // namespace dialogs

namespace {

using dialogs::boxText;

struct LinkDialog {
    const char16_t* screen;
    // Enter in any of them inserts, as the OK picture does.
    std::initializer_list<const char16_t*> boxes;
    QString (*fragment)(ScreenInstance& dialog);
    // The image and link dialogs bring the main window back to the front; the
    // others only close, and whatever lay behind them comes forward.
    bool showsMainWindow;
};

const LinkDialog linkDialogs[] = {
    {u"Form2",
     {u"Text1"},
     [](ScreenInstance& d) { return markup::imageTag(boxText(d, u"Text1")); },
     true},
    {u"Form3",
     {u"Text1", u"Text2"},
     [](ScreenInstance& d) {
         const QString phrase = boxText(d, u"Text1");
         return markup::linkTag(boxText(d, u"Text2"), phrase);
     },
     true},
    {u"Form4",
     {u"Text1"},
     [](ScreenInstance& d) { return markup::webTag(boxText(d, u"Text1")); },
     false},
    {u"Form8",
     {u"Text1", u"Text3", u"Text2"},
     [](ScreenInstance& d) {
         const QString address = boxText(d, u"Text1");
         const QString width = boxText(d, u"Text3");
         return markup::flashTag(address, width, boxText(d, u"Text2"));
     },
     false},
    {u"Form19",
     {u"Text1"},
     [](ScreenInstance& d) { return markup::soundTag(boxText(d, u"Text1")); },
     false},
    // Only the video button is asked; the sound-only button means the same as none.
    {u"Form20",
     {u"Text1"},
     [](ScreenInstance& d) {
         const bool video = d.control<QRadioButton>(u"Option2").isChecked();
         const QString address = boxText(d, u"Text1");
         return video ? markup::videoTag(address) : markup::audioTag(address);
     },
     false},
};

} // namespace

void bindLinkDialogs(Registry& registry) {
    for (const LinkDialog& dialog : linkDialogs) {
        registry.bind(dialog.screen, u"Image1", [&registry, dialog] {
            ScreenInstance& self = registry.instance(dialog.screen);
            PostBuffer post(registry);
            post.append(dialog.fragment(self));
            if (dialog.showsMainWindow)
                registry.instance(u"Form1").show();
            self.unload();
        });
        for (const char16_t* box : dialog.boxes)
            registry.bindEnter(dialog.screen, box, u"Image1");
        dialogs::bindClose(registry, dialog.screen, u"Image2");
    }
}

} // namespace qirtaz
