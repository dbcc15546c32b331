#include "activity/control_states.h"

#include "core/control_store.h"

#include <array>

namespace orvel {

namespace {

// The alteration mode's row and column shift fields.
constexpr std::array<std::string_view, 34> kShiftFields{
    "eC0ig",  "eC1ig",  "eC2ig",  "eC3ig",  "eC4ig",  "eC5ig",  "eC6ig",  "eC7ig",  "eL0ig",
    "eL1ig",  "eL2ig",  "eL3ig",  "eL4ig",  "eL5ig",  "eL6ig",  "eL7ig",  "eL8ig",  "eC0inj",
    "eC1inj", "eC2inj", "eC3inj", "eC4inj", "eC5inj", "eC6inj", "eC7inj", "eL0inj", "eL1inj",
    "eL2inj", "eL3inj", "eL4inj", "eL5inj", "eL6inj", "eL7inj", "eL8inj"};

constexpr std::array<std::string_view, 7> kGaugesButRpmBar{"Gauge1", "Gauge2", "Gauge3", "Gauge5",
                                                           "Gauge6", "Gauge7", "Gauge8"};

// The rows written out one by one below, before the gauges and shift fields.
constexpr std::size_t kNamedRows = 25;
static_assert(kNamedRows + kGaugesButRpmBar.size() + kShiftFields.size() == kDerivedStates);

// A transfer, the scanner, the percent map or a replay holds the fields.
bool fieldsBusy(const Activity& a) {
    return a.receiving() || a.uploading() || a.scanning() || a.replay();
}

bool mayLoad(const Activity& a) {
    return !fieldsBusy(a) && !a.percent() && !a.tpsBusy();
}

} // namespace

DerivedStates controlStates(const Activity& a) {
    using P = DerivedState::Property;
    using A = Activity;
    const bool busy = fieldsBusy(a);
    const bool save = !busy && !a.percent();
    const bool waitDisplay = a.uploading() && a.tps() == A::Tps::None;
    const bool gauges = a.scanning() || a.replay();
    const bool normalPage = !a.alteration();

    DerivedStates s{{
        // Pairs: the partner on the other page follows.
        {"btnLerDados", P::Enabled, a.mayTransfer()},
        {"btnEnvia", P::Enabled, a.mayTransfer()},
        {"btnSalvar", P::Enabled, save},
        {"btnCarregar", P::Enabled, mayLoad(a)},
        {"btnAlterarMapas", P::Enabled, !busy && !a.held(A::kAlterButton)},
        {"Button3", P::Enabled,
         a.portOpen() && !a.receiving() && !a.uploading() && !a.checking() && !a.tpsBusy() &&
             !a.replay() && !a.calibratorHoldsScanner() && !a.held(A::kScannerButton)},
        {"btnAtivar", P::Enabled, a.mayOpenPort()},
        {"btnDesativar", P::Enabled, a.mayClosePort()},
        {"btnConfigurarTps", P::Enabled, a.mayCalibrateTps()},
        {"btnPercentual", P::Enabled, a.mayConvertToPercent()},
        {"btnmS", P::Enabled, a.percent() && a.mayChangeMapAsWhole()},
        {"btnAlterar", P::Enabled, a.mayChangeMapAsWhole()},

        {"pnAguarde", P::Visible, a.receiving() || waitDisplay},
        {"Panel1", P::Visible, a.reading() || waitDisplay},
        {"Button3", P::Visible, normalPage},
        {"Button6", P::Visible, normalPage},
        {"Button8", P::Visible, normalPage},
        {"btnCarregar", P::Visible, normalPage},
        {"btnSalvar", P::Visible, normalPage},
        {"btnAlterarMapas", P::Visible, normalPage},
        {"GroupBox3", P::Visible, !a.quickAccelerationHidden()},
        {"GroupBox10", P::Visible, a.alteration()},
        {"btnVoltarTelaPrincipal", P::Visible, a.alteration()},
        {"Gauge4", P::Visible, gauges && !a.rpmBarHidden()},
        {"TabSheet2", P::TabVisible, !a.scanning()},
    }};
    std::size_t next = kNamedRows;
    for (auto name : kGaugesButRpmBar) {
        s[next++] = {name, P::Visible, gauges};
    }
    for (auto name : kShiftFields) {
        s[next++] = {name, P::Visible, a.alteration()};
    }
    return s;
}

PageStates pageStates(const Activity& a) {
    return {.checkModule = a.mayCheckModule(), .checking = a.checking(), .load = mayLoad(a)};
}

void applyControlStates(ControlStore& controls, const DerivedStates& states,
                        const DerivedStates* applied) {
    for (std::size_t i = 0; i < states.size(); ++i) {
        const auto& s = states[i];
        if (applied != nullptr && (*applied)[i].value == s.value) {
            continue;
        }
        switch (s.property) {
        case DerivedState::Property::Enabled:
            controls.setEnabled(s.control, s.value);
            break;
        case DerivedState::Property::Visible:
            controls.setVisible(s.control, s.value);
            break;
        case DerivedState::Property::TabVisible:
            controls.setTabVisible(s.control, s.value);
            break;
        }
    }
}

} // namespace orvel
