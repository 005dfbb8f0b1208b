// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

namespace qirtaz {

void bindQuoteDialogs(Registry& registry) {
    // Form18 is the one the quote box opens; Form5 inserts alike.
    for (const char16_t* screen : {u"Form18", u"Form5"}) {
        registry.bind(screen, u"Image1", [&registry, screen] {
            ScreenInstance& self = registry.instance(screen);
            PostBuffer post(registry);
            post.append(markup::quoteTag(dialogs::boxText(self, u"Text1")));
            self.unload();
        });
        registry.bindEnter(screen, u"Text1", u"Image1");
        // Form5's cancel picture closes it too, as every other cancel picture does.
        dialogs::bindClose(registry, screen, u"Image2");
    }
}

} // namespace qirtaz
