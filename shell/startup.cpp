#include "shell/startup.h"

#include "composer/commands.h"
#include "dialogs/dialogs.h"

namespace qirtaz {

QString exitMessage() {
    return QStringLiteral("للأي اقتراح او استفسار .. المراسله على ") +
           QStringLiteral("qirtaz@example.org");
}

void exitSequence(Registry& registry) {
    registry.messageBox(exitMessage());
    registry.end();
}

void bindAll(Registry& registry) {
    bindMainWindow(registry);
    bindLinkDialogs(registry);
    bindQuoteDialogs(registry);
    bindColourPicker(registry);
    bindSizePicker(registry);
}

void start(Registry& registry) {
    registry.instance(QString::fromLatin1(screens::allScreens().front().name)).show();
}

} // namespace qirtaz
