#pragma once

#include "core/control_store.h"

namespace orvel::formdef {

// Adds every control of the main window to the store with its start state:
// kind, parent, caption or text, hint, enabled, visible, colours, typing limit,
// list items. Geometry and fonts are the Qt window's business (app/layout).
void populate(ControlStore& store);

} // namespace orvel::formdef
