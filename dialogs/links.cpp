// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QRadioButton>

#include <initializer_list>

namespace qirtaz {

Q_LOGGING_CATEGORY(dialogsLog, "qirtaz.dialogs")

namespace dialogs {

namespace {
// One of the markup literals, constant for the run.
QStringView linkClose = markup::LinkClose;
} // namespace

void setLinkClose(QStringView close) {
    linkClose = close;
}

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
    names::Name screen;
    // Enter in any of them inserts, as the OK picture does.
    std::initializer_list<names::Name> boxes;
    QString (*fragment)(ScreenInstance& dialog);
    // The image and link dialogs bring the main window back to the front; the
    // others only close, and whatever lay behind them comes forward.
    bool showsMainWindow;
};

const LinkDialog linkDialogs[] = {
    {names::ImageDialog,
     {names::dialog::Box},
     [](ScreenInstance& d) { return markup::imageTag(boxText(d, names::dialog::Box)); },
     true},
    {names::LinkDialog,
     {names::link::Phrase, names::link::Address},
     [](ScreenInstance& d) {
         const QString phrase = boxText(d, names::link::Phrase);
         return markup::linkTag(boxText(d, names::link::Address), phrase, dialogs::linkClose);
     },
     true},
    {names::PageDialog,
     {names::dialog::Box},
     [](ScreenInstance& d) { return markup::webTag(boxText(d, names::dialog::Box)); },
     false},
    {names::FlashDialog,
     {names::flash::Address, names::flash::Width, names::flash::Height},
     [](ScreenInstance& d) {
         const QString address = boxText(d, names::flash::Address);
         const QString width = boxText(d, names::flash::Width);
         return markup::flashTag(address, width, boxText(d, names::flash::Height));
     },
     false},
    {names::SoundDialog,
     {names::dialog::Box},
     [](ScreenInstance& d) { return markup::soundTag(boxText(d, names::dialog::Box)); },
     false},
    // Only the video button is asked; the sound-only button means the same as none.
    {names::ClipDialog,
     {names::dialog::Box},
     [](ScreenInstance& d) {
         const bool video = d.control<QRadioButton>(names::clip::Video).isChecked();
         const QString address = boxText(d, names::dialog::Box);
         return video ? markup::videoTag(address) : markup::audioTag(address);
     },
     false},
};

} // namespace

void bindLinkDialogs(Registry& registry) {
    for (const LinkDialog& dialog : linkDialogs) {
        registry.bind(dialog.screen, names::dialog::Ok, [&registry, dialog] {
            ScreenInstance& self = registry.instance(dialog.screen);
            PostBuffer post(registry);
            post.append(dialog.fragment(self));
            if (dialog.showsMainWindow)
                registry.instance(names::MainWindow).show();
            self.unload();
        });
        for (const names::Name& box : dialog.boxes)
            registry.bindEnter(dialog.screen, box, names::dialog::Ok);
        dialogs::bindClose(registry, dialog.screen, names::dialog::Cancel);
    }
}

} // namespace qirtaz
