#include "tools/map_alteration.h"

#include "form/form.h"
#include "model/config.h"
#include "model/number_text.h"
#include "tools/map_arithmetic.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace orvel {

namespace {

std::string columnField(int column, const char* map) {
    return "eC" + std::to_string(column) + map;
}
std::string rowField(int row, const char* map) {
    return "eL" + std::to_string(row) + map;
}

// The 34 shift fields in the order they are cleared after a run.
std::vector<std::string> shiftFields() {
    std::vector<std::string> names;
    for (const char* map : {"inj", "ig"}) {
        for (int c = 0; c < config::kMapColumns; ++c) {
            names.push_back(columnField(c, map));
        }
        for (int r = 0; r < config::kMapRows; ++r) {
            names.push_back(rowField(r, map));
        }
    }
    names.emplace_back("eAlterar");
    names.emplace_back("eAltera");
    return names;
}

bool isWhole(double value) {
    return value == std::trunc(value);
}

// The ignition shift fields as the user sees them: the whole-map field by its
// label, a column by its caption, a row by its engine speed.
std::string shiftPlace(const ControlStore& ui, int column, int row) {
    if (column < 0) {
        return "em \"Alterar todo o Mapa de Ignição\"";
    }
    if (row < 0) {
        return "na coluna \"" + ui.caption("Label" + std::to_string(72 + column)) +
               "\" do Mapa de Ignição";
    }
    return "na linha de " + std::to_string(config::kRowRpm[static_cast<std::size_t>(row)]) +
           " RPM do Mapa de Ignição";
}

} // namespace

void MapAlteration::setShiftFieldsVisible(bool visible) {
    auto& ui = form_.controls;
    for (const char* map : {"ig", "inj"}) {
        for (int c = 0; c < config::kMapColumns; ++c) {
            ui.setVisible(columnField(c, map), visible);
        }
        for (int r = 0; r < config::kMapRows; ++r) {
            ui.setVisible(rowField(r, map), visible);
        }
    }
}

void MapAlteration::btnAlterarMapasClick() {
    auto& ui = form_.controls;
    ui.setVisible({"Button3", "Button6", "Button8", "btnCarregar", "btnSalvar", "GroupBox3",
                   "btnAnular", "btnRecalcular", "Gauge4"},
                  false);
    setShiftFieldsVisible(true);
    ui.setVisible({"GroupBox10", "btnVoltarTelaPrincipal"}, true);
    ui.setEnabled({"Button3", "btnAlterarMapas", "btnDesativar", "btnAtivar"}, false);
    ui.setVisible("btnAlterarMapas", false);
}

void MapAlteration::btnAlterarClick() {
    auto& ui = form_.controls;
    auto number = [&ui](const std::string& name) { return numtext::parseDecimal(ui.text(name)); };
    const bool milliseconds = ui.enabled("btnPercentual");

    // Every text is read and every result formed before the first cell is
    // written, so a text that is not a number leaves both maps as they were.
    std::vector<std::pair<std::string, std::string>> results;
    results.reserve(2 * config::kMapCells);
    for (int n = 0; n < config::kMapCells; ++n) {
        const int r = n / config::kMapColumns;
        const int c = n % config::kMapColumns;
        const double v = number(config::injectionKey(n));
        const double whole = number("eAlterar");
        const double column = number(columnField(c, "inj"));
        const double row = number(rowField(r, "inj"));
        results.emplace_back(config::injectionKey(n),
                             maparith::injectionCellText(
                                 maparith::scaledInjection(v, whole, column, row), milliseconds));
    }
    for (int n = 0; n < config::kMapCells; ++n) {
        const int r = n / config::kMapColumns;
        const int c = n % config::kMapColumns;
        const double v = number(config::ignitionKey(n));
        const double whole = number("eAltera");
        const double column = number(columnField(c, "ig"));
        const double row = number(rowField(r, "ig"));
        std::string cell =
            maparith::ignitionCellText(n, maparith::shiftedIgnition(v, whole, column, row));
        // The map holds whole degrees (the upload sends them as such): a fraction
        // that a shift brought in is refused before anything changes.
        if (!isWhole(numtext::parseDecimal(cell))) {
            if (refuseFractionalShift(whole, column, row, c, r)) {
                return;
            }
        }
        results.emplace_back(config::ignitionKey(n), std::move(cell));
    }

    for (auto& [name, text] : results) {
        ui.setText(name, std::move(text));
    }
    for (const auto& name : shiftFields()) {
        ui.setText(name, "0");
    }
}

bool MapAlteration::refuseFractionalShift(double whole, double column, double row, int c, int r) {
    auto& ui = form_.controls;
    std::string field;
    std::string place;
    if (!isWhole(whole)) {
        field = "eAltera";
        place = shiftPlace(ui, -1, -1);
    } else if (!isWhole(column)) {
        field = columnField(c, "ig");
        place = shiftPlace(ui, c, -1);
    } else if (!isWhole(row)) {
        field = rowField(r, "ig");
        place = shiftPlace(ui, c, r);
    } else {
        return false; // the cell itself held the fraction
    }
    form_.dialogs.message(" Atenção ! !  Use graus inteiros " + place + ".  ");
    ui.focus(field);
    return true;
}

void MapAlteration::btnVoltarTelaPrincipalClick() {
    // The map goes back to milliseconds on the way out: a text that cannot be
    // converted keeps the user here, with nothing changed.
    if (form_.state.injectionMapInPercent) {
        form_.units.checkWayBack();
    }
    auto& ui = form_.controls;
    setShiftFieldsVisible(false);
    ui.setVisible({"GroupBox10", "btnVoltarTelaPrincipal"}, false);
    ui.setVisible("GroupBox3", true);
    ui.setEnabled("btnAlterarMapas", true);
    ui.setVisible({"Button3", "Button6", "Button8", "btnCarregar", "btnSalvar", "btnAlterarMapas"},
                  true);
    const bool open = form_.state.portActive;
    ui.setEnabled("Button3", open);
    ui.setEnabled("btnAtivar", !open);
    ui.setEnabled("btnDesativar", open);
    if (form_.state.injectionMapInPercent) {
        form_.units.btnmSClick();
    }
}

} // namespace orvel
