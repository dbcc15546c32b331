#include "model/entry_rules.h"
#include "core/form.h"

namespace orvel {
void setMapColumnCaptions(ControlStore& store, std::string_view combination) { (void)store; (void)combination; }
void EntryRules::eDeslCutOffExit() { (void)form_; }
void EntryRules::eLigaCutOffExit() {}
void EntryRules::eLimiteRpmExit() {}
void EntryRules::eAvancoPartidaExit() {}
void EntryRules::cbCombinacaoMapaExit() {}
void EntryRules::guardedListKeyPress(std::string_view list) { (void)list; }
} // namespace orvel
