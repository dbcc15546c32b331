#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orvel {

class ControlStore;
class Dialogs;

// The labels above the maps' columns, left to right: the TPS or MAP steps.
inline constexpr std::array<std::string_view, 8> kInjectionColumnLabels{
    "Label57", "Label63", "Label64", "Label65", "Label66", "Label69", "Label70", "Label71"};
inline constexpr std::array<std::string_view, 8> kIgnitionColumnLabels{
    "Label72", "Label73", "Label74", "Label75", "Label76", "Label77", "Label78", "Label79"};

// The map column captions for "TPS X RPM" / "MAP X RPM"; other texts change nothing.
void setMapColumnCaptions(ControlStore& store, std::string_view combination);

// Checks made when the user leaves a field or types into a guarded list.
class EntryRules {
public:
    EntryRules(ControlStore& controls, Dialogs& dialogs) : controls_(controls), dialogs_(dialogs) {}
    void eDeslCutOffExit();
    void eLigaCutOffExit();
    void eLimiteRpmExit();
    void eAvancoPartidaExit();
    void cbCombinacaoMapaExit();
    // cbTipoDistribuidorKeyPress, cbCilindrosKeyPress, cbCombinacaoMapaKeyPress
    void guardedListKeyPress(std::string_view list);

private:
    // Shows the message, empties the field and puts the focus back into it.
    void refuse(std::string_view field, std::string_view message);
    void checkMaximum(std::string_view field, double maximum, std::string_view message,
                      std::string_view putBack);

    ControlStore& controls_;
    Dialogs& dialogs_;
};

} // namespace orvel
