#pragma once

#include <string>
#include <string_view>

namespace orvel {

class Form;
class ControlStore;

// The map column captions for "TPS X RPM" / "MAP X RPM"; other texts change nothing.
void setMapColumnCaptions(ControlStore& store, std::string_view combination);

// Checks made when the user leaves a field or types into a guarded list.
class EntryRules {
public:
    explicit EntryRules(Form& form) : form_(form) {}
    void eDeslCutOffExit();
    void eLigaCutOffExit();
    void eLimiteRpmExit();
    void eAvancoPartidaExit();
    void cbCombinacaoMapaExit();
    // cbTipoDistribuidorKeyPress, cbCilindrosKeyPress, cbCombinacaoMapaKeyPress
    void guardedListKeyPress(std::string_view list);

private:
    Form& form_;
};

} // namespace orvel
