// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The paste's first reader, through Qt's rich-text document: slow on long or
// deeply nested pages and bound to the window's thread, but what the paste's
// lines were measured against. The tests hold the paste to it where both
// read the page alike.

#include <QString>

namespace qirtaz::qtreader {

QString boardTags(const QString& html);

} // namespace qirtaz::qtreader
