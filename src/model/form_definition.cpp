#include "model/form_definition.h"

namespace orvel::formdef {
void populate(ControlStore& store) { (void)store; }
} // namespace orvel::formdef
