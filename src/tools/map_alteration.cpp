#include "tools/map_alteration.h"
#include "core/form.h"

namespace orvel {
void MapAlteration::btnAlterarMapasClick() { (void)form_; }
void MapAlteration::btnAlterarClick() {}
void MapAlteration::btnVoltarTelaPrincipalClick() {}
} // namespace orvel
