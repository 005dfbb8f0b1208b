#pragma once

namespace qirtaz {
class Registry;

// The main window's commands: smileys, clear, copy, the openers of every
// dialog, exit, and the about item of the menu; and its load step.
void bindMainWindow(Registry& registry);

} // namespace qirtaz
