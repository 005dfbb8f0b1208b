// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insertion dialogs' commands. Each reads its own boxes at the moment of the
// click, changes the post once, and closes its dialog.

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

namespace qirtaz {
class Registry;

Q_DECLARE_LOGGING_CATEGORY(dialogsLog)
class ScreenInstance;

void bindLinkDialogs(Registry& registry);  // image, link, web page, Flash, sound, RealMedia
void bindQuoteDialogs(Registry& registry); // the two quote dialogs
void bindColourPicker(Registry& registry); // the colour list and its seven dialogs
void bindSizePicker(Registry& registry);   // the font-size dialog

namespace dialogs {
// How the link dialog closes the link it writes, for the rest of the run: the
// catalogue's "[url/]" until a board that reads another is chosen.
void setLinkClose(QStringView close);
// The whole current text of one of a dialog's single-line boxes.
QString boxText(ScreenInstance& dialog, QStringView box);
// The close-without-inserting command: the dialog goes, the post stays as it is.
// Esc does the same.
void bindClose(Registry& registry, QStringView dialog, QStringView control);
// Esc in the dialog clicks its cancel command.
void bindEscape(Registry& registry, QStringView dialog, QStringView cancel);
} // namespace dialogs

} // namespace qirtaz
