#pragma once

#include "shell/registry.h"

namespace qirtaz {

// The message the program says goodbye with.
QString exitMessage();

// Shows the goodbye message and, once the user has dismissed it, ends the run.
void exitSequence(Registry& registry);

// Binds every command of every screen and the main window's load step.
void bindAll(Registry& registry);

// Shows the main window, the first screen of the registry.
void start(Registry& registry);

} // namespace qirtaz
