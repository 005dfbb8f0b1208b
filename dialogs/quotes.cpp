// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialogs.h"
#include "post/markup.h"
#include "post/post.h"
#include "screens/names.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

namespace qirtaz {

void bindQuoteDialogs(Registry& registry) {
    // The quote label opens the one, the second window's quote picture the other; both insert
    // alike.
    for (const names::Name& screen : {names::QuoteDialog, names::QuoteBoxDialog}) {
        registry.bind(screen, names::dialog::Ok, [&registry, screen] {
            ScreenInstance& self = registry.instance(screen);
            PostBuffer post(registry);
            post.append(markup::quoteTag(dialogs::boxText(self, names::dialog::Box)));
            self.unload();
        });
        registry.bindEnter(screen, names::dialog::Box, names::dialog::Ok);
        // Each one's cancel picture closes it, as every other cancel picture does.
        dialogs::bindClose(registry, screen, names::dialog::Cancel);
    }
}

} // namespace qirtaz
